#pragma once
// A PDF file shown on a web screen. The browser engine's own viewer takes over a second
// to show a page where it draws without a graphics card, as the computer behind a wall
// display often does, and its pixels settle in their own time; the program draws the
// pages itself instead, from the file it opened and checked, and shows them as images
// that fit the view, on the viewer's grey.
#include <QImage>
#include <QSize>
#include <QString>
#include <vector>

#include "pages/document_limits.h"

namespace tidemark {

class OpenedDocument;

struct PdfDrawing {
    // In page order; a null image for a page that could not be drawn.
    std::vector<QImage> pages;
    // Why nothing is drawn ("report.pdf is not a PDF file"), or empty.
    QString notice;
};

// Draws the pages of `file` (named `name` where a notice names it), each the largest that
// fits `pixels`, the largest the view can become.
PdfDrawing DrawPdf(const OpenedDocument& file, const QString& name, QSize pixels);

// The page that shows a notice of a PDF that cannot be drawn.
QString PdfNoticeHtml(const QString& name, const QString& notice);

}  // namespace tidemark
