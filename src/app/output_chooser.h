#pragma once
// The output chooser that "Print" in the graph menu and in the web-screen menu opens:
// save the page as an image file (and send it by FTP once when asked), print it on the
// default printer or on any installed printer, or do nothing.
#include <QPoint>
#include <QStringList>

#include "app/window_printer.h"
#include "core/host.h"
#include "data/program_state.h"

namespace tidemark {

class MenuList;
class PageImages;
class PublishingController;

class OutputChooser {
public:
    OutputChooser(MenuList& menu, ProgramState& state, Host& host, PublishingController& publishing, PageImages& images,
                  WindowPrinter& printer);

    // Printers come and go while the program runs: the list is filled afresh each time,
    // and only then (asking the print system would take a good part of a start).
    void ShowAt(const QPoint& topLeft, PrintWay way);
    // Carries out the row the user picked; the chooser is hidden first.
    void Run(int row);

private:
    void Fill();
    void SaveAsPng();

    MenuList& menu_;
    ProgramState& state_;
    Host& host_;
    PublishingController& publishing_;
    PageImages& images_;
    WindowPrinter& printer_;
    PrintWay way_ = PrintWay::Window;
    QStringList printers_;  // as the list shows them
};

}  // namespace tidemark
