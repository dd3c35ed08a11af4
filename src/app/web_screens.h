#pragma once
// Web screens on the window: one browser per web screen of the setup (made only for
// those that exist, as each costs much memory), loading and reloading them, placing them
// in the layout pass, the mouse-ups of their documents, the web-screen menu, the scroll
// positions the setup file keeps, and waiting for their pixels before a page image. The
// window owns it and gives it its PageScreen, and what web screens need beyond that
// through WebScreensWindow.
#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/drawn_documents.h"
#include "app/page_screen.h"
#include "app/web_console.h"
#include "core/host.h"
#include "data/program_state.h"
#include "pages/document_access.h"
#include "pages/layout.h"
#include "pages/web_screen.h"
#include "publish/page_readings.h"
#include "setup/setup_writer.h"

class QUrl;
class QWidget;

namespace tidemark {

class Browser;
class MenuList;
class SplashWindow;
class WebEngine;

// Where "Help is online at" points: the project's README as installed.
extern const char* const kHelpPageAddress;

// Whether a web screen of the setup needs the browser engine: one that is not a PDF or
// workbook the program draws itself.
bool NeedsBrowserEngine(const ProgramState& state);

// What web screens need of the window beyond its PageScreen.
class WebScreensWindow {
public:
    virtual ~WebScreensWindow() = default;
    // The values list and the graph menu are put away when a document is clicked.
    virtual void HideGraphLists() = 0;
    virtual void StopPaging() = 0;
    virtual void SelectSlot(int slot) = 0;
    virtual int SelectedSlot() const = 0;
    virtual void OpenAutoPagingAt(const QPoint& at) = 0;
    virtual void OpenSetupAt(const QPoint& at) = 0;
    virtual void OpenOutputChooserAt(const QPoint& at) = 0;
    // The splash window of an unattended start, while it shows; else null.
    virtual SplashWindow* Splash() = 0;
    virtual double ClientWidthTwips() const = 0;
    virtual double ClientHeightTwips() const = 0;
};

class WebScreens : public QObject, public WebScrollSource {
    Q_OBJECT
public:
    // Browsers are children of `page`; `menu` is the web-screen menu List4.
    WebScreens(ProgramState& state, Host& host, PageScreen& screen, WebScreensWindow& window, QWidget& page,
               MenuList& menu);
    ~WebScreens() override;

    // loadWebScreen: loads or reloads the web screen of slot `slot` of page `page`.
    void Load(int page, int slot);
    // A load that need not hold up the loading of the pages: the browser goes to its
    // document out of sight, without waiting, and the load is finished when its page is
    // first laid out, so the engine loads documents while the graphs load and draw.
    void LoadWithoutWaiting(int page, int slot);
    void HideBrowsers();
    // Before the window is first shown: a setup with HTML web screens gets its first
    // browser now. A browser's view is drawn through the graphics stack, and a window
    // already on screen when the first one comes is made anew for it, which loses the
    // maximised state a window manager gave it.
    void PrepareForWindow();
    // A one-shot render, ahead of page `page` (laid out as `layout`): each of its browsers
    // whose document has loaded goes to its size out of sight and is asked for a paint
    // report, so that it lays out and paints while earlier pages are drawn. Its place in
    // the layout pass then only moves it.
    void PrepareAhead(int page, const FormLayout& layout);
    // Some deferred load of page `page` has ended: PrepareAhead has work for it.
    bool DeferredLoadEnded(int page) const;
    // The layout pass' web-screen steps: place, show, load PDF and sheet documents again,
    // fit the first image of the browsers the pass refits.
    void Place(const FormLayout& layout);

    // Layout state shared with the pass: the last browser fitted (-1 none) and the
    // refit-all flag that "Enlarge" sets and the pass clears.
    int LastFittedBrowser() const { return lastFitted_; }
    void SetLastFittedBrowser(int browser) { lastFitted_ = browser; }
    bool RefitAll() const { return refitAll_; }
    void ClearRefitAll() { refitAll_ = false; }

    // The command of the web-screen menu's row `row`, run for the selected slot and the
    // active browser.
    void RunMenu(int row);
    const WebMenuState& MenuState() const { return menuState_; }
    bool Enlarged() const { return menuState_.enlarged; }
    // The page is turned: an enlarged web screen is back in its place.
    void EndEnlarged() { SetEnlarged(false); }
    // A mouse-up in the document of browser `browser`.
    void DocumentMouseUp(int browser, const QString& tag, int button, bool ctrl);

