#pragma once
// Auto paging and the refresh cycle: the paging timer and its tick (update check,
// reload when the database changed, the next page), turning pages forward and back,
// and what the "Ok" buttons of the Auto Paging and Days frames do. The window owns it
// and gives it its PageScreen, and what paging needs beyond that through PagingWindow.
#include <QObject>
#include <QPoint>
#include <QTimer>
#include <string>

#include "app/page_screen.h"
#include "core/host.h"
#include "data/load_pages.h"
#include "data/program_state.h"

namespace tidemark {

class AutoPagingFrame;
class DaysFrame;

// What paging needs of the window whose pages it turns, beyond its PageScreen.
class PagingWindow {
public:
    virtual ~PagingWindow() = default;

    virtual bool Minimised() const = 0;
    virtual void RestoreFromMinimised() = 0;
    // Menus put away (and an enlarged web screen back into the page) before a turn.
    virtual void PrepareForPageTurn() = 0;
    // The run is over (an unattended cycle wrote every page): the window closes with it.
    virtual void EndRun(int status) = 0;

    // The window's side of a reload: its progress hooks, the "Data Refresh" frame over
    // the page, web screens to be loaded afresh, current values to be drawn afresh.
    virtual LoadPagesHooks LoadHooks() = 0;
    virtual void ShowDataRefresh(bool shown) = 0;
    virtual void ForgetFittedBrowsers() = 0;
    virtual void ClearCurrentValues() = 0;
    // The publishing settings confirmed as they are, for a round of page images.
    virtual void ConfirmPublishing(bool commandLineMode) = 0;
    // A fault the caption shows, told to whoever watches a window nobody sees.
    virtual void ReportUnseen(const std::string& text) = 0;
    // A reload (or the update check before it) is over; `fault` is empty when it went well.
    virtual void Reloaded(const std::string& fault) = 0;
};

class Paging : public QObject {
    Q_OBJECT
public:
    Paging(ProgramState& state, Host& host, PageScreen& screen, PagingWindow& window, AutoPagingFrame& autoFrame,
           DaysFrame& daysFrame);

    void NextPage();
    void PreviousPage();

    // The paging timer at the page-time box's interval, running.
    void Start();
    void Stop() { timer_.stop(); }
    // Held while a page image is written; resumed only if it ran before.
    void Hold();
    void Resume();
    void Tick();

    void ConfirmAutoPaging();
    void ShowDaysFrame(const QPoint& topLeft);
    void ConfirmDays();

    // Every page fetched again, with the "Data Refresh" frame over the page; false when
    // the reload failed (the old series are kept).
    bool ReloadAllPages();

    QTimer& Timer() { return timer_; }
    // A tick is under way (an update check, a reload, a turn, the end of a round).
    bool Ticking() const { return ticking_; }
    int ReloadCount() const { return reloadCount_; }

private:
    bool CommandLineMode() const { return state_.autostartseconds != 0; }
    LoadPagesResult LoadPagesAgain();
    // A fault of the update check or reload, for the caption; empty when all went well.
    std::string CheckForNewData();

    ProgramState& state_;
    Host& host_;
    PageScreen& screen_;
    PagingWindow& window_;
    AutoPagingFrame& autoFrame_;
    DaysFrame& daysFrame_;

    QTimer timer_;
    bool held_ = false;
    bool ticking_ = false;
    bool historyStartState_ = false;  // "Historical Start Date" at the last change
    int reloadCount_ = 0;
    std::string lastReloadFault_;
};

}  // namespace tidemark
