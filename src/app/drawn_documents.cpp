#include "app/drawn_documents.h"

#include <QFileInfo>
#include <system_error>

#include "app/document_browser.h"
#include "app/pdf_page.h"
#include "app/sheet_page.h"
#include "pages/web_screen.h"
#include "storage/qt_bridge/qt_text.h"

namespace tidemark {

DocumentAccess DrawnDocuments::Show(DocumentBrowser& browser, const QString& address, const std::filesystem::path& path,
                                    const DocumentRule& rule, QSize screenPixels) {
    const OpenedDocument file = rule.Open(path);
    if (!file.IsOpen()) return AccessOf(file.Access());
    if (IsSheetAddress(ToProgramText(address)))
        browser.ShowHtml(QString::fromUtf8(SheetPageHtml(file, path.string())), address);
    else
        ShowPdf(browser, address, file, screenPixels);
    return DocumentAccess::Allowed;
}

void DrawnDocuments::ShowPdf(DocumentBrowser& browser, const QString& address, const OpenedDocument& file,
                             QSize pixels) {
    std::error_code ec;
    const auto modified = std::filesystem::last_write_time(file.DescriptorPath(), ec);
    PdfDrawn& drawn = pdfs_[&browser];
    const bool unchanged = !ec && drawn.realPath == file.RealPath().string() && drawn.pixels == pixels &&
                           drawn.bytes == file.Size() && drawn.modified == modified;
    const QString name = QFileInfo(address).fileName();
    if (!unchanged) {
        PdfDrawing drawing = DrawPdf(file, name, pixels);
        drawn = {file.RealPath().string(), pixels, file.Size(), modified, std::move(drawing.pages), drawing.notice};
    }
    if (drawn.pages.empty())
        browser.ShowHtml(PdfNoticeHtml(name, drawn.notice), address);
    else
        browser.ShowPages(drawn.pages, address);
}

}  // namespace tidemark