    // An enlarged web screen went back into the page: its document returns to the
    // saved scroll position.
    void RestoreActiveScroll();
    // Before the window is captured: each shown browser has painted what it loaded.
    void WaitUntilPainted();

    // The web screens of page `page` as the site tells them: the text of each HTML
    // document as it shows now, the names of PDFs and workbooks.
    std::vector<PublishedDocument> DocumentsOf(int page);

    // WebScrollSource: the setup writer's scroll positions (no events run).
    std::optional<ScrollPosition> CurrentScroll(int browserIndex) override;

    // Browser `index`, or null when none was made for it.
    Browser* BrowserAt(int index) const;
    // The browser engine has been loaded (for an HTML web screen).
    bool EngineLoaded() const { return engine_ != nullptr; }

private:
    struct DeferredLoad {
        int browser;
        int page;
        int slot;
    };

    bool HasBrowserIndex(int index) const;
    // The browser index of the web screen in slot `slot` of page `page`, or -1.
    int WebScreenBrowser(int page, int slot) const;
    std::vector<DeferredLoad>::iterator DeferredFor(int browser);
    // After a load: the saved scroll position, the scroll bars, out of sight again.
    void Settle(Browser& browser, const GraphDef& g);
    // Browser `index` for a document at `address`, made when missing or of the wrong
    // kind: one the program draws for a PDF or workbook, else one of the browser engine
    // (loaded with the first); null when the engine cannot be loaded.
    Browser* BrowserFor(int index, const std::string& address);
    // Navigates to the address, or shows a workbook's first sheet or a PDF's pages; a
    // local file the web screens may not show gives a notice instead.
    void Show(Browser& browser, const std::string& address);
    DocumentCheck CheckDocument(const QString& address) const;
    // The allowed folders, resolved with the first web screen; folders the environment
    // names that would open everything are told then, once.
    const DocumentRule& Rule() const;
    // A link to a PDF in a page, or to a file it may not show or that is not there: the
    // view stays, and the user is told why.
    void DocumentLinkFollowed(const QUrl& url);
    // Why a followed link's document is not shown, as a phrase.
    std::string LinkRefusalReason(const QUrl& url) const;
    // A local PDF or workbook the program draws, opened and checked first.
    void ShowDrawnDocument(Browser& browser, const QString& address, const DocumentCheck& check);
    // The browsers' document filter: no link, redirect or frame leads where Show would
    // not go.
    bool MayLoad(const QUrl& url) const;
    // The notice in the browser, and the refusal told once per address.
    void ShowRefusal(Browser& browser, const QString& address, const DocumentCheck& check);
    // A document the browser was sent to could not be loaded: the notice instead.
    void ShowFailure(int index, const QString& address, DocumentFailure why, const QString& detail);
    // The notice of a document not shown in its place, told once per address.
    void ShowNotice(Browser& browser, const QString& address, const std::string& reason);
    // The navigation switch of the web screen: links followed and the keyboard focus
    // taken only where navigation is allowed.
    void ApplyNavigationSwitch(Browser& browser, const GraphDef& g);
    // The web screen of the current page the menu acts on, with its browser.
    GraphDef* MenuSlot(int& slot);
    // Sets the menu's state and shows the caption of the row that follows it.
    void SetEnlarged(bool on);
    void Enlarge(Browser& browser, const GraphDef& g);
    void ToggleScrollBars(Browser& browser, GraphDef& g);
    void Back(Browser& browser, const GraphDef& g);
    void ScrollToSaved(Browser& browser, const GraphDef& g);

    ProgramState& state_;
    Host& host_;
    PageScreen& screen_;
    WebScreensWindow& window_;
    QWidget& page_;
    MenuList& menu_;
    std::unique_ptr<WebEngine> engine_;  // loaded with the first browser
    bool engineFault_ = false;           // it could not be, and the user was told
    std::vector<std::unique_ptr<Browser>> browsers_;
    std::vector<DeferredLoad> deferred_;  // in load order
    std::set<int> preparedAhead_;         // browsers PrepareAhead placed out of sight
    DrawnDocuments drawn_;
    WebConsole console_;
    std::set<std::string> toldRefusals_;  // addresses whose refusal was told
    // Browsers that show a notice in place of their document: it answers clicks as a
    // page does, whatever kind of document the address names.
    std::set<const Browser*> notices_;
    // The allowed folders, resolved once: every request of every page asks, and the
    // folders and the environment do not change while the program runs.
    mutable std::optional<DocumentRule> documentRule_;
    int active_ = -1;
    int lastFitted_ = -1;
    bool refitAll_ = false;
    WebMenuState menuState_;
};

}  // namespace tidemark
