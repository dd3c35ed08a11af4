#include "app/web_screens.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

#include "app/document_browser.h"
#include "app/menu_list.h"
#include "app/splash_window.h"
#include "core/units.h"
#include "core/vbtext.h"
#include "devices/web/browser.h"
#include "devices/web/local_document_source.h"
#include "devices/web/web_engine.h"
#include "pages/document_access.h"
#include "publish/site_documents.h"
#include "setup/web_screen_slot.h"
#include "storage/qt_bridge/qt_bridge.h"

#ifndef TIDEMARK_HELP_PAGE
#define TIDEMARK_HELP_PAGE "file:///usr/local/share/doc/tidemark/README.md"
#endif

namespace tidemark {

const char* const kHelpPageAddress = TIDEMARK_HELP_PAGE;

namespace {

// Where a browser waits while it loads: the top-left corner, 20 twips square.
constexpr double kParkedTwips = 20;
constexpr const char* kPdfView = "toolbar=0&view=Fit";
// What a browser made before the window is shown holds until its web screen loads.
constexpr const char* kNoDocumentYet = "about:blank";
// The bound on waiting for a document to tell where it is scrolled.
constexpr int kScrollAnswerMs = 2000;
// The bound on waiting for a shown browser's pixels before a capture.
constexpr int kPaintWaitMs = 8000;
// A document that has painted answers for its text at once; one that hangs is not waited for.
constexpr int kDocumentTextWaitMs = 2000;

std::string Untrailed(const std::string& address) {
    size_t end = address.size();
    while (end > 0 && address[end - 1] == ' ') --end;
    return address.substr(0, end);
}

}  // namespace

WebScreens::WebScreens(ProgramState& state, Host& host, PageScreen& screen, WebScreensWindow& window, QWidget& page,
                       MenuList& menu)
    : state_(state), host_(host), screen_(screen), window_(window), page_(page), menu_(menu) {
    // The active browser is the one that last took the focus.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now) return;
        for (size_t i = 0; i < browsers_.size(); ++i) {
            QWidget* view = browsers_[i] ? browsers_[i]->View() : nullptr;
            if (view && (view == now || view->isAncestorOf(now) || view->focusProxy() == now))
                active_ = static_cast<int>(i);
        }
    });
}

WebScreens::~WebScreens() = default;

Browser* WebScreens::BrowserAt(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= browsers_.size()) return nullptr;
    return browsers_[static_cast<size_t>(index)].get();
}

bool WebScreens::HasBrowserIndex(int index) const {
    // Browsers are made in load order, one per web screen of the setup; any other number
    // (a line that gives its own) names none.
    return index >= 0 && index < std::max<int>(state_.pages.webscreencount, static_cast<int>(browsers_.size()));
}

bool NeedsBrowserEngine(const ProgramState& state) {
    for (int p = 1; p <= state.pages.pagecount && static_cast<size_t>(p) < state.pages.pages.size(); ++p)
        for (const GraphDef& g : state.pages.Page(p).slots)
            if (g.Kind() == SlotKind::WebScreen &&
                !DocumentBrowser::Shows(ProgramText(Untrailed(WebScreenView(g).Address()))))
                return true;
    return false;
}

