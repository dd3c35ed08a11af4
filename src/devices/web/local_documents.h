#pragma once
// Local documents reach the browser engine only through the program: the engine may not
// read a file: address at all (not for a page, a frame or a worker), and a local document
// is given to it under an address of the program's own scheme, which the program answers
// by opening the file and checking the file it opened. Relative links, images, style
// sheets and scripts of an allowed page keep working, as they resolve to the same scheme;
// anything else local does not exist for the page.
#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>

namespace tidemark {

// The scheme, and the host every local document is under (one origin for all of them,
// as file: pages had).
inline constexpr const char* kLocalDocumentScheme = "tidemark-local";
inline constexpr const char* kLocalDocumentHost = "files";

// The address under which the engine is given local file `path` (absolute).
inline QUrl LocalDocumentUrl(const QString& path) {
    QUrl url;
    url.setScheme(kLocalDocumentScheme);
    url.setHost(kLocalDocumentHost);
    url.setPath(path);
    return url;
}

inline bool IsLocalDocumentUrl(const QUrl& url) {
    return url.scheme() == QLatin1String(kLocalDocumentScheme) && url.host() == QLatin1String(kLocalDocumentHost);
}

// A file: address, which the engine is never let read.
inline bool IsFileAddress(const QUrl& url) {
    return url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0;
}

// The file an address of the scheme stands for (decoded), or empty.
inline QString LocalDocumentPath(const QUrl& url) { return IsLocalDocumentUrl(url) ? url.path() : QString(); }

// What the program answers for a local document: its bytes, when it may be given.
struct LocalDocumentReply {
    bool found = false;
    QByteArray bytes;
};

// Asked on the user-interface thread for every local document the engine wants, with
// its absolute path.
using LocalDocumentSource = std::function<LocalDocumentReply(const QString& path)>;

}  // namespace tidemark
