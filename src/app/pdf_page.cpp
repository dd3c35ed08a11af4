#include "app/pdf_page.h"

#include <string>

#include "core/program_module.h"
#include "devices/pdf/pdf_render.h"
#include "pages/opened_document.h"

namespace tidemark {
namespace {

constexpr const char* kStyle =
    "html,body{margin:0;background:#525659}"
    "p{margin:8px;color:#fff;font:14px sans-serif;text-align:center}";

// The drawing module, loaded once.
const ModuleFunction<DrawPdfPagesFunction>& PdfDrawer() {
    static const ModuleFunction<DrawPdfPagesFunction> draw = LoadModuleFunction<DrawPdfPagesFunction>(
        TIDEMARK_MODULE_LOCATION(TIDEMARK_PDF), kDrawPdfPagesSymbol, "The PDF drawing module");
    return draw;
}

// The PDF header may follow up to a kilobyte of other bytes. Checked first: the PDF
// library keeps memory of every file it failed to load.
bool LooksLikePdf(const OpenedDocument& file) { return file.Head(1024).find("%PDF-") != std::string::npos; }

}  // namespace

PdfDrawing DrawPdf(const OpenedDocument& file, const QString& name, QSize pixels) {
    if (file.Size() > kPdfBytesLimit)
        return {{}, name + " is larger than " + QString::number(kPdfBytesLimit / (1024 * 1024)) + " MB"};
    if (!LooksLikePdf(file)) return {{}, name + " is not a PDF file"};
    const ModuleFunction<DrawPdfPagesFunction>& draw = PdfDrawer();
    if (!draw) return {{}, "The pages of " + name + " cannot be drawn: " + QString::fromStdString(draw.error())};
    PdfDrawing drawing;
    // The library reads the very file that was checked, by its descriptor, never its path
    // again.
    const PdfDocumentInfo info = (*draw)(QString::fromStdString(file.DescriptorPath()), pixels, kPdfPagesShown,
                                         [&](int, const QImage& image) { drawing.pages.push_back(image); });
    if (!info.fault.isEmpty()) return {{}, name + " " + info.fault};
    if (info.pageCount <= 0) return {{}, name + " has no pages."};
    return drawing;
}

QString PdfNoticeHtml(const QString& name, const QString& notice) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + name.toHtmlEscaped() + "</title>\n<style>" +
           kStyle + "</style></head>\n<body>\n<p>" + notice.toHtmlEscaped() + "</p>\n</body></html>\n";
}

}  // namespace tidemark
