#include "qt_browser.h"

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QWebChannel>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include "devices/web/event_wait.h"
#include "devices/web/local_documents.h"

namespace tidemark {
namespace {

constexpr int kSettleStepMs = 150;
// How many frames a document may take to get the view's size before it reports anyway.
constexpr int kResizeFrames = 120;
constexpr int kSettledFrames = 3;

// Network errors of the engine (its net error codes) that tell why a document failed.
constexpr int kNetAborted = -3;  // a new load replaced it: no failure
constexpr int kNetFileNotFound = -6;
constexpr int kNetNameNotResolved = -105;
constexpr int kNetNameResolutionFailed = -137;
constexpr int kNetConnectionErrorsFirst = -199;  // -100 ... -199: the connection failed
constexpr int kNetConnectionErrorsLast = -100;
constexpr int kHttpNotFound = 404;
constexpr int kHttpGone = 410;

std::optional<DocumentFailure> FailureOf(const QWebEngineLoadingInfo& info) {
    const int code = info.errorCode();
    if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain)
        return code == kHttpNotFound || code == kHttpGone ? DocumentFailure::NotFound : DocumentFailure::Failed;
    if (code == kNetAborted) return std::nullopt;
    if (code == kNetFileNotFound || code == kNetNameNotResolved || code == kNetNameResolutionFailed)
        return DocumentFailure::NotFound;
    if (code >= kNetConnectionErrorsFirst && code <= kNetConnectionErrorsLast) return DocumentFailure::CannotConnect;
    return DocumentFailure::Failed;
}

// The element whose overflow is the viewport's: the body only in quirks mode.
const char* const kViewportElement =
    "(document.compatMode == 'BackCompat' && document.body ? document.body : document.documentElement)";

// A PDF the engine would show in its own viewer, where no click reaches the program.
bool IsPdfAddress(const QUrl& url) { return url.path().endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive); }

int ConsoleLevel(QWebEnginePage::JavaScriptConsoleMessageLevel level) {
    switch (level) {
        case QWebEnginePage::InfoMessageLevel: return 0;
        case QWebEnginePage::WarningMessageLevel: return 1;
        case QWebEnginePage::ErrorMessageLevel: return 2;
    }
    return 2;
}

// The filter asked for every document the page goes to, by the program or by itself; a
// link followed or a form sent only while the page may follow them; never a file:
// address (local documents come through the program's scheme).
class FilteringPage : public QWebEnginePage {
public:
    FilteringPage(QWebEngineProfile& profile, std::shared_ptr<Browser::DocumentFilter> filter,
                  std::shared_ptr<LinkPolicy> linkPolicy, QObject* parent)
        : QWebEnginePage(&profile, parent), filter_(std::move(filter)), linkPolicy_(std::move(linkPolicy)) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        const bool followed = type == NavigationTypeLinkClicked || type == NavigationTypeFormSubmitted;
        if (!linkPolicy_->followsLinks && followed) return false;
        // A link the user followed that leads nowhere the page may go, or to a PDF, leaves
        // the page where it is; the program tells why.
        const bool refused = IsFileAddress(url) || (*filter_ && !(*filter_)(url));
        if (refused || (followed && isMainFrame && IsPdfAddress(url))) {
            if (followed && isMainFrame) TellLinkNotFollowed(url);
            return false;
        }
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

    // Queued: the program's answer may load documents, which must not run inside the
    // engine's call.
    void TellLinkNotFollowed(const QUrl& url) {
        if (!linkPolicy_->documentLink) return;
        QMetaObject::invokeMethod(
            this,
            [policy = linkPolicy_, url] {
                if (policy->documentLink) policy->documentLink(url);
            },
            Qt::QueuedConnection);
    }

    // The engine would write these to standard error as they are: a remote page's
    // escape sequences on the operator's terminal, megabytes of them.
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceID) override {
        if (linkPolicy_->console) linkPolicy_->console(ConsoleLevel(level), message, sourceID, lineNumber);
    }

private:
    std::shared_ptr<Browser::DocumentFilter> filter_;
    std::shared_ptr<LinkPolicy> linkPolicy_;
};

// ... and for everything a document loads (images, scripts, style sheets, frames, fetches).
class FilteringInterceptor : public QWebEngineUrlRequestInterceptor {
public:
    FilteringInterceptor(std::shared_ptr<Browser::DocumentFilter> filter, QObject* parent)
        : QWebEngineUrlRequestInterceptor(parent), filter_(std::move(filter)) {}

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        if (IsFileAddress(info.requestUrl()) || (*filter_ && !(*filter_)(info.requestUrl()))) info.block(true);
    }

private:
    std::shared_ptr<Browser::DocumentFilter> filter_;
};

}  // namespace

QWidget* QtBrowser::View() const { return view_; }

