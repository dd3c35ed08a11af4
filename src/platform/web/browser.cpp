#include "platform/web/browser.h"

#include <QDateTime>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <algorithm>
#include <functional>

#include "platform/web/web_engine.h"

namespace tidemark {
namespace {

qint64 NowMs() { return QDateTime::currentMSecsSinceEpoch(); }

// Lets events run until `done` holds or `ms` have passed; true when it holds.
bool WaitFor(const std::function<bool()>& done, int ms) {
    qint64 end = NowMs() + ms;
    while (!done()) {
        qint64 left = end - NowMs();
        if (left <= 0) return false;
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(std::min<qint64>(left, 10)), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// All pixels alike: a frame the engine has not painted into yet (or only its backdrop).
bool Uniform(const QImage& image) {
    if (image.isNull()) return true;
    QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            if (image.pixel(x, y) != first) return false;
    return true;
}

constexpr int kSettleStepMs = 150;
// How many frames a document may take to get the view's size before it reports anyway.
constexpr int kResizeFrames = 120;
constexpr int kFrameStepMs = 40;
constexpr int kFramesArriveMs = 1000;
constexpr int kSettledFrames = 3;

}  // namespace

Browser::Browser(WebEngine& engine, QWidget* parent)
    : view_(new QWebEngineView(parent)), channel_(new QWebChannel(this)), bridge_(new BrowserBridge(this)) {
    auto* page = new QWebEnginePage(&engine.Profile(), view_);
    view_->setPage(page);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    channel_->registerObject("tidemark", bridge_);
    page->setWebChannel(channel_, QWebEngineScript::ApplicationWorld);
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        loading_ = true;
        scrollBarsHidden_ = false;
    });
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool) { loading_ = false; });
    connect(bridge_, &BrowserBridge::MouseUp, this, &Browser::DocumentMouseUp);
    connect(bridge_, &BrowserBridge::Painted, this,
            [this](int serial) { paintReported_ = std::max(paintReported_, serial); });
}

Browser::~Browser() {
    // The page belongs to the view; the view goes before the profile it uses.
    delete view_;
}

void Browser::Navigate(const QUrl& url) {
    programPageAddress_.clear();
    loading_ = true;
    view_->load(url);
}

void Browser::ShowHtml(const QString& html, const QString& address) {
    programPageAddress_ = address;
    loading_ = true;
    view_->setHtml(html, QUrl::fromLocalFile(address));
}

void Browser::RefreshCompletely() {
    loading_ = true;
    view_->page()->triggerAction(QWebEnginePage::ReloadAndBypassCache);
}

QString Browser::Location() const {
    if (!programPageAddress_.isEmpty()) return programPageAddress_;
    return view_->url().toString();
}

bool Browser::WaitComplete(int ms) {
    return WaitFor([this] { return !loading_; }, ms);
}

void Browser::Run(const QString& script) { view_->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld); }

void Browser::ScrollTo(int x, int y) { Run(QString("window.scrollTo(%1, %2);").arg(x).arg(y)); }

QPoint Browser::ScrollPosition() const { return view_->page()->scrollPosition().toPoint(); }

void Browser::SetScrollBarsHidden(bool hidden) {
    // The document element carries the viewport's scroll bars in standards mode, the
    // body in quirks mode: both are set.
    const char* value = hidden ? "hidden" : "";
    Run(QString("document.documentElement.style.overflow = '%1';"
                "if (document.body) document.body.style.overflow = '%1';")
            .arg(value));
    scrollBarsHidden_ = hidden;
}

void Browser::FitFirstImage(int width, int height) {
    QString script = QString(
                         "(function () { var image = document.images[0]; if (!image) return false;"
                         " image.width = %1; image.height = %2;"
                         " document.documentElement.style.overflow = 'hidden';"
                         " if (document.body) document.body.style.overflow = 'hidden'; return true; })()")
                         .arg(width)
                         .arg(height);
    view_->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [this](const QVariant& fitted) {
        if (fitted.toBool()) scrollBarsHidden_ = true;
    });
}

QImage Browser::Grab() const { return view_->grab().toImage(); }

void Browser::RequestPaintReport() {
    const int serial = ++paintRequested_;
    // Frames count once the document has the view's size: a view shown for the first time
    // or just resized first gets frames of its old size.
    Run(QString("(function (width, height, serial) { var frames = 0; function next() {"
                " requestAnimationFrame(function () {"
                " if ((innerWidth !== width || innerHeight !== height) && ++frames < %4) return next();"
                " requestAnimationFrame(function () { if (window.__tidemark) window.__tidemark.painted(serial); });"
                " }); } next(); })(%1, %2, %3);")
            .arg(view_->width())
            .arg(view_->height())
            .arg(serial)
            .arg(kResizeFrames));
}

bool Browser::WaitUntilViewerPainted(int ms) {
    // The viewer shows a plain backdrop until it has drawn the pages into it; then the
    // pixels are let settle.
    qint64 end = NowMs() + ms;
    auto left = [end] { return static_cast<int>(std::max<qint64>(0, end - NowMs())); };
    if (!WaitFor([&] { return !Uniform(Grab()); }, left())) return false;
    // A frame between the backdrop and the pages (a view just resized) does not last.
    QImage before = Grab();
    int same = 0;
    return WaitFor(
        [&] {
            WaitFor([] { return false; }, kSettleStepMs);
            QImage now = Grab();
            same = now == before && !Uniform(now) ? same + 1 : 0;
            before = now;
            return same >= kSettledFrames;
        },
        left());
}

bool WaitUntilPainted(const std::vector<PaintWait>& waits, int ms) {
    qint64 end = NowMs() + ms;
    auto left = [end] { return static_cast<int>(std::max<qint64>(0, end - NowMs())); };
    bool all = true;
    std::vector<Browser*> reporting;
    for (const PaintWait& wait : waits) {
        if (!wait.browser->View()->isVisible()) continue;
        if (!wait.browser->WaitComplete(left())) {
            all = false;
            continue;
        }
        if (!wait.reportsPaint) continue;
        // Asked of all at once: the documents produce their frames side by side.
        wait.browser->RequestPaintReport();
        reporting.push_back(wait.browser);
    }
    all &= WaitFor(
        [&] { return std::all_of(reporting.begin(), reporting.end(), [](Browser* b) { return b->PaintReported(); }); },
        left());
    // The frames the documents produced still have to reach the views, which meanwhile
    // show the last ones they had, of their old size, on the document's background: the
    // pixels must show more than a backdrop and stay so for a frame step.
    auto grabs = [&] {
        std::vector<QImage> images;
        for (Browser* b : reporting) images.push_back(b->Grab());
        return images;
    };
    std::vector<QImage> before = grabs();
    if (!reporting.empty())
        WaitFor(
            [&] {
                WaitFor([] { return false; }, kFrameStepMs);
                std::vector<QImage> now = grabs();
                bool settled = now == before && std::none_of(now.begin(), now.end(), Uniform);
                before = std::move(now);
                return settled;
            },
            std::min(left(), kFramesArriveMs));
    for (const PaintWait& wait : waits)
        if (!wait.reportsPaint && wait.browser->View()->isVisible())
            all &= wait.browser->WaitUntilViewerPainted(left());
    return all;
}

}  // namespace tidemark
