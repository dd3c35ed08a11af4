// The engine's module: one off-the-record profile that every web screen's view shares
// (plugins and the PDF viewer on, no disk cache or cookies kept), with the small script
// that reports a document's mouse-ups and frames to the program.
#include <QFile>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <memory>

#include "devices/web/web_engine.h"
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

class QtWebEngine : public WebEngine {
public:
    QtWebEngine() : profile_(std::make_unique<QWebEngineProfile>()) {
        QWebEngineSettings* settings = profile_->settings();
        settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
        settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
        // No error pages of the engine's own: a page that fails stays as it was.
        settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
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

private:
    std::unique_ptr<QWebEngineProfile> profile_;
};

}  // namespace
}  // namespace tidemark

extern "C" Q_DECL_EXPORT tidemark::WebEngine* tidemark_make_web_engine() { return new tidemark::QtWebEngine(); }
