#pragma once
// One web screen's browser as the program sees it: what it asks of it (navigate, refresh
// bypassing the cache, the address shown, whether loading is done, scrolling, scroll
// bars, fitting the first image, its frames for page images), the mouse-ups of its
// document and what it may load. The browser engine behind it is a module of its own
// (web_engine.h). Waits here let the event loop run and are bounded.
#include <QPoint>
#include <QString>
#include <QUrl>
#include <QtGlobal>
#include <functional>
#include <optional>
#include <vector>

#include "pages/web_screen.h"

class QImage;
class QWidget;

namespace tidemark {

// The frames a view has put on screen since a moment, on the clock of NowMs().
struct ViewFrames {
    int shown = 0;           // frames shown since then
    qint64 sinceMs = 0;      // the moment
    qint64 lastShownMs = 0;  // the last frame shown, or sinceMs when none
};

// A document's title and the text the engine rendered of it (links as their text).
struct DocumentWords {
    QString title, text;
};

class Browser {
public:
    // The source element's tag name, the button (1 left, 2 right, 4 middle), Ctrl.
    using MouseUpHandler = std::function<void(const QString& tag, int button, bool ctrl)>;

    Browser() = default;
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;
    virtual ~Browser() = default;

    // Why a document the view was sent to could not be shown: its address, why, and the
    // engine's own words.
    using LoadFailedHandler = std::function<void(const QString& address, DocumentFailure why, const QString& detail)>;

    // Whether the view may load `url`: asked for every document and file the view loads,
    // also those a document asks for itself (a link followed, a redirect, a frame, an
    // image), so that no document leads the view where the program would not go. A
    // browser without one loads everything.
    using DocumentFilter = std::function<bool(const QUrl& url)>;

    // A line a document wrote to its console: its level (0 information, 1 warning, 2
    // error), the text, and where it was written. Nothing else sees these lines.
    using ConsoleHandler = std::function<void(int level, const QString& text, const QString& source, int line)>;
    // A link the document's user followed to a document the view does not show itself (a
    // PDF, or one the filter refuses or that is not there): the view stays where it is.
    using DocumentLinkHandler = std::function<void(const QUrl& url)>;

    virtual QWidget* View() const = 0;
    virtual void SetMouseUpHandler(MouseUpHandler handler) = 0;
    virtual void SetConsoleHandler(ConsoleHandler handler) = 0;
    virtual void SetDocumentLinkHandler(DocumentLinkHandler handler) = 0;
    virtual void SetDocumentFilter(DocumentFilter filter) = 0;
    // Called when a document the view was sent to (Navigate, RefreshCompletely) cannot be
    // loaded; the view would otherwise keep an empty page with nothing that answers clicks.
    virtual void SetLoadFailedHandler(LoadFailedHandler handler) = 0;
    // Whether the document's links and forms may take the view elsewhere. When they may
    // not, a click on a link is only the click the program makes of it.
    virtual void SetFollowsLinks(bool follows) = 0;
    // Whether the view takes the keyboard focus; a view that does shows the document's
    // focused link with its outline, on screen and in page images.
    virtual void SetTakesFocus(bool takes) = 0;

    virtual void Navigate(const QUrl& url) = 0;
    // Shows a document made by the program (a sheet as a table, a PDF's pages as
    // images) under the address it stands for.
    virtual void ShowHtml(const QString& html, const QString& address) = 0;
    // What is shown is such a document: it runs the program's script.
    virtual bool ShowsProgramPage() const = 0;
    // Loads the present document again from its source, not from the cache.
    virtual void RefreshCompletely() = 0;
    // The address of the document shown (empty before the first load).
    virtual QString Location() const = 0;
    // The last load has ended (and nothing is loading).
    virtual bool Complete() const = 0;
    // Lets events run until the load has ended; false when `ms` ran out first.
    virtual bool WaitComplete(int ms) = 0;

    virtual void ScrollTo(int x, int y) = 0;
    // The document's scroll position as the engine last reported it (no events run).
    virtual QPoint ScrollPosition() const = 0;
    // The document's scroll position as the document itself tells it, letting events run
    // at most `ms`; nullopt when it did not answer. The engine's report may lag behind a
    // view that was hidden or just scrolled by script.
    virtual std::optional<QPoint> DocumentScrollPosition(int ms) = 0;
    // The document's title and rendered text, at most `maxChars` of it, letting events run
    // at most `ms`; nullopt when it did not answer or is not a document the engine
    // renders.
    virtual std::optional<DocumentWords> DocumentText(int maxChars, int ms) = 0;
    // Hides or shows the document's scroll bars; the document stays where it is scrolled.
    virtual void SetScrollBarsHidden(bool hidden) = 0;
    virtual bool ScrollBarsHidden() const = 0;
    // Sizes the document's first image to (width, height) pixels and hides the scroll
    // bars when there is one; nothing happens to a document without images.
    virtual void FitFirstImage(int width, int height) = 0;

    // Page images (see WaitUntilPainted below): asks the document to say when it has
    // produced frames of the view's size, which PaintReported then tells.
    virtual void RequestPaintReport() = 0;
    virtual bool PaintReported() const = 0;
    // A paint report has been asked for since the document or its view last changed (it
    // may not have come yet): asking again would only wait for the same frames.
    virtual bool PaintReportAskedSinceChange() const = 0;
    // What the view has shown since the last paint report came, when the engine tells
    // its frames; nullopt when it does not.
    virtual std::optional<ViewFrames> FramesSinceReport() const = 0;
    // A PDF viewer cannot say so: its pixels are watched until they show more than the
    // viewer's empty frame and stay, at most `ms`.
    virtual bool WaitUntilViewerPainted(int ms) = 0;
    virtual QImage Grab() const = 0;
};

struct PaintWait {
    Browser* browser;
    bool reportsPaint;  // the document runs the program's script
};

// Page images: lets events run until every shown browser of `waits` shows what it loaded,
// at most `ms` in all; false when one did not.
bool WaitUntilPainted(const std::vector<PaintWait>& waits, int ms);

}  // namespace tidemark
