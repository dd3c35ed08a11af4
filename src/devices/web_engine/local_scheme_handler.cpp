#include "local_scheme_handler.h"

#include <QBuffer>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace tidemark {
namespace {

// A page of the scheme itself, or the program's own navigation (no initiator).
bool FromAllowedInitiator(const QWebEngineUrlRequestJob& job) {
    const QUrl initiator = job.initiator();
    return initiator.isEmpty() || initiator.scheme() == QLatin1String(kLocalDocumentScheme);
}

QByteArray MimeTypeOf(const QString& path, const QByteArray& bytes) {
    // By the name first, as a web server would: a style sheet or a script is plain text
    // to a look at its content.
    static const QMimeDatabase types;
    QMimeType type = types.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (type.isDefault()) type = types.mimeTypeForData(bytes);
    return type.name().toUtf8();
}

}  // namespace

void LocalSchemeHandler::RegisterScheme() {
    if (!QWebEngineUrlScheme::schemeByName(kLocalDocumentScheme).name().isEmpty()) return;
    QWebEngineUrlScheme scheme(kLocalDocumentScheme);
    // A host as http has one, so relative addresses resolve as on a web server. Not local
    // (no access to file:), no service workers; fetches and workers of a page's own origin
    // work as on a web server (CORS), and the handler answers no other origin.
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void LocalSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QString path = LocalDocumentPath(job->requestUrl());
    if (path.isEmpty() || !source_) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    if (!FromAllowedInitiator(*job) || job->requestMethod() != "GET") {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    LocalDocumentReply reply = source_(path);
    if (!reply.found) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    const QByteArray type = MimeTypeOf(path, reply.bytes);
    // The job reads the device later and drops it when done.
    auto* device = new QBuffer(job);
    device->setData(std::move(reply.bytes));
    device->open(QIODevice::ReadOnly);
    job->reply(type, device);
}

}  // namespace tidemark
