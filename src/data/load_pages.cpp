#include "data/load_pages.h"

#include <array>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "core/daynum.h"
#include "core/vbtext.h"
#include "data/alert_report.h"
#include "data/data_hooks.h"
#include "data/database_access.h"
#include "data/fetch_thread.h"
#include "data/getvalues.h"
#include "data/model_error.h"
#include "data/model_runs.h"
#include "data/series_kinds.h"
#include "data/update_check.h"
#include "setup/setup_reader.h"

namespace tidemark {
namespace {

// What a reload replaces; put back when the reload fails, so the screen keeps showing
// the last good data instead of going dark.
struct LoadedData {
    SeriesStore store;
    DateWindow window;
    std::vector<std::vector<SeriesLabels>> labels;
    std::vector<double> modelErrorThreshold;
    int16_t days = 0;
    bool daysisspan = false;
    double lastUpdate = 0;
    // The alert marks and trace counts drawn with that data: the pages reloaded before a
    // fault have already cleared theirs.
    std::vector<std::array<AlertSlot, kRunSlots>> alerts;
    bool alertspresent = false;
    std::vector<std::array<int16_t, kGraphsPerPage>> tracecounts;

    static LoadedData TakeFrom(ProgramState& s) {
        LoadedData d{std::move(s.store),    s.window,     s.labels,       s.modelErrorThreshold, s.settings.days,
                     s.settings.daysisspan, s.lastUpdate, s.pages.alerts, s.pages.alertspresent, {}};
        for (const PageRec& page : s.pages.pages) {
            std::array<int16_t, kGraphsPerPage> counts{};
            for (int slot = 0; slot < kGraphsPerPage; ++slot)
                counts[static_cast<size_t>(slot)] = page.slots[static_cast<size_t>(slot)].tracecount;
            d.tracecounts.push_back(counts);
        }
        return d;
    }
    void PutBack(ProgramState& s) {
        s.pages.alerts = std::move(alerts);
        s.pages.alertspresent = alertspresent;
        for (size_t p = 0; p < tracecounts.size() && p < s.pages.pages.size(); ++p)
            for (int slot = 0; slot < kGraphsPerPage; ++slot)
                s.pages.pages[p].slots[static_cast<size_t>(slot)].tracecount =
                    tracecounts[p][static_cast<size_t>(slot)];
        s.store = std::move(store);
        s.window = window;
        s.labels = std::move(labels);
        s.modelErrorThreshold = std::move(modelErrorThreshold);
        s.settings.days = days;
        s.settings.daysisspan = daysisspan;
        s.lastUpdate = lastUpdate;
    }
};

class Loader {
public:
    Loader(ProgramState& state, Host& host, LoadMode mode, const LoadPagesHooks& hooks)
        : state_(state), host_(host), mode_(mode), hooks_(hooks), setupPath_(state.programFolder + kSetupFileName) {}

    LoadPagesResult Run() {
        if (mode_ == LoadMode::Full) {
            SetupTargets targets{state_.settings, state_.pages, state_.catalogue, state_.frequency};
            SetupReadResult read =
                ReadSetupWithDatabase(host_, state_.programFolder, targets, hooks_.openEditor, &setupConnections_);
            if (!read) return LoadFault{Fault(read.fault()), true};
            lastLine_ = read->lastLine;
            firstLine_ = read->firstLine;
            if (hooks_.setupRead) hooks_.setupRead();
        } else {
            previous_ = std::make_unique<LoadedData>(LoadedData::TakeFrom(state_));
        }
        page_ = 1;

        StartSecondConnection();
        Result<std::unique_ptr<Database>> opened = LoadConnection();
        if (!opened) return Fail(opened.error());
        std::unique_ptr<Database> db = std::move(opened.value());

        if (Result<void> prepared = PrepareWindow(); !prepared) return FailWindow(prepared.error());

        if (Result<void> loaded = LoadEveryPage(*db); !loaded) return Fail(loaded.error());

        PageSet& pages = state_.pages;
        if (pages.HasAlertTable()) ReadAlertFile(state_, host_);
        host_.SetCaption(BaseCaption(state_));

        if (mode_ == LoadMode::Full && state_.autostartseconds != 0) {
            state_.currentpage = 1;
            if (hooks_.showFirstPageUnattended) hooks_.showFirstPageUnattended();
            if (Result<bool> checked = CheckUpdate(host_, *db, state_.settings, state_.lastUpdate); !checked)
                return Fail(checked.error());
            host_.SetCaption(BaseCaption(state_));
        }
        return {};
    }

private:
    // The connections the setup's catalogue was read on, when they wait for locks as this
    // load does: a server's connection costs a round of authentication.
    Result<std::unique_ptr<Database>> LoadConnection() {
        if (setupConnections_.catalogue && state_.lockWait == kPatientLockWait)
            return std::move(setupConnections_.catalogue);
        setupConnections_.catalogue.reset();
        return OpenDatabase(state_.settings, state_.programFolder, state_.lockWait);
    }

