#pragma once
// Printing the main window on paper: the window is made the size of the landscape sheet
// when it is wider than the paper, the page goes out in landscape scaled to the printable
// area, and the window gets its size back. Only the
// window's picture reaches the printer; what the page shows is laid out by the resize.
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QPrinter;
class QWidget;

namespace tidemark {

// The two ways a page reaches paper. The graph menu prints the window's widgets as they
// draw themselves; the web-screen menu prints the captured pixels, because web views
// draw nothing into a printer's painter and only a capture carries their pages.
enum class PrintWay { Window, CapturedPicture };

class WindowPrinter {
public:
    // capture: the client area as page images capture it; yield: lets the resize and
    // the layout pass it starts run.
    WindowPrinter(QWidget& window, std::function<QImage()> capture, std::function<void()> yield);

    // The installed printers' names in the order the print system lists them.
    static QStringList PrinterNames();

    // Prints the window on the installed printer `name`, or for none on the system's
    // default printer, which keeps the window's size; a name no longer installed leaves
    // the default printer too. False when nothing could be printed; the reason goes to
    // standard error, because a failed print shows no message.
    bool Print(const std::optional<QString>& name, PrintWay way);

private:
    std::optional<QSize> FitWindowToPaper(QPrinter& printer);
    bool PrintPage(QPrinter& printer, PrintWay way);

    QWidget& window_;
    std::function<QImage()> capture_;
    std::function<void()> yield_;
};

}  // namespace tidemark