QtBrowser::QtBrowser(QWebEngineProfile& profile, QWidget* parent)
    : view_(new QWebEngineView(parent)), channel_(new QWebChannel(this)), bridge_(new BrowserBridge(this)),
      filter_(std::make_shared<DocumentFilter>()), linkPolicy_(std::make_shared<LinkPolicy>()) {
    auto* page = new FilteringPage(profile, filter_, linkPolicy_, view_);
    page->setUrlRequestInterceptor(new FilteringInterceptor(filter_, page));
    view_->setPage(page);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    view_->installEventFilter(this);
    channel_->registerObject("tidemark", bridge_);
    page->setWebChannel(channel_, QWebEngineScript::ApplicationWorld);
    // A load the document starts itself (a refresh, a link followed) is a change too.
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        ++changes_;
        loading_ = true;
        scrollBarsHidden_ = false;
    });
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool) {
        ++changes_;
        if (!failureShowing_) loading_ = false;
        // The engine makes the widget that shows the page with the first load.
        ApplyFocusPolicy();
    });
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus || !loadFailed_ || ShowsProgramPage()) return;
        const std::optional<DocumentFailure> why = FailureOf(info);
        if (!why) return;
        // Told once the failed load has ended; until the notice it leads to is shown,
        // the view is still loading.
        failureShowing_ = true;
        loading_ = true;
        QMetaObject::invokeMethod(
            this,
            [this, why = *why, detail = info.errorString(),
             address = IsLocalDocumentUrl(info.url())
                           ? LocalDocumentPath(info.url())
                           : info.url().toDisplayString(QUrl::PreferLocalFile | QUrl::RemoveFragment)] {
                failureShowing_ = false;
                loadFailed_(address, why, detail);
                if (!ShowsProgramPage()) loading_ = false;
            },
            Qt::QueuedConnection);
    });
    // Queued: what the program does with a click (turning the page, loading documents and
    // waiting for them) must not run inside the engine's call, which holds the engine's
    // own loads back until it returns.
    connect(
        bridge_, &BrowserBridge::MouseUp, this,
        [this](const QString& tag, int button, bool ctrl) {
            if (mouseUp_) mouseUp_(tag, button, ctrl);
        },
        Qt::QueuedConnection);
    connect(bridge_, &BrowserBridge::Painted, this, [this](int serial) {
        if (serial <= paintReported_) return;
        paintReported_ = serial;
        framesAtReport_ = framesShown_;
        reportMs_ = NowMs();
    });
}

QtBrowser::~QtBrowser() {
    // The page belongs to the view; the view goes before the profile it uses.
    delete view_;
}

void QtBrowser::SetDocumentFilter(DocumentFilter filter) { *filter_ = std::move(filter); }

void QtBrowser::SetFollowsLinks(bool follows) {
    linkPolicy_->followsLinks = follows;
    bridge_->SetFollowsLinks(follows);
}

void QtBrowser::SetTakesFocus(bool takes) {
    takesFocus_ = takes;
    ApplyFocusPolicy();
}

void QtBrowser::ApplyFocusPolicy() {
    const Qt::FocusPolicy policy = takesFocus_ ? Qt::StrongFocus : Qt::NoFocus;
    view_->setFocusPolicy(policy);
    for (QWidget* inner : view_->findChildren<QWidget*>()) inner->setFocusPolicy(policy);
    QWidget* focused = QApplication::focusWidget();
    if (!takesFocus_ && focused && (focused == view_ || view_->isAncestorOf(focused))) focused->clearFocus();
}

void QtBrowser::Navigate(const QUrl& url) {
    programPageAddress_.clear();
    loading_ = true;
    ++changes_;
    view_->load(url);
}

void QtBrowser::ShowHtml(const QString& html, const QString& address) {
    programPageAddress_ = address;
    loading_ = true;
    ++changes_;
    // A page of the program's own names no other document; its address is the one it
    // stands for, under the program's scheme, never a file: address.
    view_->setHtml(html, address.startsWith('/') ? LocalDocumentUrl(address) : QUrl(QStringLiteral("about:blank")));
}

void QtBrowser::RefreshCompletely() {
    loading_ = true;
    ++changes_;
    view_->page()->triggerAction(QWebEnginePage::ReloadAndBypassCache);
}

QString QtBrowser::Location() const {
    if (!programPageAddress_.isEmpty()) return programPageAddress_;
    return view_->url().toString();
}

bool QtBrowser::WaitComplete(int ms) {
    return WaitFor([this] { return !loading_; }, ms);
}

void QtBrowser::Run(const QString& script) {
    ++changes_;
    view_->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld);
}

void QtBrowser::ScrollTo(int x, int y) { Run(QString("window.scrollTo(%1, %2);").arg(x).arg(y)); }

QPoint QtBrowser::ScrollPosition() const { return view_->page()->scrollPosition().toPoint(); }

