#pragma once
// The browser of a web screen on QtWebEngine: a view on the shared profile and a web
// channel through which the document's script reports mouse-ups and frames.
#include <QObject>
#include <QPointer>
#include <memory>

#include "devices/web/browser.h"

class QQuickWindow;
class QWebEngineProfile;
class QWebEngineView;
class QWebChannel;

namespace tidemark {

// The object the document's script calls (through the web channel).
class BrowserBridge : public QObject {
    Q_OBJECT
    // Read by the document's script on every click: whether the page may follow it.
    Q_PROPERTY(bool followsLinks READ FollowsLinks NOTIFY FollowsLinksChanged)
public:
    using QObject::QObject;
    Q_INVOKABLE void mouseUp(const QString& tag, int button, bool ctrl) { Q_EMIT MouseUp(tag, button, ctrl); }
    Q_INVOKABLE void painted(int serial) { Q_EMIT Painted(serial); }
    bool FollowsLinks() const { return followsLinks_; }
    void SetFollowsLinks(bool follows) {
        if (follows == followsLinks_) return;
        followsLinks_ = follows;
        Q_EMIT FollowsLinksChanged();
    }
Q_SIGNALS:
    void MouseUp(const QString& tag, int button, bool ctrl);
    void Painted(int serial);
    void FollowsLinksChanged();

private:
    bool followsLinks_ = true;
};

// What the page asks of the program: whether it follows links, where its console lines
// and the links to documents it does not show go. A type of this module's own: a
// shared_ptr<bool> control block is made by the program too, and the two copies of its
// vtable (the module is loaded RTLD_LOCAL) trip the sanitizer's check of dynamic types.
struct LinkPolicy {
    bool followsLinks = true;
    Browser::ConsoleHandler console;
    Browser::DocumentLinkHandler documentLink;
};

class QtBrowser : public QObject, public Browser {
    Q_OBJECT
public:
    QtBrowser(QWebEngineProfile& profile, QWidget* parent);
    ~QtBrowser() override;

    QWidget* View() const override;
    void SetMouseUpHandler(MouseUpHandler handler) override { mouseUp_ = std::move(handler); }
    void SetDocumentFilter(DocumentFilter filter) override;
    void SetConsoleHandler(ConsoleHandler handler) override { linkPolicy_->console = std::move(handler); }
    void SetDocumentLinkHandler(DocumentLinkHandler handler) override {
        linkPolicy_->documentLink = std::move(handler);
    }
    void SetLoadFailedHandler(LoadFailedHandler handler) override { loadFailed_ = std::move(handler); }
    void SetFollowsLinks(bool follows) override;
    void SetTakesFocus(bool takes) override;
    void Navigate(const QUrl& url) override;
    void ShowHtml(const QString& html, const QString& address) override;
    bool ShowsProgramPage() const override { return !programPageAddress_.isEmpty(); }
    void RefreshCompletely() override;
    QString Location() const override;
    bool Complete() const override { return !loading_; }
    bool WaitComplete(int ms) override;
    void ScrollTo(int x, int y) override;
    QPoint ScrollPosition() const override;
    std::optional<QPoint> DocumentScrollPosition(int ms) override;
    std::optional<DocumentWords> DocumentText(int maxChars, int ms) override;
    void SetScrollBarsHidden(bool hidden) override;
    bool ScrollBarsHidden() const override { return scrollBarsHidden_; }
    void FitFirstImage(int width, int height) override;
    void RequestPaintReport() override;
    bool PaintReported() const override { return paintReported_ >= paintRequested_; }
    bool PaintReportAskedSinceChange() const override { return changesAtRequest_ == changes_; }
    std::optional<ViewFrames> FramesSinceReport() const override;
    bool WaitUntilViewerPainted(int ms) override;
    QImage Grab() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Run(const QString& script);
    // Counts the frames the view puts on screen, from the scene that shows them; the
    // engine makes that scene when the view is first shown and may make it anew.
    void WatchFrames();
    // The view and the widgets the engine puts inside it take the focus or not.
    void ApplyFocusPolicy();

    QWebEngineView* view_;
    QWebChannel* channel_;
    BrowserBridge* bridge_;
    MouseUpHandler mouseUp_;
    LoadFailedHandler loadFailed_;
    bool takesFocus_ = true;
    // A load failed and its notice is still to be shown: the view is not done loading.
    bool failureShowing_ = false;
    // Shared with the page and its request interceptor, which ask it.
    std::shared_ptr<DocumentFilter> filter_;
    // Shared with the page, which asks it for every link followed and form sent.
    std::shared_ptr<LinkPolicy> linkPolicy_;
    bool loading_ = false;
    bool scrollBarsHidden_ = false;
    QString programPageAddress_;
    int paintRequested_ = 0;
    int paintReported_ = -1;
    // What the document or its view was last told to do (load, script, size, showing),
    // counted, and how far the count was when a paint report was last asked for.
    int changes_ = 0;
    int changesAtRequest_ = -1;
    QPointer<QQuickWindow> watchedScene_;
    int framesShown_ = 0;
    qint64 lastFrameMs_ = 0;
    int framesAtReport_ = 0;
    qint64 reportMs_ = 0;
};

}  // namespace tidemark
