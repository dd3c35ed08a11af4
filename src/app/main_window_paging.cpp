// Paging: next and previous page, the paging timer with its update check and reload,
// the warning blink, and clicks on the charts.
#include <QLabel>
#include <QLineEdit>

#include "app/auto_paging_frame.h"
#include "app/main_window.h"
#include "app/menu_list.h"
#include "app/scope_guard.h"
#include "app/widget_text.h"
#include "data/update_check.h"
#include "pages/navigation.h"
#include "platform/ui/chart_view.h"

namespace tidemark {
namespace {

// Clicks at or below this depth in a chart (twips from its top) page; above it lies the
// title strip.
constexpr double kTitleStripTwips = 700;

}  // namespace

void MainWindow::ResetMenusForPageChange() {
    graphMenu_->hide();
    webMenu_->hide();
    if (webMenu_->EntryText(0) == "Shrink") {
        // An enlarged web screen goes back into the page before paging on.
        Form_Resize();
        Yield();
    }
    graphMenu_->SetEntryText(0, "Enlarge");
    webMenu_->SetEntryText(0, "Enlarge");
}

void MainWindow::nextPage() {
    if (closed_) return;
    ResetMenusForPageChange();
    PageTurn turn = NextPageTurn(state_);
    state_.currentpage = static_cast<int16_t>(turn.page);
    if (turn.endsRun) {
        // Every page of the image cycle has been written once.
        EndRun(0);
        return;
    }
    DrawCurrentPage();
}

void MainWindow::previouspage() {
    if (closed_) return;
    state_.currentpage = static_cast<int16_t>(PreviousPageNumber(state_.pages, state_.currentpage));
    DrawCurrentPage();
}

void MainWindow::StartPaging() {
    pagingTimer_.setInterval(autoFrame_->PageSeconds() * 1000);
    pagingTimer_.start();
}

LoadOutcome MainWindow::LoadPagesAgain() {
    ScopedValue<bool> loading(state_.loading, true);
    return LoadPages(state_, *this, LoadMode::Reload, MakeLoadHooks());
}

bool MainWindow::ReloadAllPages() {
    dataRefresh_->raise();
    dataRefresh_->show();
    LoadOutcome outcome = LoadPagesAgain();
    lastReloadFault_ = outcome.message;
    // Web screens are loaded afresh when next shown.
    lastFittedBrowser_ = -1;
    dataRefresh_->hide();
    ++reloadCount_;
    Q_EMIT Reloaded(outcome.ok);
    return outcome.ok;
}

void MainWindow::PagingTick() {
    // A tick that arrives while a page is drawn, a load runs or an earlier tick still
    // waits for the database comes again with the next interval.
    if (ticking_ || busy_ || state_.loading || closed_) return;
    ScopedValue<bool> ticking(ticking_, true);
    if (isMinimized()) {
        if (!CommandLineMode()) return;
        showNormal();
    }
    std::string fault;
    if (!CommandLineMode()) {
        double before = state_.lastUpdate;
        auto checked = CheckUpdate(*this, state_);
        if (!checked) {
            // The database may be busy being written; paging goes on with the data shown.
            fault = " ... update check failed: " + checked.error();
        } else if (state_.lastUpdate != before && !ReloadAllPages()) {
            fault = " ... reload failed: " + lastReloadFault_;
        }
    }
    nextPage();
    // Drawing the page set the caption; the fault stays readable after it.
    if (!fault.empty() && !closed_) SetCaption(Caption() + fault);
}

void MainWindow::BlinkTick() {
    for (int s = 0; s < kGraphsPerPage; ++s) {
        if (!WarningFlag(s)) continue;
        QLabel* box = warningBoxes_[static_cast<size_t>(s)];
        QPalette p = box->palette();
        // Off: the text takes the box's own colour and disappears.
        p.setColor(QPalette::WindowText, blinkPhase_ ? QColor(255, 0, 0) : p.color(QPalette::Window));
        box->setPalette(p);
    }
    blinkPhase_ = !blinkPhase_;
}

void MainWindow::HideWarnings() {
    for (QLabel* box : warningBoxes_) box->hide();
}

void MainWindow::ChartClicked(int slot, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, double x, double y) {
    if (busy_) return;
    currentGraph_ = slot;
    webMenu_->hide();
    if (blinkTimer_.isActive()) {
        blinkTimer_.stop();
        HideWarnings();
    }
    if (y >= kTitleStripTwips) {
        bool shifted = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (button == Qt::LeftButton && shifted) {
            previouspage();
        } else if (button == Qt::LeftButton) {
            nextPage();
        } else if (button == Qt::RightButton) {
            pagingTimer_.stop();
            OpenGraphMenu(slot, x, y);
        }
        return;
    }
    // The title strip: the values list of point inspection belongs here.
    graphMenu_->hide();
}

void MainWindow::OpenGraphMenu(int slot, double x, double y) {
    const ChartSurface& chart = charts_[static_cast<size_t>(slot)]->Surface();
    int n = 1;
    if (state_.pages.ValidPage(state_.currentpage) &&
        static_cast<size_t>(state_.currentpage) < state_.pages.pages.size())
        n = state_.pages.Page(state_.currentpage).lastslot + 1;
    // Graphs in the lower part of the page open the menu upward so it stays on screen.
    bool lower;
    if (n > 1) {
        int firstLower = n <= 3 ? 2 : n <= 5 ? 3 : n <= 8 ? 6 : 8;
        lower = slot >= firstLower;
    } else {
        lower = slot != 0;
    }
    // The list is sized before it is placed so its height is known.
    graphMenu_->ShowAt(QPoint(0, 0));
    double menuHeight = graphMenu_->height() * kWindowTwipsPerPixel;
    if (lower) y = std::min(chart.Height() - menuHeight - 600, 0.0);
    graphMenu_->move(TwipsPoint(x + chart.Left(), y + chart.Top()));
    graphMenu_->raise();
}

}  // namespace tidemark
