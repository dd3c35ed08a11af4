#include "data/load_pages.h"

#include <array>
#include <memory>
#include <utility>

#include "core/daynum.h"
#include "core/vbtext.h"
#include "data/alert_report.h"
#include "data/data_hooks.h"
#include "data/database_access.h"
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
            SetupReadResult read = ReadSetupWithDatabase(host_, state_.programFolder, targets, hooks_.openEditor);
            if (!read) return LoadFault{Fault(read.fault()), true};
            lastLine_ = read->lastLine;
            firstLine_ = read->firstLine;
            if (hooks_.setupRead) hooks_.setupRead();
        } else {
            previous_ = std::make_unique<LoadedData>(LoadedData::TakeFrom(state_));
        }
        page_ = 1;

        auto opened = OpenDatabase(state_.settings, state_.programFolder, state_.lockWait);
        if (!opened) return Fail(opened.error());
        std::unique_ptr<Database> db = std::move(opened.value());

        if (Result<void> prepared = PrepareWindow(); !prepared) return FailWindow(prepared.error());

        PageSet& pages = state_.pages;
        const int n = pages.pagecount;
        for (int p = 1; p <= n; ++p) {
            page_ = p;
            if (hooks_.progress) hooks_.progress(p * 2400 / n);
            if (Result<void> loaded = LoadPage(*db, p); !loaded) return Fail(loaded.error());
            if (state_.currentpage == 0 && state_.autostartseconds == 0) {
                if (Result<bool> checked = CheckUpdate(host_, state_); !checked) return Fail(checked.error());
                state_.currentpage = 1;
                host_.SetCaption(BaseCaption(state_));
                if (hooks_.showFirstPage) hooks_.showFirstPage();
            }
            host_.SetCaption(BaseCaption(state_) + "... Loading page " + std::to_string(p) + " of " +
                             std::to_string(n));
            host_.Yield();
        }

        if (pages.HasAlertTable()) ReadAlertFile(state_, host_);
        host_.SetCaption(BaseCaption(state_));

        if (mode_ == LoadMode::Full && state_.autostartseconds != 0) {
            state_.currentpage = 1;
            if (hooks_.showFirstPageUnattended) hooks_.showFirstPageUnattended();
            if (Result<bool> checked = CheckUpdate(host_, state_); !checked) return Fail(checked.error());
            host_.SetCaption(BaseCaption(state_));
        }
        return {};
    }

private:
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

    Result<void> LoadPage(Database& db, int p) {
        PageSet& pages = state_.pages;
        PageRec& page = pages.Page(p);
        double threshold = ModelErrorThreshold(state_.settings, page);
        state_.modelErrorThreshold[static_cast<size_t>(p)] = threshold;
        for (int slot = 0; slot < kGraphsPerPage; ++slot) {
            GraphDef& graph = page.slots[static_cast<size_t>(slot)];
            if (graph.Kind() == SlotKind::WebScreen) {
                // Browsers come with the web-screen layer; until it is plugged in a web
                // screen slot simply stays empty.
                if (hooks_.prepareWebScreen) hooks_.prepareWebScreen(p, slot);
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
            if (Result<void> fetched = FetchSeries(state_, host_, db, p, slot, options); !fetched) return fetched;
            if (Contains(page.runsuffix[static_cast<size_t>(slot)], "RU")) AddModelRun(db, p, slot);
        }
        if (pages.HasAlertTable()) ClearAlertMarks(pages, p);
        return {};
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