Browser* WebScreens::BrowserFor(int index, const std::string& address) {
    if (index < 0) index = 0;
    // A PDF or workbook the program draws itself needs no browser engine.
    const bool drawn = DocumentBrowser::Shows(ProgramText(Untrailed(address)));
    if (static_cast<size_t>(index) >= browsers_.size()) browsers_.resize(static_cast<size_t>(index) + 1);
    std::unique_ptr<Browser>& browser = browsers_[static_cast<size_t>(index)];
    // The setup frame may have given the web screen a document of the other kind.
    if (browser && drawn != (dynamic_cast<DocumentBrowser*>(browser.get()) != nullptr)) {
        drawn_.Forget(browser.get());
        notices_.erase(browser.get());
        browser.reset();
    }
    if (!browser && !drawn && !engine_ && !engineFault_) {
        Result<std::unique_ptr<WebEngine>> loaded = LoadWebEngine();
        // Told once: the graphs go on without their web screens.
        if (loaded) {
            engine_ = std::move(loaded.value());
            engine_->SetLocalDocumentSource([this](const QString& path) { return ServeLocalDocument(Rule(), path); });
        } else {
            engineFault_ = true;
            host_.Message(loaded.error(), MsgButtons::Ok, MsgIcon::Exclamation);
        }
    }
    if (!browser) {
        if (drawn)
            browser = std::make_unique<DocumentBrowser>(&page_);
        else if (engine_)
            browser = engine_->MakeBrowser(&page_);
        else
            return nullptr;
        browser->View()->setObjectName(QString("WebBrowser1_%1").arg(index));
        browser->View()->hide();
        browser->SetMouseUpHandler(
            [this, index](const QString& tag, int button, bool ctrl) { DocumentMouseUp(index, tag, button, ctrl); });
        browser->SetDocumentFilter([this](const QUrl& url) { return MayLoad(url); });
        browser->SetConsoleHandler([this, index](int level, const QString& text, const QString& source, int line) {
            console_.Line(BrowserAt(index), index + 1, level, text, source, line);
        });
        browser->SetDocumentLinkHandler([this](const QUrl& url) { DocumentLinkFollowed(url); });
        browser->SetLoadFailedHandler(
            [this, index](const QString& address, DocumentFailure why, const QString& detail) {
                ShowFailure(index, address, why, detail);
            });
    }
    return browser.get();
}

void WebScreens::Show(Browser& browser, const std::string& address) {
    notices_.erase(&browser);
    console_.NewDocument(&browser);
    const QString text = ProgramText(Untrailed(address)).trimmed();
    const DocumentCheck check = CheckDocument(text);
    if (!check.Shown()) {
        ShowRefusal(browser, text, check);
        return;
    }
    QUrl url;
    if (check.access == DocumentAccess::Allowed) {
        if (DocumentBrowser::Shows(text)) {
            ShowDrawnDocument(browser, text, check);
            return;
        }
        // The engine is given the file under the program's scheme, by its real path (its
        // relative links resolve beside it); the file itself is opened and checked again
        // when the engine asks for it.
        url = LocalDocumentUrl(QFile::decodeName(QByteArray::fromStdString(check.path.string())));
        if (text.contains("://")) url.setFragment(QUrl::fromUserInput(text).fragment());
    } else {
        url = QUrl::fromUserInput(text);
        // Nothing the engine would take for a local file reaches it.
        if (IsFileAddress(url)) {
            ShowRefusal(browser, text, {DocumentAccess::Outside, {}});
            return;
        }
    }
    // A PDF shows its whole page without the viewer's tool bar, as a wall display wants
    // it, unless the address asks for a view of its own.
    if (url.path().endsWith(".pdf", Qt::CaseInsensitive) && !url.hasFragment()) url.setFragment(kPdfView);
    browser.Navigate(url);
}

void WebScreens::ShowDrawnDocument(Browser& browser, const QString& address, const DocumentCheck& check) {
    auto* drawnBy = dynamic_cast<DocumentBrowser*>(&browser);
    if (!drawnBy) return;
    QSize pixels(1920, 1080);
    if (const QScreen* screen = page_.screen()) pixels = screen->size() * screen->devicePixelRatio();
    const DocumentAccess access = drawn_.Show(*drawnBy, address, check.path, Rule(), pixels);
    if (access != DocumentAccess::Allowed) ShowRefusal(browser, address, {access, check.path});
}

const DocumentRule& WebScreens::Rule() const {
    if (!documentRule_) {
        const char* webFolders = std::getenv(kWebFoldersVariable);
        documentRule_.emplace(QFile::encodeName(ProgramText(state_.programFolder)).toStdString(),
                              webFolders ? webFolders : "", QFile::encodeName(QDir::homePath()).toStdString());
        // Told once, as the first web screen loads; the others are shown without them.
        for (const RefusedFolder& refused : documentRule_->RefusedFolders())
            host_.Message(RefusedFolderMessage(refused), MsgButtons::Ok, MsgIcon::Exclamation);
    }
    return *documentRule_;
}

DocumentCheck WebScreens::CheckDocument(const QString& address) const {
    return Rule().CheckAddress(QFile::encodeName(address).toStdString());
}

