#include "app/pdf_page.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfDocumentRenderOptions>
#include <QUrl>
#include <algorithm>

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
    QPdfDocument document;
    document.load(pdfPath);
    if (document.status() != QPdfDocument::Status::Ready)
        return Page(name, Notice(name + " " + LoadFault(document.error())));
    const int count = document.pageCount();
    if (count <= 0) return Page(name, Notice(name + " has no pages."));
    QString body;
    const int shown = std::min(count, kPdfPagesShown);
    for (int page = 0; page < shown; ++page) {
        QImage image = DrawPage(document, page, pixels);
        const QString file = QDir(folder).filePath(QString("page%1.png").arg(page + 1));
        if (image.isNull() || !image.save(file, "PNG")) {
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
