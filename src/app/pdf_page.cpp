#include "app/pdf_page.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <string>

#include "core/program_module.h"
#include "devices/pdf/pdf_render.h"
#include "storage/image/png_writer.h"

namespace tidemark {
namespace {

// One page fills the view's height exactly, so a one-page document needs no scroll bar;
// the pages of a longer one follow below, a gap apart.
constexpr const char* kStyle =
    "html,body{margin:0;background:#525659;overflow-x:hidden}"
    "img{display:block;margin:0 auto;max-width:100%;max-height:100vh;background:#fff}"
    "img+img{margin-top:8px}"
    "p{margin:8px;color:#fff;font:14px sans-serif;text-align:center}";

QString Page(const QString& title, const QString& body) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title.toHtmlEscaped() +
           "</title>\n<style>" + kStyle + "</style></head>\n<body>\n" + body + "</body></html>\n";
}

QString Notice(const QString& text) { return "<p>" + text.toHtmlEscaped() + "</p>\n"; }

// The drawing module, loaded once.
const ModuleFunction<DrawPdfPagesFunction>& PdfDrawer() {
    static const ModuleFunction<DrawPdfPagesFunction> draw = LoadModuleFunction<DrawPdfPagesFunction>(
        TIDEMARK_MODULE_LOCATION(TIDEMARK_PDF), kDrawPdfPagesSymbol, "The PDF drawing module");
    return draw;
}

// The PDF header may follow up to a kilobyte of other bytes. Checked first: the PDF
// library keeps memory of every file it failed to load.
bool LooksLikePdf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(1024).contains("%PDF-");
}

}  // namespace

QString PdfPageHtml(const QString& pdfPath, const QString& folder, QSize pixels) {
    const QString name = QFileInfo(pdfPath).fileName();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return Page(name, Notice("The pages of " + name + " cannot be drawn: there is no folder for their images."));
    if (!QFileInfo(pdfPath).isReadable()) return Page(name, Notice(name + " cannot be opened"));
    if (!LooksLikePdf(pdfPath)) return Page(name, Notice(name + " is not a PDF file"));
    const ModuleFunction<DrawPdfPagesFunction>& draw = PdfDrawer();
    if (!draw)
        return Page(name, Notice("The pages of " + name + " cannot be drawn: " + QString::fromStdString(draw.error())));
    QStringList pageFiles;
    // The engine reads the images at once and they go with the drawing: the program's
    // fast PNG writer suits them far better than the general encoder.
    const PdfDocumentInfo drawing = (*draw)(pdfPath, pixels, kPdfPagesShown, [&](int page, const QImage& image) {
        const QString file = QDir(folder).filePath(QString("page%1.png").arg(page + 1));
        pageFiles << (!image.isNull() && WritePng(image, QFile::encodeName(file).toStdString()).ok() ? file
                                                                                                     : QString());
    });
    if (!drawing.fault.isEmpty()) return Page(name, Notice(name + " " + drawing.fault));
    const int count = drawing.pageCount;
    if (count <= 0) return Page(name, Notice(name + " has no pages."));
    QString body;
    const int shown = static_cast<int>(pageFiles.size());
    for (int page = 0; page < shown; ++page) {
        const QString& file = pageFiles[page];
        if (file.isEmpty()) {
            body += Notice("Page " + QString::number(page + 1) + " of " + name + " cannot be drawn.");
            continue;
        }
        body +=
            "<img alt=\"\" src=\"" + QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded).toHtmlEscaped() + "\">\n";
    }
    if (shown < count)
        body += Notice("The first " + QString::number(shown) + " of " + QString::number(count) +
                       " pages; \"Open\" shows them all.");
    return Page(name, body);
}

}  // namespace tidemark