bool WebScreens::MayLoad(const QUrl& url) const {
    if (IsFileAddress(url)) return false;
    // A first look: the file is opened and checked again when the engine asks for it.
    if (IsLocalDocumentUrl(url))
        return Rule().CheckPath(QFile::encodeName(LocalDocumentPath(url)).toStdString()).Shown();
    return CheckDocument(url.toString(QUrl::FullyEncoded)).Shown();
}

void WebScreens::DocumentLinkFollowed(const QUrl& url) {
    const QString address =
        IsLocalDocumentUrl(url) ? LocalDocumentPath(url) : url.toDisplayString(QUrl::RemoveUserInfo);
    const std::string named = QFile::encodeName(address).toStdString();
    if (MayLoad(url)) {
        host_.SetCaption(ToProgramText(QString::fromUtf8(
            NotShownMessage(named, "a PDF is shown only as a web screen of its own, not through a link"))));
        return;
    }
    // A link to a file the page may not show, or to none: told once, as a web screen's
    // own address is.
    if (!toldRefusals_.insert(ToProgramText(address)).second) return;
    host_.SetCaption(ToProgramText(QString::fromUtf8(NotShownMessage(named, LinkRefusalReason(url)))));
}

std::string WebScreens::LinkRefusalReason(const QUrl& url) const {
    // The engine follows no file: address; the page links to its neighbours by name.
    if (IsFileAddress(url)) return "a link to a file: address is not followed";
    const DocumentCheck check = IsLocalDocumentUrl(url)
                                    ? Rule().CheckPath(QFile::encodeName(LocalDocumentPath(url)).toStdString())
                                    : CheckDocument(url.toString(QUrl::FullyEncoded));
    const std::string reason = RefusalReason(check.access);
    return reason.empty() ? RefusalReason(DocumentAccess::Outside) : reason;
}

void WebScreens::ShowRefusal(Browser& browser, const QString& address, const DocumentCheck& check) {
    ShowNotice(browser, address, RefusalReason(check.access));
}

void WebScreens::ShowFailure(int index, const QString& address, DocumentFailure why, const QString& detail) {
    Browser* browser = BrowserAt(index);
    if (!browser) return;
    ShowNotice(*browser, address, FailureReason(why, ToProgramText(detail)));
}

void WebScreens::ShowNotice(Browser& browser, const QString& address, const std::string& reason) {
    const std::string named = QFile::encodeName(address).toStdString();
    browser.ShowHtml(QString::fromUtf8(NotShownPageHtml(named, reason)), address);
    notices_.insert(&browser);
    // Told once: every layout pass shows a PDF or workbook address again.
    const std::string message = ToProgramText(QString::fromUtf8(NotShownMessage(named, reason)));
    if (!toldRefusals_.insert(ToProgramText(address)).second) return;
    host_.SetCaption(message);
    // Nobody reads the caption of an unattended run; no message box holds it up either.
    if (state_.autostartseconds != 0) host_.Message(message, MsgButtons::Ok, MsgIcon::Exclamation);
}

void WebScreens::ApplyNavigationSwitch(Browser& browser, const GraphDef& g) {
    const bool allowed = WebScreenView(g).AllowNavigation();
    browser.SetFollowsLinks(allowed);
    browser.SetTakesFocus(allowed);
}

int WebScreens::WebScreenBrowser(int page, int slot) const {
    if (!state_.pages.ValidPage(page) || slot < 0 || slot >= kGraphsPerPage) return -1;
    const GraphDef& g = state_.pages.Graph(page, slot);
    const int b = WebScreenView(g).BrowserIndex();
    if (g.Kind() != SlotKind::WebScreen || !HasBrowserIndex(b)) return -1;
    return b;
}

std::vector<WebScreens::DeferredLoad>::iterator WebScreens::DeferredFor(int browser) {
    return std::find_if(deferred_.begin(), deferred_.end(),
                        [browser](const DeferredLoad& load) { return load.browser == browser; });
}

