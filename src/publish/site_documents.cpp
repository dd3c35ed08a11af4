#include "publish/site_documents.h"

#include <QStringList>

#include "pages/web_screen.h"

namespace tidemark {
namespace {

// What a browser never shows as text and an HTML parser takes as an error: C0 and C1
// controls, DEL, and the non-characters.
bool Unshown(char32_t c) {
    if (c == '\n' || c == '\t') return false;
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

// One line's words with single spaces between them.
QString Words(const QString& line) { return line.simplified(); }

QString CleanText(const QString& raw) {
    QString kept;
    kept.reserve(raw.size());
    for (char32_t c : raw.toUcs4())
        if (!Unshown(c)) kept += QString::fromUcs4(&c, 1);
    QStringList lines;
    bool blank = false;
    for (const QString& line : kept.split('\n')) {
        QString words = Words(line);
        if (words.isEmpty()) {
            blank = !lines.isEmpty();
            continue;
        }
        if (blank) lines << QString();
        blank = false;
        lines << words;
    }
    return lines.join('\n');
}

// The first `limit` characters (code points), ended at a space within the last tenth.
QString Cut(const QString& text, size_t limit, bool& cut) {
    const QList<uint> points = text.toUcs4();
    cut = static_cast<size_t>(points.size()) > limit;
    if (!cut) return text;
    qsizetype end = static_cast<qsizetype>(limit);
    for (qsizetype at = end; at > end - end / 10; --at)
        if (points[at] == ' ' || points[at] == '\n') {
            end = at;
            break;
        }
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData()), end).trimmed() + "\u2026";
}

bool IsWebAddress(const std::string& address) {
    QString a = QString::fromStdString(address).trimmed();
    return a.startsWith("http://", Qt::CaseInsensitive) || a.startsWith("https://", Qt::CaseInsensitive);
}

}  // namespace

PublishedDocument DocumentForSite(int slot, const std::string& address, const QString& title, const QString& text) {
    PublishedDocument d;
    d.slot = slot;
    d.address = CleanText(QString::fromStdString(address)).toStdString();
    if (IsSheetAddress(address))
        d.kind = DocumentKind::Workbook;
    else if (!IsScriptableAddress(address))
        d.kind = DocumentKind::Pdf;
    if (IsWebAddress(d.address)) d.link = QString::fromStdString(d.address).trimmed().toStdString();
    if (d.kind != DocumentKind::Html) return d;
    bool titleCut = false;
    d.title = Cut(Words(CleanText(title)), 200, titleCut).toStdString();
    d.text = Cut(CleanText(text), kDocumentTextLimit, d.cut).toStdString();
    return d;
}

}  // namespace tidemark
