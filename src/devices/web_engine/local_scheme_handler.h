#pragma once
// The engine's one way to local files: the program's scheme (devices/web/local_documents.h).
// Every request is answered from the program's source, which opens and checks the file
// itself; a request that a page of another origin makes (a web page reaching for the
// program folder) is refused, as the engine refuses file: addresses to such pages.
#include <QWebEngineUrlSchemeHandler>

#include "devices/web/local_documents.h"

namespace tidemark {

class LocalSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    // Registers the scheme with the engine: before the engine starts (its first profile).
    static void RegisterScheme();

    void SetSource(LocalDocumentSource source) { source_ = std::move(source); }
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    LocalDocumentSource source_;
};

}  // namespace tidemark