void WebScreens::Load(int page, int slot) {
    const int b = WebScreenBrowser(page, slot);
    if (b < 0) return;
    GraphDef& g = state_.pages.Graph(page, slot);
    const std::string address = WebScreenView(g).Address();
    Browser* made = BrowserFor(b, address);
    if (!made) return;
    Browser& browser = *made;
    ApplyNavigationSwitch(browser, g);
    if (auto pending = DeferredFor(b); pending != deferred_.end()) {
        const bool waitForIt = pending->page == page && pending->slot == slot;
        // Taken off first: a layout pass while this one waits finds nothing left to do.
        deferred_.erase(pending);
        // Under way already, it is as fresh as a reload would be.
        if (waitForIt) {
            if (browser.WaitComplete(kLoadWaitMs)) Settle(browser, g);
            return;
        }
    }
    host_.Yield();

    const int count = std::max<int>(state_.pages.webscreencount, b + 1);
    WebScreenProgress progress = ProgressFor(b, count);
    if (SplashWindow* splash = window_.Splash())
        splash->SetProgress(progress.barWidthTwips, ProgramText(progress.label));
    host_.Yield();

    QWidget* view = browser.View();
    view->setGeometry(0, 0, std::max(1, TwipsToPixels(kParkedTwips)), std::max(1, TwipsToPixels(kParkedTwips)));
    view->show();
    host_.Yield();
    QString current = browser.Location();
    host_.Yield();

    bool loaded = true;
    if (current.size() < 12) {
        Show(browser, address);
        loaded = browser.WaitComplete(kLoadWaitMs);
    } else {
        // A page the user navigated away from comes home again.
        if (IsSheetAddress(address))
            Show(browser, address);
        else
            browser.RefreshCompletely();
        loaded = browser.WaitComplete(kLoadWaitMs);
        if (loaded) {
            Show(browser, address);
            loaded = browser.WaitComplete(kLoadWaitMs);
        }
    }
    if (loaded) Settle(browser, g);
    if (b + 1 == count)
        if (SplashWindow* splash = window_.Splash()) splash->SetMessage(ProgramText(HelpNotice(kHelpPageAddress)));
}

void WebScreens::Settle(Browser& browser, const GraphDef& g) {
    host_.Yield();
    const WebScreenView web(g);
    if (IsScriptableAddress(web.Address())) {
        browser.ScrollTo(web.SavedScroll().left, web.SavedScroll().top);
        host_.Yield();
        if (!web.ScrollBars()) browser.SetScrollBarsHidden(true);
    }
    host_.Yield();
    host_.Yield();
    browser.View()->hide();
    host_.Yield();
    host_.Yield();
}

void WebScreens::LoadWithoutWaiting(int page, int slot) {
    const int b = WebScreenBrowser(page, slot);
    if (b < 0) return;
    const Browser* made = BrowserAt(b);
    // A browser that shows a document already, or one another slot waits for, is
    // loaded where it stands.
    if ((made && !made->Location().isEmpty()) || DeferredFor(b) != deferred_.end()) {
        Load(page, slot);
        return;
    }
    Browser* browser = BrowserFor(b, WebScreenView(state_.pages.Graph(page, slot)).Address());
    if (!browser) return;
    ApplyNavigationSwitch(*browser, state_.pages.Graph(page, slot));
    Show(*browser, WebScreenView(state_.pages.Graph(page, slot)).Address());
    deferred_.push_back({b, page, slot});
}

void WebScreens::PrepareForWindow() {
    if (!browsers_.empty()) return;
    for (int p = 1; p <= state_.pages.pagecount; ++p)
        for (int s = 0; s < kGraphsPerPage; ++s) {
            const int b = WebScreenBrowser(p, s);
            if (b >= 0 && IsScriptableAddress(WebScreenView(state_.pages.Graph(p, s)).Address())) {
                // The engine makes the view's drawing surface with its first document.
                const std::string address = WebScreenView(state_.pages.Graph(p, s)).Address();
                if (Browser* browser = BrowserFor(b, address)) browser->Navigate(QUrl(kNoDocumentYet));
                return;
            }
        }
}

void WebScreens::HideBrowsers() {
    for (size_t i = 0; i < browsers_.size(); ++i)
        if (browsers_[i] && !preparedAhead_.contains(static_cast<int>(i))) browsers_[i]->View()->hide();
}

bool WebScreens::DeferredLoadEnded(int page) const {
    return std::any_of(deferred_.begin(), deferred_.end(), [&](const DeferredLoad& load) {
        const Browser* browser = BrowserAt(load.browser);
        return load.page == page && browser && browser->Complete();
    });
}

