#pragma once
// The pages of a PDF file drawn as images. The PDF library brings a dozen libraries of
// its own, so the drawing is the module tidemark_pdf, loaded by the first PDF shown
// (core/program_module.h); the program decides what the page around the images says.
#include <QSize>
#include <QString>
#include <QStringList>

namespace tidemark {

struct PdfDrawing {
    // Why the document cannot be read ("is not a PDF file"), or empty.
    QString fault;
    int pageCount = 0;
    // The image of each page drawn, in order; an empty name for a page that could not be
    // drawn.
    QStringList pageFiles;
};

// What the module exports: draws the first `maxPages` pages of `pdfPath` into `folder`
// (which exists) as page<n>.png, each the largest that fits `pixels`.
using DrawPdfPagesFunction = PdfDrawing (*)(const QString& pdfPath, const QString& folder, QSize pixels, int maxPages);
inline constexpr const char* kDrawPdfPagesSymbol = "tidemark_draw_pdf_pages";

}  // namespace tidemark
