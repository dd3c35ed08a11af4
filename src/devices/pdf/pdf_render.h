#pragma once
// The pages of a PDF file drawn as images. The PDF library brings a dozen libraries of
// its own, so the drawing is the module tidemark_pdf, loaded by the first PDF shown
// (core/program_module.h); the program decides what the page around the images says.
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

namespace tidemark {

struct PdfDocumentInfo {
    // Why the document cannot be read ("is not a PDF file"), or empty.
    QString fault;
    int pageCount = 0;
};

// Takes each page drawn, in order (0 first); a null image for a page that could not be.
using PdfPageSink = std::function<void(int page, const QImage& image)>;

// What the module exports: draws the first `maxPages` pages of `pdfPath`, each the
// largest that fits `pixels`, on white paper, and hands them to `sink` one by one, so
// that a long document is never held whole. The program writes the images itself.
using DrawPdfPagesFunction = PdfDocumentInfo (*)(const QString& pdfPath, QSize pixels, int maxPages,
                                                 const PdfPageSink& sink);
inline constexpr const char* kDrawPdfPagesSymbol = "tidemark_draw_pdf_pages";

}  // namespace tidemark
