// Start-up (loading with page 1 shown early, the saved window position, an unattended
// start's settings) and close (the save question, the end of a command-line run).
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <cstdlib>
#include <iostream>

#include "app/auto_paging_frame.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/menu_list.h"
#include "app/scope_guard.h"
#include "app/service_notifier.h"
#include "app/splash_window.h"
#include "app/warning_blink.h"
#include "app/web_screens.h"
#include "core/vbtext.h"
#include "pages/navigation.h"
#include "publish/save_and_publish.h"
#include "setup/setup_writer.h"
#include "setup/web_screen_slot.h"
#include "storage/db/editor_launcher.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {
namespace {

// How soon a stop that waits for an operation looks again.
constexpr int kStopRetryMs = 50;

int ScreenClassFromHeight(int pixels) { return pixels > 999 ? 250 : pixels > 610 ? 100 : 0; }

QRect ScreenGeometry() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

LoadPagesHooks MainWindow::LoadHooks() {
    LoadPagesHooks hooks;
    hooks.progress = [this](int widthTwips) {
        if (!isVisible() || isMinimized()) return;
        progressBar_->resize(TwipsToPixels(widthTwips), progressBar_->height());
    };
    hooks.showFirstPage = [this] {
        opened_ = true;
        ApplyStartupPosition();
        ShowInStartupState();
        DrawCurrentPage();
        service_->Ready();
    };
    hooks.showFirstPageUnattended = [this] {
        opened_ = true;
        ApplyStartupPosition();
        // A one-shot render draws every page itself once the window has its size.
        if (!options_.oneShot) DrawCurrentPage();
        ShowInStartupState();
        service_->Ready();
        Yield();
    };
    // Unattended there is nobody to edit the file; the message on standard error says why
    // the run ended.
    hooks.prepareWebScreen = [this](int page, int slot) { webScreens_->Load(page, slot); };
    hooks.openEditor = [this](const std::string& path) {
        if (state_.autostartseconds == 0) OpenInEditor(path);
    };
    return hooks;
}

void MainWindow::ApplyStartupPosition() {
    const StartupPosition& saved = state_.settings.startup;
    // A maximised window gets its saved place too: it is where un-maximising returns
    // to, and what the next save writes.
    if (!saved.present) return;
    // A width from a much wider display would put the window mostly off this screen.
    if (saved.width >= 1.5 * ScreenGeometry().width()) return;
    // Line 9 holds the client area, which is what is saved (CurrentPosition) and set here.
    // The frame a window manager adds is not known before the window is shown: a corner
    // saved with the frame but put back without it (or the other way round) would move
    // the window by the frame's thickness at every start.
    setGeometry(static_cast<int>(saved.left), static_cast<int>(saved.top), std::max(1, static_cast<int>(saved.width)),
                std::max(1, static_cast<int>(saved.height)));
}

bool MainWindow::event(QEvent* event) {
    // Shown on no screen, the window would still paint a whole page into a backing store
    // nobody sees each time a capture lets it update; its captures paint what is shown.
    if (event->type() == QEvent::UpdateRequest && testAttribute(Qt::WA_DontShowOnScreen)) return true;
    return QWidget::event(event);
}

void MainWindow::ShowInStartupState() {
    webScreens_->PrepareForWindow();
    // A one-shot render captures the window by painting it into the page image: shown on
    // no screen, it keeps no second copy of the page for a screen. A browser engine
    // paints only into a window that is shown, so pages with web screens still are.
    // Its update requests are dropped (event()), so nothing paints it but the captures.
    if (options_.oneShot && !NeedsBrowserEngine(state_)) setAttribute(Qt::WA_DontShowOnScreen);
    switch (state_.settings.startup.present ? state_.settings.startup.state : WindowState::Normal) {
        case WindowState::Minimised: showMinimized(); break;
        case WindowState::Maximised: showMaximized(); break;
        default: show(); break;
    }
}

int MainWindow::Open() {
    screenClass_ = ScreenClassFromHeight(ScreenGeometry().height());
    if (!images_->PngAvailable() && !CommandLineMode())
        Message("Error loading GDI+!", MsgButtons::Ok, MsgIcon::Critical);
    if (CommandLineMode() && !options_.oneShot) {
        splash_ = std::make_unique<SplashWindow>();
        splash_->show();
        Yield();
    }

    service_->Starting();
    LoadPagesResult outcome = LoadAllPages();
    if (!outcome && outcome.fault().fatal) {
        splash_.reset();
        closed_ = true;
        exitStatus_ = 1;
        return exitStatus_;
    }
    opened_ = true;
    if (state_.currentpage == 0) state_.currentpage = 1;
    splash_.reset();
    if (!isVisible()) {
        // A setup without pages never drew page 1; the window still opens.
        ShowInStartupState();
        DrawCurrentPage();
    }
    service_->Ready();
    // Page 1 was shown before the load had read the update stamp.
    service_->PageShown(state_.currentpage, state_.lastUpdate);
    if (options_.oneShot) return 0;
    // From here on every read runs while a page is shown and the paging timer waits on it.
    state_.lockWait = kBriefLockWait;

    autoFrame_->AutoPagingOn()->setChecked(state_.settings.autopaging);
    autoFrame_->SetPageTimeText(state_.settings.pageseconds);
    if (CommandLineMode()) {
        state_.autostartseconds = std::abs(state_.autostartseconds);
        autoFrame_->AutoPagingOn()->setChecked(true);
        autoFrame_->WritePageImage()->setChecked(true);
        autoFrame_->SetPageTimeText(std::to_string(state_.autostartseconds));
        Yield();
        ConfirmPublishing(true);
        Yield();
    } else {
        blink_->Start();
    }
    if (autoFrame_->AutoPagingOn()->isChecked()) paging_->Start();
    return 0;
}

LoadPagesResult MainWindow::LoadAllPages() {
    ScopedValue<bool> busy(busy_, true);
    ScopedValue<bool> loading(state_.loading, true);
    LoadPagesHooks hooks = LoadHooks();
    // A one-shot render shows nothing while it loads: every browser goes to its document
    // at once, and the engine works while the graphs load and draw.
    if (options_.oneShot)
        hooks.prepareWebScreen = [this](int page, int slot) { webScreens_->LoadWithoutWaiting(page, slot); };
    if (options_.setupRead) hooks.setupRead = [this] { options_.setupRead(state_); };
    return LoadPages(state_, *this, LoadMode::Full, hooks);
}

bool MainWindow::WebScreensOnlyPage() const {
    int p = state_.currentpage;
    if (!state_.pages.ValidPage(p) || p < 1 || static_cast<size_t>(p) >= state_.pages.pages.size()) return false;
    const PageRec& page = state_.pages.Page(p);
    for (int s = 0; s <= page.lastslot && s < kGraphsPerPage; ++s) {
        const GraphDef& g = page.slots[static_cast<size_t>(s)];
        std::string address = UCase(WebScreenView(g).Address());
        if (g.Kind() != SlotKind::WebScreen || !(Contains(address, ".PDF") || Contains(address, ".XL"))) return false;
    }
    return true;
}

StartupPosition MainWindow::CurrentPosition() const {
    // The client area, as ApplyStartupPosition puts it back (see there).
    bool maximised = isMaximized();
    bool minimised = isMinimized();
    QRect client = maximised || minimised ? normalGeometry() : geometry();
    StartupPosition position;
    position.top = static_cast<float>(client.top());
    position.left = static_cast<float>(client.left());
    position.width = static_cast<float>(client.width());
    position.height = static_cast<float>(client.height());
    position.state = maximised ? WindowState::Maximised : minimised ? WindowState::Minimised : WindowState::Normal;
    position.present = true;
    return position;
}

bool MainWindow::SaveSetupOnClose() {
    SetupFrameState frame;
    frame.option = SetupOption::SaveAll;
    int page = state_.currentpage;
    if (!state_.pages.ValidPage(page) || page < 1) {
        // Nothing was shown yet: the pages are saved as they were read.
        Result<void> saved = SaveSetup();
        if (!saved.ok()) Message(saved.error(), MsgButtons::Ok, MsgIcon::Critical);
        if (saved.ok()) state_.setupdirty = false;
        return saved.ok();
    }
    frame.pageTitle = state_.pages.Page(page).title;
    frame.plotUnitValues = state_.settings.plotunitvalues;
    // A failed save keeps the window open, so the changes can still be saved.
    return CommandSave(state_, *this, setupAdapter_, frame, currentGraph_, true) == SetupCommandOutcome::Done;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closed_) {
        event->accept();
        return;
    }
    paging_->Stop();
    if (!endingRun_ && WebScreensOnlyPage() && !webMenu_->isVisible()) {
        // A page of documents only: the menu offers the way on instead of closing.
        // 1000 twips high, or higher when its entries need more, so that each can be read.
        webMenu_->ShowAt(QPoint(width() * 3 / 4, 0), TwipsToPixels(1000));
        event->ignore();
        return;
    }
    if (state_.setupdirty && !endingRun_) {
        MsgAnswer answer = Message("Do you want to SAVE SETUP CHANGES????", MsgButtons::YesNo, MsgIcon::Question);
        if (answer == MsgAnswer::Yes && !SaveSetupOnClose()) {
            event->ignore();
            return;
        }
    }
    blink_->Stop();
    splash_.reset();
    closed_ = true;
    service_->Stopping();
    event->accept();
    Q_EMIT Closed(exitStatus_);
}