    // The second connection opens while the first does (or while the setup's is used).
    void StartSecondConnection() {
        if (setupConnections_.beside && state_.lockWait != kPatientLockWait) setupConnections_.beside.reset();
        if (!setupConnections_.beside && ReadsBesideAnotherConnection(state_.settings, state_.programFolder))
            setupConnections_.beside = FetchThread::Start(state_.settings, state_.programFolder, state_.lockWait);
    }

    Result<void> PrepareWindow() {
        SetupSettings& s = state_.settings;
        // A reload starts from the user's day count, not from the span of the last load.
        if (s.daysisspan) {
            s.days = static_cast<int16_t>(s.days - s.endday);
            s.daysisspan = false;
        }
        if (s.days == 0) s.days = 7;
        Result<DateWindow> computed =
            ComputeDateWindow(s, host_.Now(), state_.historicalStart, state_.historyStartText);
        if (!computed) return computed.fault();
        DateWindow window = computed.value();
        int span = s.days + s.endday;
        if (span < 0)
            return Fault{"Days " + std::to_string(s.days) + " and End Day " + std::to_string(s.endday) +
                         " leave a window of " + std::to_string(span) + " days; it cannot end before it starts"};
        if (span > 32767)
            return Fault{"Overflow: " + std::to_string(s.days) + " days and " + std::to_string(s.endday) +
                         " future days are too many to graph"};
        int capacity = span < 0 ? 0 : PointCapacityFor(span, s.plotunitvalues);
        if (capacity > 32767)
            return Fault{"Overflow: " + std::to_string(span) + " days of " +
                         (s.plotunitvalues ? "unit values" : "hourly values") + " need " + std::to_string(capacity) +
                         " points per graph; at most 32767 can be counted"};
        s.days = static_cast<int16_t>(span);
        s.daysisspan = true;
        window.span = static_cast<int16_t>(span);
        state_.window = window;

        const PageSet& pages = state_.pages;
        state_.store.SizeForWindow(pages.tableroom, span, s.plotunitvalues, !state_.frequency.Empty());
        size_t pageRoom = static_cast<size_t>(pages.tableroom) + 1;
        state_.labels.assign(pageRoom, std::vector<SeriesLabels>(kGraphsPerPage));
        state_.modelErrorThreshold.assign(pageRoom, 0.0);
        return {};
    }

    // A graph to fetch, with the options of its page.
    struct GraphFetch {
        int page = 0;
        int slot = 0;
        FetchOptions options;
    };

