#include "platform/web/web_engine.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <cstdlib>

namespace tidemark {
namespace {

// Runs in a world of its own, so the page's scripts neither see nor replace it. Mouse-ups
// go to the program with the source element's tag name, the button (1 left, 2 right, 4
// middle) and the Ctrl key; the browser's own context menu never opens; once the
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
  requestAnimationFrame(function () { requestAnimationFrame(function () { bridge.painted(0); }); });
});
)js";

QString ChannelScript() {
    QFile file(":/qtwebchannel/qwebchannel.js");
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

}  // namespace

void PrepareWebEngine() {
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

WebEngine::WebEngine() : profile_(std::make_unique<QWebEngineProfile>()) {
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

WebEngine::~WebEngine() = default;

}  // namespace tidemark
