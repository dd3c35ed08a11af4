#include "devices/pdf/pdf_render.h"

#include <QImage>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfDocumentRenderOptions>
#include <algorithm>

namespace tidemark {
namespace {

QString LoadFault(QPdfDocument::Error error) {
    switch (error) {
        case QPdfDocument::Error::FileNotFound: return "cannot be opened";
        case QPdfDocument::Error::InvalidFileFormat: return "is not a PDF file";
        case QPdfDocument::Error::IncorrectPassword: return "is protected by a password";
        case QPdfDocument::Error::UnsupportedSecurityScheme: return "is protected in a way that cannot be read";
        default: return "cannot be read";
    }
}

// A page's image at the largest size that fits `pixels`, in the page's proportions.
QImage DrawPage(QPdfDocument& document, int page, QSize pixels) {
    QSize size = document.pagePointSize(page).scaled(QSizeF(pixels), Qt::KeepAspectRatio).toSize();
    if (size.isEmpty()) return {};
    QPdfDocumentRenderOptions options;
    options.setRenderFlags(QPdfDocumentRenderOptions::RenderFlag::Annotations);
    QImage drawn = document.render(page, size, options);
    if (drawn.isNull()) return {};
    // What a page does not paint is left transparent; paper is white.
    QImage paper(drawn.size(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter(&paper).drawImage(0, 0, drawn);
    return paper;
}

}  // namespace

extern "C" [[gnu::visibility("default")]] PdfDocumentInfo tidemark_draw_pdf_pages(const QString& pdfPath, QSize pixels,
                                                                                  int maxPages,
                                                                                  const PdfPageSink& sink) {
    PdfDocumentInfo drawing;
    QPdfDocument document;
    document.load(pdfPath);
    if (document.status() != QPdfDocument::Status::Ready) {
        drawing.fault = LoadFault(document.error());
        return drawing;
    }
    drawing.pageCount = document.pageCount();
    const int shown = std::min(drawing.pageCount, maxPages);
    for (int page = 0; page < shown; ++page) sink(page, DrawPage(document, page, pixels));
    return drawing;
}

}  // namespace tidemark
