#include "app/paging.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>

#include "app/auto_paging_frame.h"
#include "app/days_frame.h"
#include "app/scope_guard.h"
#include "core/daynum.h"
#include "core/vbtext.h"
#include "data/update_check.h"
#include "devices/ui/chart_painter.h"
#include "pages/navigation.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {
namespace {

std::string BoxText(const QLineEdit* box) { return ToProgramText(box->text()); }

}  // namespace

Paging::Paging(ProgramState& state, Host& host, PageScreen& screen, PagingWindow& window, AutoPagingFrame& autoFrame,
               DaysFrame& daysFrame)
    : state_(state), host_(host), screen_(screen), window_(window), autoFrame_(autoFrame), daysFrame_(daysFrame) {
    timer_.setObjectName("pagingTimer");
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Paging::Tick);
}

void Paging::NextPage() {
    if (screen_.WindowClosed()) return;
    window_.PrepareForPageTurn();
    PageTurn turn = NextPageTurn(state_);
    state_.currentpage = static_cast<int16_t>(turn.page);
    if (turn.endsRun) {
        // Every page of the image cycle has been written once.
        window_.EndRun(0);
        return;
    }
    screen_.DrawCurrentPage();
}

void Paging::PreviousPage() {
    if (screen_.WindowClosed()) return;
    state_.currentpage = static_cast<int16_t>(PreviousPageNumber(state_.pages, state_.currentpage));
    screen_.DrawCurrentPage();
}

void Paging::Start() {
    timer_.setInterval(autoFrame_.PageSeconds() * 1000);
    timer_.start();
}

void Paging::Hold() {
    held_ = timer_.isActive();
    timer_.stop();
}

void Paging::Resume() {
    // Only a timer that ran before the image was taken runs on; a run that ended in the
    // meantime stays ended.
    if (held_ && !screen_.WindowClosed()) timer_.start();
    held_ = false;
}

LoadPagesResult Paging::LoadPagesAgain() {
    ScopedValue<bool> loading(state_.loading, true);
    return LoadPages(state_, host_, LoadMode::Reload, window_.LoadHooks());
}

bool Paging::ReloadAllPages() {
    window_.ShowDataRefresh(true);
    LoadPagesResult outcome = LoadPagesAgain();
    lastReloadFault_ = outcome.error();
    // Web screens are loaded afresh when next shown.
    window_.ForgetFittedBrowsers();
    window_.ShowDataRefresh(false);
    ++reloadCount_;
    window_.Reloaded(lastReloadFault_);
    return outcome.ok();
}

std::string Paging::CheckForNewData() {
    double before = state_.lastUpdate;
    auto checked = CheckUpdate(host_, state_);
    // The database may be locked by a writer, moved or its server down: no reload can
    // be made, so paging goes on with the data shown and the next tick tries again.
    if (!checked) {
        window_.Reloaded(checked.error());
        return " ... reload failed: " + checked.error();
    }
    const double seen = state_.lastUpdate;
    if (seen == before) return {};
    // Until the reload is through, the pages show the data of the old stamp, and so does
    // every caption the reload sets; when it fails they still do, and the next tick sees
    // the new stamp as new again and tries once more.
    state_.lastUpdate = before;
    if (!ReloadAllPages()) return " ... reload failed: " + lastReloadFault_;
    state_.lastUpdate = seen;
    return {};
}

void Paging::Tick() {
    // A tick that arrives while a page is drawn, a load runs or an earlier tick still
    // waits for the database comes again with the next interval.
    if (ticking_ || screen_.Busy() || state_.loading || screen_.WindowClosed()) return;
    ScopedValue<bool> ticking(ticking_, true);
    if (window_.Minimised()) {
        if (!CommandLineMode()) return;
        window_.RestoreFromMinimised();
    }
    // Unattended runs page without checking: each round of images shows what was loaded.
    std::string fault = CommandLineMode() ? std::string() : CheckForNewData();
    NextPage();
    // Drawing the page set the caption; the fault stays readable after it.
    if (!fault.empty() && !screen_.WindowClosed()) {
        host_.SetCaption(host_.Caption() + fault);
        window_.ReportUnseen(host_.Caption());
    }
}

void Paging::ConfirmAutoPaging() {
    autoFrame_.hide();
    if (autoFrame_.JustUpdateNow()->isChecked()) {
        autoFrame_.JustUpdateNow()->setChecked(false);
        auto checked = CheckUpdate(host_, state_);
        if (!checked) host_.SetCaption(BaseCaption(state_) + " ... update check failed: " + checked.error());
        int page = state_.currentpage;
        ReloadAllPages();
        state_.currentpage = static_cast<int16_t>(page);
        screen_.DrawCurrentPage();
        return;
    }
    bool writeImages = autoFrame_.WritePageImage()->isChecked();
    state_.imageCycleMarker = writeImages ? -1 : 0;
    if (autoFrame_.AutoPagingOn()->isChecked()) {
        if (writeImages) window_.ConfirmPublishing(CommandLineMode());
        Start();
        // While the pages still load, the next one has no data to draw yet: the first
        // tick after the load turns to it, and the round begins there.
        if (!state_.loading) NextPage();
    } else {
        state_.imageCycleMarker = 0;
        timer_.stop();
    }
}

void Paging::ShowDaysFrame(const QPoint& topLeft) {
    const SetupSettings& s = state_.settings;
    int days = s.daysisspan ? s.days - s.endday : s.days;
    daysFrame_.Days()->setValue(days);
    daysFrame_.FutureDays()->setValue(s.endday);
    if (daysFrame_.HistoryStartDate()->text().trimmed().isEmpty())
        daysFrame_.HistoryStartDate()->setText(ProgramText(FormatDate(DatePart(host_.Now()) - 14, "mmm-dd-yyyy")));
    daysFrame_.ShowAt(topLeft);
}

void Paging::ConfirmDays() {
    daysFrame_.hide();
    SetupSettings& s = state_.settings;
    int presentSpan = s.daysisspan ? s.days : s.days + s.endday;
    int presentEndday = s.endday;
    int newDays = daysFrame_.Days()->value();
    int newSpan = newDays + presentEndday;
    int newEndday = daysFrame_.FutureDays()->value();
    bool historical = daysFrame_.HistoricalStart()->isChecked();
    if (newSpan == presentSpan && newEndday == presentEndday && !historical && !historyStartState_) return;

    bool presentHistorical = state_.historicalStart;
    std::string presentHistoryText = state_.historyStartText;
    s.endday = static_cast<int16_t>(newEndday);
    s.days = static_cast<int16_t>(newDays);
    s.daysisspan = false;
    historyStartState_ = historical;
    state_.historicalStart = historical;
    state_.historyStartText = BoxText(daysFrame_.HistoryStartDate());
    window_.ClearCurrentValues();
    LoadPagesResult outcome = LoadPagesAgain();
    if (!outcome) {
        // The reload kept the data shown (its caption says why); the window it was drawn
        // for stays in force too.
        s.endday = static_cast<int16_t>(presentEndday);
        state_.historicalStart = presentHistorical;
        state_.historyStartText = presentHistoryText;
        historyStartState_ = presentHistorical;
        host_.Message(outcome.error(), MsgButtons::Ok, MsgIcon::Exclamation);
    }
    ++reloadCount_;
    screen_.DrawCurrentPage();
}

}  // namespace tidemark