void WebScreens::PrepareAhead(int page, const FormLayout& layout) {
    for (const WebScreenStep& step : layout.webScreens) {
        const int b = step.browserIndex;
        Browser* browser = BrowserAt(b);
        auto pending = DeferredFor(b);
        if (!browser || pending == deferred_.end() || pending->page != page || pending->slot != step.slot) continue;
        if (!browser->Complete()) continue;  // asked again before the next page
        Load(page, step.slot);               // finishes the deferred load without waiting
        QWidget* view = browser->View();
        // Right of the page, where nothing of it is drawn or captured.
        view->setGeometry(QRect(QPoint(page_.width(), 0), TwipsToQRect(step.rect).size()));
        view->show();
        browser->RequestPaintReport();
        preparedAhead_.insert(b);
    }
}

void WebScreens::Place(const FormLayout& layout) {
    int page = state_.currentpage;
    if (!state_.pages.ValidPage(page)) return;
    for (const WebScreenStep& step : layout.webScreens) {
        if (!HasBrowserIndex(step.browserIndex)) continue;
        // A deferred document that loads now, or one prepared ahead, is fresh at its
        // address: no second load.
        const bool deferred = DeferredFor(step.browserIndex) != deferred_.end();
        const bool fresh = deferred || preparedAhead_.erase(step.browserIndex) > 0;
        if (deferred) Load(page, step.slot);
        const GraphDef& g = state_.pages.Graph(page, step.slot);
        Browser* made = BrowserFor(step.browserIndex, WebScreenView(g).Address());
        if (!made) continue;
        Browser& browser = *made;
        ApplyNavigationSwitch(browser, g);
        QWidget* view = browser.View();
        view->setGeometry(TwipsToQRect(step.rect));
        view->raise();
        view->show();
        host_.Yield();
        if (step.renavigate && !fresh) {
            Show(browser, WebScreenView(g).Address());
            browser.WaitComplete(kLoadWaitMs);
        }
        host_.Yield();
        if (step.fitImage) {
            browser.FitFirstImage(step.imageWidthPixels, step.imageHeightPixels);
            browser.ScrollTo(10, 17);
            host_.Yield();
        }
    }
}

void WebScreens::DocumentMouseUp(int browser, const QString& tag, int button, bool ctrl) {
    active_ = browser;
    if (screen_.Busy()) return;
    window_.HideGraphLists();
    int page = state_.currentpage;
    if (!state_.pages.ValidPage(page)) return;
    int slot = -1;
    for (int s = 0; s < kGraphsPerPage; ++s) {
        const GraphDef& g = state_.pages.Graph(page, s);
        if (g.Kind() == SlotKind::WebScreen && WebScreenView(g).BrowserIndex() == browser) {
            slot = s;
            break;
        }
    }
    if (slot < 0) return;
    const WebScreenView web(state_.pages.Graph(page, slot));
    // A document the program draws (a PDF, a sheet, a notice) has no links to follow: a
    // click on it pages, or opens the menu, as one on an HTML page does.
    const bool drawn = dynamic_cast<const DocumentBrowser*>(BrowserAt(browser)) != nullptr;
    if (!IsScriptableAddress(web.Address()) && !drawn && !notices_.contains(BrowserAt(browser))) return;
    window_.SelectSlot(slot);
    window_.StopPaging();
    switch (tidemark::DocumentMouseUp(ToProgramText(tag), button, ctrl, web.AllowNavigation() && !drawn)) {
        case DocumentClick::Nothing: break;
        case DocumentClick::NextPage:
            menu_.hide();
            screen_.NextPage();
            break;
        case DocumentClick::PreviousPage:
            menu_.hide();
            screen_.PreviousPage();
            break;
        case DocumentClick::ShowMenu: {
            WindowPoint at = WebMenuPosition(QRectToTwips<WindowRect>(BrowserAt(browser)->View()->geometry()));
            menu_.ShowAt(TwipsToQPoint(at.x, at.y));
            break;
        }
    }
}