    // Every page in order: its graphs fetched, then what needs the whole page, then the
    // window told. On a database that reads on two connections at once, graphs are
    // fetched two at a time, the second on another thread; the event loop runs only
    // between the pairs, so nothing it runs sees a graph half fetched on that thread.
    Result<void> LoadEveryPage(Database& db) {
        const int n = state_.pages.pagecount;
        unfetched_.assign(static_cast<size_t>(n) + 1, 0);
        prepared_ = finished_ = 0;
        pending_.clear();
        queued_ = 0;
        std::unique_ptr<FetchThread> beside = FetchThreadFor(db);
        // The stamp this load ends with is read before its first series.
        if (ChecksUpdateWhenLoaded()) db.ExpectRecordset(UpdateQuery(state_.settings));
        // With a second reader the pages are prepared up to two ahead of the graphs
        // fetched, so a pair can span two pages and a server far away has the next
        // pages' statements a round trip before this page's rows run out.
        const size_t lookahead = beside ? 2 * kGraphsPerPage : 1;
        for (;;) {
            if (Result<void> finished = FinishFetchedPages(db); !finished) return finished;
            if (prepared_ < n && pending_.size() < lookahead) {
                const size_t queuedBefore = pending_.size();
                PreparePage(++prepared_);
                ExpectQueuedGraphs(db, beside.get(), queuedBefore);
                continue;
            }
            if (pending_.empty()) return {};
            GraphFetch first = TakeNext();
            if (!beside || pending_.empty()) {
                if (Result<void> fetched = FetchSeries(state_, host_, db, first.page, first.slot, first.options);
                    !fetched)
                    return FetchFailed(first, fetched);
                continue;
            }
            if (Result<void> fetched = FetchPair(db, beside, first, TakeNext()); !fetched) return fetched;
            // Neither connection reads now: the window may paint and take clicks.
            host_.Yield();
        }
    }

    // Whether this load reads the update stamp on its connection: at the end of a first
    // load, unattended (Run) or once page 1 is fetched (FinishPage).
    bool ChecksUpdateWhenLoaded() const {
        if (state_.autostartseconds != 0) return mode_ == LoadMode::Full;
        return state_.currentpage == 0;
    }

    // The statements of the graphs queued from `from` on are sent ahead on the connection
    // each will be fetched on: pairs are taken in the order queued, the first of each
    // fetched here and the second beside.
    void ExpectQueuedGraphs(Database& db, FetchThread* beside, size_t from) {
        std::vector<std::string> here, there;
        for (size_t i = from; i < pending_.size(); ++i) {
            std::vector<std::string>& to = beside && queued_ % 2 == 1 ? there : here;
            ++queued_;
            for (std::string& statement : ExpectedSeriesStatements(state_, pending_[i].page, pending_[i].slot))
                to.push_back(std::move(statement));
        }
        if (!here.empty()) db.ExpectSeries(here);
        if (there.empty()) return;
        beside->Begin([&there](Database& other) -> Result<void> {
            other.ExpectSeries(there);
            return {};
        });
        beside->Finish();
    }

    // `first` here and `second` on the other thread, at the same time. Without a second
    // connection after all, this one fetches both and the thread is let go.
    Result<void> FetchPair(Database& db, std::unique_ptr<FetchThread>& beside, const GraphFetch& first,
                           const GraphFetch& second) {
        double now = host_.Now();
        beside->Begin([this, &second, now](Database& other) {
            return FetchSeriesBeside(state_, other, second.page, second.slot, second.options, now);
        });
        Result<void> fetchedFirst = FetchSeriesBeside(state_, db, first.page, first.slot, first.options, now);
        std::optional<Result<void>> fetchedSecond = beside->Finish();
        if (!fetchedSecond) {
            beside.reset();
            fetchedSecond = FetchSeriesBeside(state_, db, second.page, second.slot, second.options, now);
        }
        if (!fetchedFirst) return FetchFailed(first, fetchedFirst);
        if (!*fetchedSecond) return FetchFailed(second, *fetchedSecond);
        return {};
    }

    // The second connection when the database reads beside another one and there is
    // more than one graph to fetch.
    std::unique_ptr<FetchThread> FetchThreadFor(const Database& db) {
        std::unique_ptr<FetchThread> beside = std::move(setupConnections_.beside);
        if (!db.ReadsBesideAnotherConnection() || GraphsToFetch() < 2) return nullptr;
        if (beside) return beside;
        return FetchThread::Start(state_.settings, state_.programFolder, state_.lockWait);
    }

