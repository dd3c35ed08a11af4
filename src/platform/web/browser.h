#pragma once
// One web screen's browser: a view on the shared profile, what the program asks of it
// (navigate, refresh bypassing the cache, the address shown, whether loading is done,
// scrolling, scroll bars, fitting the first image) and the mouse-ups of its document.
// Waits here let the event loop run and are bounded.
#include <QObject>
#include <QPoint>
#include <QString>
#include <QUrl>
#include <vector>

class QImage;
class QWebEngineView;
class QWebChannel;
class QWidget;

namespace tidemark {

class WebEngine;

// The object the document's script calls (through the web channel).
class BrowserBridge : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    Q_INVOKABLE void mouseUp(const QString& tag, int button, bool ctrl) { Q_EMIT MouseUp(tag, button, ctrl); }
    Q_INVOKABLE void painted(int serial) { Q_EMIT Painted(serial); }
Q_SIGNALS:
    void MouseUp(const QString& tag, int button, bool ctrl);
    void Painted(int serial);
};

class Browser : public QObject {
    Q_OBJECT
public:
    Browser(WebEngine& engine, QWidget* parent);
    ~Browser() override;

    QWebEngineView* View() const { return view_; }

    void Navigate(const QUrl& url);
    // Shows a document made by the program (a sheet as a table, a PDF's pages as
    // images) under the address it stands for.
    void ShowHtml(const QString& html, const QString& address);
    // What is shown is such a document: it runs the program's script.
    bool ShowsProgramPage() const { return !programPageAddress_.isEmpty(); }
    // Loads the present document again from its source, not from the cache.
    void RefreshCompletely();
    // The address of the document shown (empty before the first load).
    QString Location() const;
    // The last load has ended (and nothing is loading).
    bool Complete() const { return !loading_; }
    // Lets events run until the load has ended; false when `ms` ran out first.
    bool WaitComplete(int ms);

    void ScrollTo(int x, int y);
    // The document's scroll position as the engine last reported it (no events run).
    QPoint ScrollPosition() const;
    void SetScrollBarsHidden(bool hidden);
    bool ScrollBarsHidden() const { return scrollBarsHidden_; }
    // Sizes the document's first image to (width, height) pixels and hides the scroll
    // bars when there is one; nothing happens to a document without images.
    void FitFirstImage(int width, int height);

    // Page images (see WaitUntilPainted below): asks the document to say when it has
    // produced frames of the view's size, which PaintReported then tells.
    void RequestPaintReport();
    bool PaintReported() const { return paintReported_ >= paintRequested_; }
    // A PDF viewer cannot say so: its pixels are watched until they show more than the
    // viewer's empty frame and stay, at most `ms`.
    bool WaitUntilViewerPainted(int ms);
    QImage Grab() const;

Q_SIGNALS:
    void DocumentMouseUp(const QString& tag, int button, bool ctrl);

private:
    void Run(const QString& script);

    QWebEngineView* view_;
    QWebChannel* channel_;
    BrowserBridge* bridge_;
    bool loading_ = false;
    bool scrollBarsHidden_ = false;
    QString programPageAddress_;
    int paintRequested_ = 0;
    int paintReported_ = -1;
};

struct PaintWait {
    Browser* browser;
    bool reportsPaint;  // the document runs the program's script
};

// Page images: lets events run until every shown browser of `waits` shows what it loaded,
// at most `ms` in all; false when one did not.
bool WaitUntilPainted(const std::vector<PaintWait>& waits, int ms);

}  // namespace tidemark