GraphDef* WebScreens::MenuSlot(int& slot) {
    int page = state_.currentpage;
    if (!state_.pages.ValidPage(page)) return nullptr;
    slot = window_.SelectedSlot();
    if (slot >= 0 && slot < kGraphsPerPage && state_.pages.Graph(page, slot).Kind() == SlotKind::WebScreen)
        return &state_.pages.Graph(page, slot);
    // The menu opened from the page background or at a close: the page's first web screen.
    for (int s = 0; s < kGraphsPerPage; ++s)
        if (state_.pages.Graph(page, s).Kind() == SlotKind::WebScreen) {
            slot = s;
            return &state_.pages.Graph(page, s);
        }
    return nullptr;
}

void WebScreens::ScrollToSaved(Browser& browser, const GraphDef& g) {
    const WebScreenView web(g);
    if (IsScriptableAddress(web.Address())) browser.ScrollTo(web.SavedScroll().left, web.SavedScroll().top);
}

void WebScreens::SetEnlarged(bool on) {
    menuState_.enlarged = on;
    menu_.SetEntryText(kWebMenuEnlargeRow,
                       ProgramText(TextOf(kWebMenu[static_cast<size_t>(kWebMenuEnlargeRow)], menuState_)));
}

void WebScreens::RunMenu(int row) {
    QPoint at = menu_.pos();
    menu_.hide();
    std::optional<WebMenuCommand> command = CommandAt(kWebMenu, row, menuState_);
    if (!command) return;
    switch (*command) {
        case WebMenuCommand::AutoPaging: window_.OpenAutoPagingAt(at); return;
        case WebMenuCommand::Print: window_.OpenOutputChooserAt(at); return;
        case WebMenuCommand::Next:
            screen_.NextPage();
            host_.Yield();
            return;
        case WebMenuCommand::Cancel: return;
        default: break;
    }
    int slot = -1;
    GraphDef* g = MenuSlot(slot);
    if (*command == WebMenuCommand::Setup && !g) {
        // A page without web screens (one left empty by deleting every graph and page,
        // opened from its background): the setup frame opens on the page's first slot,
        // the way back to adding a graph.
        window_.SelectSlot(0);
        state_.setupdirty = true;
        window_.OpenSetupAt(at);
        return;
    }
    if (*command == WebMenuCommand::Back && !g) {
        screen_.LayoutPage();
        host_.Yield();
        screen_.PreviousPage();
        return;
    }
    if (!g || !HasBrowserIndex(WebScreenView(*g).BrowserIndex())) return;
    window_.SelectSlot(slot);
    Browser* made = BrowserFor(WebScreenView(*g).BrowserIndex(), WebScreenView(*g).Address());
    if (!made) return;
    Browser& browser = *made;
    switch (*command) {
        case WebMenuCommand::Enlarge: Enlarge(browser, *g); break;
        case WebMenuCommand::Shrink:
            SetEnlarged(false);
            screen_.LayoutPage();
            host_.Yield();
            ScrollToSaved(browser, *g);
            break;
        case WebMenuCommand::UpdateThis:
            Load(state_.currentpage, slot);
            lastFitted_ = -1;
            screen_.DrawCurrentPage();
            break;
        case WebMenuCommand::ScrollBars: ToggleScrollBars(browser, *g); break;
        case WebMenuCommand::Setup:
            state_.setupdirty = true;
            window_.OpenSetupAt(at);
            break;
        case WebMenuCommand::Open: {
            QString location = browser.Location();
            QUrl url = location.contains("://") ? QUrl(location) : QUrl::fromLocalFile(location);
            // The desktop opens the file itself, not the engine's address for it.
            if (IsLocalDocumentUrl(url)) url = QUrl::fromLocalFile(LocalDocumentPath(url));
            QDesktopServices::openUrl(url);
            break;
        }
        case WebMenuCommand::Back: Back(browser, *g); break;
        default: break;
    }
}

void WebScreens::Enlarge(Browser& browser, const GraphDef& g) {
    SetEnlarged(true);
    QWidget* view = browser.View();
    WindowRect r = EnlargedBrowserRect(window_.ClientWidthTwips(), window_.ClientHeightTwips());
    view->setGeometry(TwipsToQRect(r));
    view->raise();
    view->show();
    const WebScreenView web(g);
    if (web.FitImage() && IsScriptableAddress(web.Address())) browser.FitFirstImage(view->width(), view->height());
    host_.Yield();
    refitAll_ = true;
}