    int GraphsToFetch() const {
        int count = 0;
        for (int p = 1; p <= state_.pages.pagecount; ++p)
            for (int slot = 0; slot < kGraphsPerPage; ++slot) {
                SlotKind kind = state_.pages.Page(p).slots[static_cast<size_t>(slot)].Kind();
                if (kind != SlotKind::WebScreen && kind != SlotKind::Empty) ++count;
            }
        return count;
    }

    GraphFetch TakeNext() {
        GraphFetch next = std::move(pending_.front());
        pending_.pop_front();
        --unfetched_[static_cast<size_t>(next.page)];
        return next;
    }

    Result<void> FetchFailed(const GraphFetch& graph, const Result<void>& fetched) {
        page_ = graph.page;
        return fetched;
    }

    // Readies page p's graphs for their fetch and queues them.
    void PreparePage(int p) {
        page_ = p;
        if (hooks_.progress) hooks_.progress(p * 2400 / state_.pages.pagecount);
        PageSet& pages = state_.pages;
        PageRec& page = pages.Page(p);
        double threshold = ModelErrorThreshold(state_.settings, page);
        state_.modelErrorThreshold[static_cast<size_t>(p)] = threshold;
        for (int slot = 0; slot < kGraphsPerPage; ++slot) {
            GraphDef& graph = page.slots[static_cast<size_t>(slot)];
            if (graph.Kind() == SlotKind::WebScreen) {
                // Browsers come with the web-screen layer; until it is plugged in a web
                // screen slot simply stays empty. Pages prepared ahead of page 1 get theirs
                // once page 1 is on the screen: starting the engine for them would hold it up.
                if (p > 1 && finished_ == 0)
                    webScreensAfterFirstPage_.push_back({p, slot});
                else if (hooks_.prepareWebScreen)
                    hooks_.prepareWebScreen(p, slot);
                continue;
            }
            if (graph.Kind() == SlotKind::Empty) continue;
            GraphDef& second = page.slots[static_cast<size_t>(slot + kSecondSeriesOffset)];
            if (graph.freqtype == FreqType::DepthDuration || graph.freqtype == FreqType::ModelError)
                second.freqtype = graph.freqtype;
            state_.labels[static_cast<size_t>(p)][static_cast<size_t>(slot)] =
                SeriesLabelsFor(graph, state_.catalogue, state_.settings, page);
            FetchOptions options;
            options.roundHalfEven = true;
            options.modelErrorThreshold = threshold;
            // Traces are added afresh by every load.
            graph.tracecount = 0;
            pending_.push_back({p, slot, options});
            ++unfetched_[static_cast<size_t>(p)];
        }
    }

    // The pages, in order, whose graphs have all been fetched.
    Result<void> FinishFetchedPages(Database& db) {
        while (finished_ < prepared_ && unfetched_[static_cast<size_t>(finished_) + 1] == 0)
            if (Result<void> finished = FinishPage(db, ++finished_); !finished) return finished;
        return {};
    }

    Result<void> FinishPage(Database& db, int p) {
        page_ = p;
        PageSet& pages = state_.pages;
        PageRec& page = pages.Page(p);
        for (int slot = 0; slot < kGraphsPerPage; ++slot) {
            SlotKind kind = page.slots[static_cast<size_t>(slot)].Kind();
            if (kind == SlotKind::WebScreen || kind == SlotKind::Empty) continue;
            if (Contains(page.runsuffix[static_cast<size_t>(slot)], "RU")) AddModelRun(db, p, slot);
        }
        if (pages.HasAlertTable()) ClearAlertMarks(pages, p);
        if (state_.currentpage == 0 && state_.autostartseconds == 0) {
            if (Result<bool> checked = CheckUpdate(host_, db, state_.settings, state_.lastUpdate); !checked)
                return checked.fault();
            state_.currentpage = 1;
            host_.SetCaption(BaseCaption(state_));
            if (hooks_.showFirstPage) hooks_.showFirstPage();
        }
        host_.SetCaption(BaseCaption(state_) + "... Loading page " + std::to_string(p) + " of " +
                         std::to_string(pages.pagecount));
        host_.Yield();
        if (p == 1) PrepareWebScreensAfterFirstPage();
        return {};
    }

