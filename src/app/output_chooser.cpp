#include "app/output_chooser.h"

#include "app/menu_list.h"
#include "app/page_images.h"
#include "app/publishing_controller.h"
#include "pages/output_menu.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {
namespace {

constexpr const char* kFtpQuestion = "Do you want to FTP image also?";

}  // namespace

OutputChooser::OutputChooser(MenuList& menu, ProgramState& state, Host& host, PublishingController& publishing,
                             PageImages& images, WindowPrinter& printer)
    : menu_(menu), state_(state), host_(host), publishing_(publishing), images_(images), printer_(printer) {}

void OutputChooser::Fill() {
    printers_ = WindowPrinter::PrinterNames();
    QStringList entries;
    for (int row = 0; std::optional<OutputRow> r = OutputRowAt(row, static_cast<int>(printers_.size())); ++row)
        entries << (r->command == OutputCommand::Printer ? printers_.at(r->printer) : ProgramText(r->text));
    menu_.Fill(entries);
}

void OutputChooser::ShowAt(const QPoint& topLeft, PrintWay way) {
    way_ = way;
    Fill();
    menu_.ShowAt(topLeft);
}

void OutputChooser::Run(int row) {
    menu_.hide();
    std::optional<OutputRow> chosen = OutputRowAt(row, static_cast<int>(printers_.size()));
    if (!chosen) return;
    switch (chosen->command) {
        case OutputCommand::SaveAsPng: SaveAsPng(); break;
        case OutputCommand::DefaultPrinter: printer_.Print(std::nullopt, way_); break;
        case OutputCommand::Printer: printer_.Print(printers_.at(chosen->printer), way_); break;
        case OutputCommand::Cancel: break;
    }
}

void OutputChooser::SaveAsPng() {
    if (host_.Message(kFtpQuestion, MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes) {
        publishing_.TickFtp();
        publishing_.ShowModal();
        // A one-off publish under the image base path, which leaves the paging timer alone.
        if (state_.imageCycleMarker != 0) state_.imageCycleMarker = -99;
    } else {
        // Without FTP the user picks the file, even while a round of page images runs.
        state_.imageCycleMarker = 0;
    }
    images_.Save();
    publishing_.ClearOneOffPublish();
}

}  // namespace tidemark
