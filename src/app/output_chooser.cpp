#include "app/output_chooser.h"

#include "app/menu_list.h"
#include "app/page_images.h"
#include "app/publishing_controller.h"

namespace tidemark {
namespace {

constexpr const char* kSaveEntry = "Save as PNG File";
constexpr const char* kCancelEntry = "Cancel";
constexpr const char* kFtpQuestion = "Do you want to FTP image also?";

}  // namespace

OutputChooser::OutputChooser(MenuList& menu, ProgramState& state, Host& host, PublishingController& publishing,
                             PageImages& images, WindowPrinter& printer)
    : menu_(menu), state_(state), host_(host), publishing_(publishing), images_(images), printer_(printer) {}

void OutputChooser::Fill() {
    QStringList entries = {kSaveEntry, kDefaultPrinterEntry};
    entries << WindowPrinter::PrinterNames();
    entries << kCancelEntry;
    menu_.Fill(entries);
}

void OutputChooser::ShowAt(const QPoint& topLeft, PrintWay way) {
    way_ = way;
    Fill();
    menu_.ShowAt(topLeft);
}

void OutputChooser::Run(const QString& entry) {
    menu_.hide();
    if (entry == kCancelEntry) return;
    if (entry == kSaveEntry) {
        SaveAsPng();
        return;
    }
    printer_.Print(entry, way_);
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
