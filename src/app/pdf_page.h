#pragma once
// A PDF file shown on a web screen. The browser engine's own viewer takes over a second
// to show a page where it draws without a graphics card, as the computer behind a wall
// display often does, and its pixels settle in their own time; the program draws the
// pages itself instead, and the browser shows them as images that fit the view, on the
// viewer's grey.
#include <QSize>
#include <QString>

namespace tidemark {

// Pages drawn of a longer document; the page says that "Open" shows all of it.
inline constexpr int kPdfPagesShown = 20;

// Draws the pages of the PDF at `pdfPath` into `folder` (which must exist) as PNG files
// that fit within `pixels`, the largest the view can become, and returns the page that
// shows them in order; a file that cannot be read gives a page that says why.
QString PdfPageHtml(const QString& pdfPath, const QString& folder, QSize pixels);

}  // namespace tidemark