std::string MainWindow::RoundShortfall() const {
    const ImageTally& tally = images_->CycleTally();
    if (!CommandLineMode()) return {};
    if (tally.missed == 0 && tally.siteFilesMissed > 0)
        return "tidemark: ended, but the web page or its data feed was not written or sent";
    if (tally.missed == 0) return {};
    return "tidemark: ended, but " + std::to_string(tally.missed) + " of " + std::to_string(tally.images) +
           " images were not written or sent";
}

void MainWindow::EndRun(int status) {
    // An unattended run ends when its round has come full circle: the round's web page
    // and feed go out before the tally is read.
    if (status == kExitSuccess && state_.imageCycleMarker > 0) images_->FinishRound(autoFrame_->PageSeconds());
    endingRun_ = true;
    exitStatus_ = status;
    // A round that published less than it meant to is not a normal end, and whoever
    // watches the display (or the service restarting it) must be able to tell.
    if (status == kExitSuccess && !RoundShortfall().empty()) exitStatus_ = kExitNotPublished;
    paging_->Stop();
    close();
}

void MainWindow::StopOnSignal(const std::string& signalName) {
    if (closed_) return;
    if (!stopRequested_) {
        std::cerr << "tidemark: " << signalName << ": stopping"
                  << (state_.setupdirty ? "; the setup's unsaved changes are not saved" : "") << std::endl;
        service_->Stopping();
    }
    stopRequested_ = true;
    FinishStopWhenIdle();
}

void MainWindow::FinishStopWhenIdle() {
    if (closed_) return;
    // Only from the top of the event loop: a signal read while an operation lets events
    // run (a page drawn and its image written or sent, a load, a tick of the paging
    // timer) waits for it to end, so that no file is left half written and nothing the
    // operation still uses is gone when it goes on.
    const bool nested = QThread::currentThread()->loopLevel() != 1;
    if (nested || Busy() || state_.loading || paging_->Ticking()) {
        // A dialog's own loop ends only with the dialog: it is answered as if cancelled.
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        QTimer::singleShot(kStopRetryMs, this, [this] { FinishStopWhenIdle(); });
        return;
    }
    endingRun_ = true;
    exitStatus_ = kExitSuccess;
    paging_->Stop();
    close();
}

}  // namespace tidemark