std::optional<QPoint> QtBrowser::DocumentScrollPosition(int ms) {
    // Shared: an answer that comes after the wait ran out lands in a live object.
    auto answer = std::make_shared<std::optional<QPoint>>();
    view_->page()->runJavaScript("[window.scrollX, window.scrollY]", QWebEngineScript::ApplicationWorld,
                                 [answer](const QVariant& value) {
                                     const QVariantList xy = value.toList();
                                     if (xy.size() == 2)
                                         *answer = QPoint(qRound(xy[0].toDouble()), qRound(xy[1].toDouble()));
                                 });
    WaitFor([&] { return answer->has_value(); }, ms);
    return *answer;
}

std::optional<DocumentWords> QtBrowser::DocumentText(int maxChars, int ms) {
    if (ShowsProgramPage()) return std::nullopt;
    auto answer = std::make_shared<std::optional<DocumentWords>>();
    // innerText is what the engine rendered: hidden parts left out, a link as its text.
    // Cut in the page, so a huge document does not cross to the program whole.
    const QString script = QString(
                               "[String(document.title || '').slice(0, %1),"
                               " document.body ? String(document.body.innerText || '').slice(0, %1) : '']")
                               .arg(maxChars);
    view_->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [answer](const QVariant& value) {
        const QVariantList parts = value.toList();
        if (parts.size() == 2) *answer = DocumentWords{parts[0].toString(), parts[1].toString()};
    });
    WaitFor([&] { return answer->has_value(); }, ms);
    return *answer;
}

void QtBrowser::SetScrollBarsHidden(bool hidden) {
    // Only the element that carries the viewport's scroll bars is set: the document
    // element in standards mode, the body in quirks mode. Hidden overflow on the body of
    // a standards-mode page would clip the body itself, and its margin would no longer
    // merge with its first child's, moving the whole page down. Changing the viewport's
    // overflow may move the document back to its top, so it is put back where it was in
    // the same step; showing them clears both, whichever hid them.
    QString script = hidden ? QString(
                                  "(function () { var x = window.scrollX, y = window.scrollY; %1.style.overflow = "
                                  "'hidden'; window.scrollTo(x, y); })();")
                                  .arg(kViewportElement)
                            : QString(
                                  "(function () { var x = window.scrollX, y = window.scrollY;"
                                  " document.documentElement.style.overflow = '';"
                                  " if (document.body) document.body.style.overflow = '';"
                                  " window.scrollTo(x, y); })();");
    Run(script);
    scrollBarsHidden_ = hidden;
}

void QtBrowser::FitFirstImage(int width, int height) {
    QString script = QString(
                         "(function () { var image = document.images[0]; if (!image) return false;"
                         " image.width = %1; image.height = %2;"
                         " %3.style.overflow = 'hidden'; return true; })()")
                         .arg(width)
                         .arg(height)
                         .arg(kViewportElement);
    ++changes_;
    view_->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [this](const QVariant& fitted) {
        if (fitted.toBool()) scrollBarsHidden_ = true;
    });
}

QImage QtBrowser::Grab() const { return view_->grab().toImage(); }

void QtBrowser::WatchFrames() {
    auto* scene = qobject_cast<QQuickWidget*>(view_->focusProxy());
    if (!scene || scene->quickWindow() == watchedScene_) return;
    if (watchedScene_) disconnect(watchedScene_, nullptr, this, nullptr);
    watchedScene_ = scene->quickWindow();
    connect(watchedScene_, &QQuickWindow::afterRendering, this, [this] {
        ++framesShown_;
        lastFrameMs_ = NowMs();
    });
}

std::optional<ViewFrames> QtBrowser::FramesSinceReport() const {
    if (!watchedScene_ || !PaintReported()) return std::nullopt;
    const int shown = framesShown_ - framesAtReport_;
    return ViewFrames{shown, reportMs_, shown > 0 ? lastFrameMs_ : reportMs_};
}

bool QtBrowser::eventFilter(QObject* watched, QEvent* event) {
    // A view that moves shows the same frame; one resized, shown or hidden needs new ones.
    if (watched == view_ &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Show || event->type() == QEvent::Hide))
        ++changes_;
    // A widget the engine puts inside the view takes the view's policy.
    if (watched == view_ && event->type() == QEvent::ChildPolished && !takesFocus_) ApplyFocusPolicy();
    return QObject::eventFilter(watched, event);
}

void QtBrowser::RequestPaintReport() {
    WatchFrames();
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
    // The report's own script changes nothing in the document.
    changesAtRequest_ = changes_;
}

bool QtBrowser::WaitUntilViewerPainted(int ms) {
    // The viewer shows a plain backdrop until it has drawn the pages into it; then the
    // pixels are let settle.
    const Deadline deadline(ms);
    if (!WaitFor([&] { return !Uniform(Grab()); }, deadline.Left())) return false;
    // A frame between the backdrop and the pages (a view just resized) does not last.
    QImage before = Grab();
    int same = 0;
    return WaitFor(
        [&] {
            Pause(kSettleStepMs);
            QImage now = Grab();
            same = now == before && !Uniform(now) ? same + 1 : 0;
            before = now;
            return same >= kSettledFrames;
        },
        deadline.Left());
}

}  // namespace tidemark
