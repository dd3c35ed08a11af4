// The engine's module: one off-the-record profile that every web screen's view shares
// (no disk cache or cookies kept, no file: address readable by anything in it, local
// documents only through the program's scheme), with the small script that reports a
// document's mouse-ups and frames to the program.
#include <QFile>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <memory>

#include "devices/web/web_engine.h"
#include "local_scheme_handler.h"
#include "qt_browser.h"

namespace tidemark {
namespace {

// Runs in a world of its own, so the page's scripts neither see nor replace it. Mouse-ups
// go to the program with the source element's tag name, the button (1 left, 2 right, 4
// middle) and the Ctrl key; the browser's own context menu never opens; a click does
// nothing in the page (no link followed) while the program says links are not followed; once the
// document has produced frames it says so, for page images.
constexpr const char* kBridgeScript = R"js(
new QWebChannel(qt.webChannelTransport, function (channel) {
  var bridge = channel.objects.tidemark;
  window.__tidemark = bridge;
  document.addEventListener('mouseup', function (e) {
    var tag = e.target && e.target.tagName ? e.target.tagName : '';
    var button = e.button === 0 ? 1 : e.button === 2 ? 2 : 4;
    bridge.mouseUp(tag, button, e.ctrlKey);
  }, true);
  document.addEventListener('contextmenu', function (e) { e.preventDefault(); }, true);
  document.addEventListener('click', function (e) { if (!bridge.followsLinks) e.preventDefault(); }, true);
  requestAnimationFrame(function () { requestAnimationFrame(function () { bridge.painted(0); }); });
});
)js";

QString ChannelScript() {
    QFile file(":/qtwebchannel/qwebchannel.js");
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

// Every request of the profile, whoever makes it (a page, a frame, a worker of any kind):
// a file: address is never read, whatever the page's origin or the engine's own rules.
class NoFileRequests : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        if (IsFileAddress(info.requestUrl())) info.block(true);
    }
};

// Before the profile: a scheme registered once the engine has started is not standard,
// and its relative addresses would not resolve.
std::unique_ptr<QWebEngineProfile> ProfileWithLocalScheme() {
    LocalSchemeHandler::RegisterScheme();
    return std::make_unique<QWebEngineProfile>();
}

class QtWebEngine : public WebEngine {
public:
    QtWebEngine()
        : profile_(ProfileWithLocalScheme()), localDocuments_(new LocalSchemeHandler(profile_.get())),
          noFileRequests_(new NoFileRequests(profile_.get())) {
        QWebEngineSettings* settings = profile_->settings();
        // Remote PDF addresses still show in the engine's viewer; local ones are drawn by
        // the program.
        settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
        settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
        // No document of the profile is a file: page, and none reads one.
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        // No error pages of the engine's own: a page that fails stays as it was.
        settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
        profile_->installUrlSchemeHandler(kLocalDocumentScheme, localDocuments_);
        profile_->setUrlRequestInterceptor(noFileRequests_);
        QWebEngineScript bridge;
        bridge.setName("tidemark-bridge");
        bridge.setWorldId(QWebEngineScript::ApplicationWorld);
        bridge.setInjectionPoint(QWebEngineScript::DocumentReady);
        bridge.setRunsOnSubFrames(false);
        bridge.setSourceCode(ChannelScript() + "\n" + kBridgeScript);
        profile_->scripts()->insert(bridge);
    }

    std::unique_ptr<Browser> MakeBrowser(QWidget* parent) override {
        return std::make_unique<QtBrowser>(*profile_, parent);
    }

    void SetLocalDocumentSource(LocalDocumentSource source) override { localDocuments_->SetSource(std::move(source)); }

private:
    std::unique_ptr<QWebEngineProfile> profile_;
    LocalSchemeHandler* localDocuments_;  // children of the profile
    NoFileRequests* noFileRequests_;
};

}  // namespace
}  // namespace tidemark

extern "C" Q_DECL_EXPORT tidemark::WebEngine* tidemark_make_web_engine() { return new tidemark::QtWebEngine(); }