    void PrepareWebScreensAfterFirstPage() {
        for (auto [page, slot] : webScreensAfterFirstPage_)
            if (hooks_.prepareWebScreen) hooks_.prepareWebScreen(page, slot);
        webScreensAfterFirstPage_.clear();
    }

    // The newest run of yesterday or earlier over a graph that asks for runs. A run that
    // cannot be read costs the graph its trace, not the load.
    void AddModelRun(Database& db, int p, int slot) {
        Result<void> added = AddUnattendedTrace(state_, db, p, slot, host_.Now());
        if (added || state_.autostartseconds != 0) return;
        host_.Report(added.fault(), Severity::Warning);
    }

    LoadPagesResult Fail(const std::string& description) {
        if (mode_ == LoadMode::Full) {
            std::string message = PageSectionFaultMessage(description, setupPath_, page_, lastLine_);
            LoadFault fault{{message, setupPath_, page_, lastLine_}, true};
            host_.Report(fault, Severity::Fatal);
            return fault;
        }
        if (previous_) previous_->PutBack(state_);
        std::string report = BaseCaption(state_) + " ... reload failed: " + description;
        host_.SetCaption(report);
        // Unattended, nobody reads the caption: the window's host writes it to standard
        // error instead of showing a box.
        if (state_.autostartseconds != 0) host_.Report({report}, Severity::Note);
        return LoadFault{{description}, false};
    }

    // At start the day window is line 1's (with line 2's unit values): its faults are
    // told against that line, not against the last page line read.
    LoadPagesResult FailWindow(const std::string& description) {
        if (mode_ != LoadMode::Full) return Fail(description);
        std::string message = TopSectionFaultMessage("Line 1: " + description, setupPath_, firstLine_);
        LoadFault fault{{message, setupPath_, 0, 1}, true};
        host_.Report(fault, Severity::Fatal);
        return fault;
    }

    ProgramState& state_;
    Host& host_;
    LoadMode mode_;
    const LoadPagesHooks& hooks_;
    std::string setupPath_;
    int page_ = 1;
    int lastLine_ = 0;
    std::string firstLine_;
    std::unique_ptr<LoadedData> previous_;
    SetupConnections setupConnections_;
    // The graphs prepared and not yet fetched, in page and slot order; how many of each
    // page's are still to come; the pages prepared and finished so far.
    std::deque<GraphFetch> pending_;
    std::vector<std::pair<int, int>> webScreensAfterFirstPage_;  // (page, slot)
    // Graphs queued in this load, for which connection fetches the next one.
    size_t queued_ = 0;
    std::vector<int> unfetched_;
    int prepared_ = 0;
    int finished_ = 0;
};

}  // namespace

std::string BaseCaption(const ProgramState& state) {
    std::string title = state.pages.pages.size() > 1 ? state.pages.Page(1).title : std::string();
    return title + FormatDate(state.lastUpdate, " yyyy-mmm-dd") + " updated at " +
           FormatDate(state.lastUpdate, "hh:mm AMPM");
}

Result<DateWindow> ComputeDateWindow(const SetupSettings& settings, double now, bool historicalStart,
                                     const std::string& historyStartText) {
    DateWindow window;
    window.currentHour = Hour(now);
    double today = DatePart(now);
    window.start = today - (settings.days - 1);
    window.end = today + 1 + settings.endday;
    if (historicalStart) {
        auto start = ParseDateTimeText(historyStartText);
        if (!start) return Fault{"Historical Start Date \"" + historyStartText + "\" is not a date"};
        window.start = *start;
        window.end = *start + settings.days;
    }
    return window;
}

LoadPagesResult LoadPages(ProgramState& state, Host& host, LoadMode mode, const LoadPagesHooks& hooks) {
    return Loader(state, host, mode, hooks).Run();
}

}  // namespace tidemark