void WebScreens::ToggleScrollBars(Browser& browser, GraphDef& g) {
    state_.setupdirty = true;
    WebScreenSlot web(g);
    if (!IsScriptableAddress(web.Address())) return;
    if (browser.ScrollBarsHidden()) {
        browser.SetScrollBarsHidden(false);
        web.SetScrollBars(true);
        return;
    }
    web.SetScrollBars(false);
    // Where the document is now, as it tells it: the engine's report may still be 0 for
    // a view shown again or scrolled to its saved place just before.
    QPoint at = browser.DocumentScrollPosition(kScrollAnswerMs).value_or(browser.ScrollPosition());
    web.SetSavedScroll({at.x(), at.y()});
    browser.SetScrollBarsHidden(true);
}

void WebScreens::Back(Browser& browser, const GraphDef& g) {
    const WebScreenView web(g);
    std::string home = Untrailed(web.Address());
    std::string location = ToProgramText(browser.Location());
    std::string decoded = ToProgramText(QUrl::fromPercentEncoding(browser.Location().toUtf8()));
    if (web.AllowNavigation() && !Contains(location, home) && !Contains(decoded, home)) {
        Show(browser, web.Address());
        browser.WaitComplete(kBackWaitMs);
        return;
    }
    screen_.LayoutPage();
    host_.Yield();
    ScrollToSaved(browser, g);
    host_.Yield();
    screen_.PreviousPage();
}

void WebScreens::RestoreActiveScroll() {
    int page = state_.currentpage;
    Browser* browser = BrowserAt(active_);
    if (!browser || !state_.pages.ValidPage(page)) return;
    for (int s = 0; s < kGraphsPerPage; ++s) {
        const GraphDef& g = state_.pages.Graph(page, s);
        if (g.Kind() == SlotKind::WebScreen && WebScreenView(g).BrowserIndex() == active_) ScrollToSaved(*browser, g);
    }
}

void WebScreens::WaitUntilPainted() {
    int page = state_.currentpage;
    if (!state_.pages.ValidPage(page)) return;
    std::vector<PaintWait> waits;
    for (int s = 0; s < kGraphsPerPage; ++s) {
        const GraphDef& g = state_.pages.Graph(page, s);
        if (g.Kind() != SlotKind::WebScreen) continue;
        const WebScreenView web(g);
        Browser* browser = BrowserAt(web.BrowserIndex());
        // The program's own pages (a sheet, a PDF's pages) say when they have painted.
        if (browser) waits.push_back({browser, IsScriptableAddress(web.Address()) || browser->ShowsProgramPage()});
    }
    tidemark::WaitUntilPainted(waits, kPaintWaitMs);
}

std::vector<PublishedDocument> WebScreens::DocumentsOf(int page) {
    std::vector<PublishedDocument> documents;
    if (!state_.pages.ValidPage(page)) return documents;
    for (int s = 0; s < kGraphsPerPage; ++s) {
        const GraphDef& g = state_.pages.Graph(page, s);
        if (g.Kind() != SlotKind::WebScreen) continue;
        const WebScreenView web(g);
        std::optional<DocumentWords> words;
        if (Browser* browser = BrowserAt(web.BrowserIndex()); browser && IsScriptableAddress(web.Address()))
            words = browser->DocumentText(static_cast<int>(kDocumentTextLimit) * 2, kDocumentTextWaitMs);
        documents.push_back(DocumentForSite(s, Utf8Text(web.Address()), words ? words->title : QString(),
                                            words ? words->text : QString()));
    }
    return documents;
}

std::optional<ScrollPosition> WebScreens::CurrentScroll(int browserIndex) {
    Browser* browser = BrowserAt(browserIndex);
    // A deferred document has not been scrolled to the setup's position yet, and one not
    // loaded yet has no position of its own.
    if (!browser || browser->Location().isEmpty() || browser->Location() == kNoDocumentYet ||
        DeferredFor(browserIndex) != deferred_.end())
        return std::nullopt;
    QPoint at = browser->ScrollPosition();
    return ScrollPosition{at.x(), at.y()};
}

}  // namespace tidemark
