#pragma once
// The browser engine behind web screens: one off-the-record profile that every web
// screen's view shares (plugins and the PDF viewer on, no disk cache or cookies kept),
// with the small script that reports a document's mouse-ups to the program.
#include <memory>

class QWebEngineProfile;

namespace tidemark {

// Before the application object exists: the engine's sandbox cannot run as root (a
// kiosk or a container often runs the program so), and its contexts are shared.
void PrepareWebEngine();

class WebEngine {
public:
    WebEngine();
    ~WebEngine();
    WebEngine(const WebEngine&) = delete;
    WebEngine& operator=(const WebEngine&) = delete;

    QWebEngineProfile& Profile() { return *profile_; }

private:
    std::unique_ptr<QWebEngineProfile> profile_;
};

}  // namespace tidemark
