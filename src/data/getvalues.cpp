#include "data/getvalues.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <memory>
#include <utility>

#include "core/color.h"
#include "core/daynum.h"
#include "core/vbtext.h"
#include "data/database_access.h"
#include "data/model_error.h"
#include "data/series_kinds.h"
#include "data/series_statements.h"
#include "data/update_check.h"

namespace tidemark {
namespace {

// Point counts are 16-bit, as drawing and the setup model count them.
constexpr long long kMaxPointCount = 32767;

struct FetchFault {
    std::string description;
};

[[noreturn]] void Fail(std::string description) { throw FetchFault{std::move(description)}; }

template <class T>
T Take(Result<T> result) {
    if (!result) Fail(result.error());
    return std::move(result.value());
}

// The series' main statement with its rewrites.
std::string MainStatementOf(const ProgramState& state, const GraphDef& def, const SeriesSource& source) {
    const DateWindow& w = state.window;
    std::string statement = source.unitValues ? UnitValuesStatement(def.dsid, w.start, w.end)
                                              : HourlyStatement(def.dsid, w.start, w.end, source.dailyMaxMin);
    return RewriteStatement(statement, state.settings, source.unitsToHours);
}

// The daily values of the window up to its last day.
std::string DailyStatementOf(const ProgramState& state, const GraphDef& def) {
    return RewriteStatement(DailyStatement(def.dsid, state.window.start, state.window.end - 1), state.settings, false);
}

// The fetch works on copies of the graph definitions taken when it starts: commands
// that run while the fetch yields may edit the definitions.
using SeriesDef = GraphDef;

class SlotFetch {
public:
    using Connect = std::function<Database&()>;

    // `now` is the host's time as the fetch starts; `yield` (may be empty) lets the event
    // loop run before each statement.
    SlotFetch(ProgramState& state, double now, std::function<void()> yield, int page, int slot,
              const FetchOptions& options, Connect connect)
        : state_(state), yield_(std::move(yield)), page_(page), slot_(slot), options_(options),
          connect_(std::move(connect)), fetchStart_(now) {}

    // The whole fetch. The fault is caught here, so that no exception leaves the data layer.
    Result<void> Run() {
        try {
            Start();
            ReadGraph();
        } catch (const FetchFault& fault) {
            KeepWhatWasStored();
            return Fault{fault.description.empty() ? std::string("Unknown error") : fault.description};
        } catch (const std::exception& error) {
            // Out of memory and the like: reported the same way, never past the caller.
            KeepWhatWasStored();
            return Fault{error.what()};
        }
        return {};
    }

private:
    // ---- steps 1 to 3 ----

    void Start() {
        if (slot_ < 0 || slot_ >= kGraphsPerPage || page_ < 1 || !state_.pages.ValidPage(page_) ||
            page_ >= static_cast<int>(state_.pages.pages.size()) || !state_.store.Has(page_, slot_))
            Fail("Subscript out of range: there is no graph " + std::to_string(slot_ + 1) + " on page " +
                 std::to_string(page_) + " to fetch");
        main_ = state_.pages.Graph(page_, slot_);
        const GraphDef& second = state_.pages.Graph(page_, SecondSlot());
        hasSecond_ = second.Kind() != SlotKind::Empty;
        if (hasSecond_) second_ = second;
        Initialise();
        // Nothing is stored until the first row: a fault before it leaves an empty graph.
        BeginStoring(slot_, false);
        db_ = &connect_();
    }

    void Initialise() {
        SlotSeries& graph = Slot(slot_);
        double start = main_.freqtype == FreqType::DepthDuration ? 0.0 : kMissing;
        graph.points.Fill(state_.store.PointCapacity(), start);
        graph.dailyPoints.Fill(state_.window.span, kMissing);
        graph.lastRowTime = 0;
        if (hasSecond_) {
            SlotSeries& second = Slot(SecondSlot());
            second.points.Fill(state_.store.PointCapacity(), kMissing);
            // The second series is read from the window start like the main one; what a
            // previous load left here must not reach into this one.
            second.lastRowTime = 0;
            second.currentTime = 0;
        }
        graph.currentTime = 0;
    }

    // ---- step 4 onwards ----

    void ReadGraph() {
        long long dailyCount = 0;
        SeriesKind kind = KindOf(main_);
        if (kind == SeriesKind::MonthlyCumulative) {
            dailyCount = ReadMonthly(slot_, main_);
        } else {
            ReadRows(slot_, main_, false);
            if (kind == SeriesKind::DepthDurationMaxima) {
                FinishDepthDuration();
                return;
            }
            dailyCount = ReadDaily(slot_, main_);
        }
        CurrentFromLastDay(slot_, dailyCount);
        if (hasSecond_) {
            ReadSecond();
            return;
        }
        if (options_.checkUpdate) {
            Result<void> checked = options_.checkUpdate();
            if (!checked) Fail(checked.error());
        }
    }

    void ReadSecond() {
        int slot = SecondSlot();
        if (KindOf(second_) == SeriesKind::MonthlyCumulative) {
            CurrentFromLastDay(slot, ReadMonthly(slot, second_));
            return;
        }
        // Depth-duration maxima belong to a graph's main slot; a second series marked so
        // is read as a plain series.
        SeriesDef def = second_;
        if (KindOf(def) == SeriesKind::DepthDurationMaxima) def.freqtype = FreqType::Plain;
        ReadRows(slot, def, true);
        SlotSeries& graph = Slot(slot_);
        const SlotSeries& second = Slot(slot);
        if (second.pointCount > graph.pointCount) graph.pointCount = second.pointCount;
    }

    // The main statement's rows: hour fillers, the frequency step of the kind, points
    // and the current value.
    void ReadRows(int slot, const SeriesDef& def, bool isSecond) {
        const SeriesKind kind = KindOf(def);
        const bool depthDuration = kind == SeriesKind::DepthDurationMaxima;
        const SeriesSource source = Source(def);
        int timeStep = source.TimeStepMinutes();
        SeriesRows rs = OpenSeries(MainStatement(def, source), def.dsid);

        bool composeModelError = isSecond && options_.modelErrorThreshold && main_.freqtype == FreqType::ModelError;
        ModelErrorText modelError(options_.modelErrorThreshold.value_or(0));
        if (composeModelError) Slot(slot_).modelErrorText.clear();

        const FrequencyTable& table = state_.frequency;
        bool keepAmounts = depthDuration && table.rows > 0;
        if (depthDuration) maxima_ = std::make_unique<DepthDurationMaxima>(table);

        SlotSeries& series = Slot(slot);
        BeginStoring(slot, depthDuration);
        long long i = 0;
        long long step5 = 0;  // 5-minute steps of a depth-duration graph
        for (; !rs.Eof(); rs.MoveNext()) {
            ++i;
            double d = TakeAt(rs, rs.DayNumber(0));
            if (series.lastRowTime == 0) series.lastRowTime = state_.window.start;
            if (!depthDuration) i = StoreHourFillers(series, i, series.lastRowTime, d);
            double v = TakeAt(rs, rs.Number(1));
            if (kind == SeriesKind::RecurrenceInterval) {
                int step = RecurrenceTimeStep(MinuteBoundaries(series.lastRowTime, d));
                if (i > 1) timeStep = step;
                v = Getfrequency(v, table, timeStep);
            } else if (depthDuration) {
                long long n = DepthDurationMaxima::StepsFor(MinuteBoundaries(series.lastRowTime, d));
                double amount = v / static_cast<double>(n);
                for (long long k = 0; k < n; ++k) {
                    ++step5;
                    if (step5 == 1) amount = 0;  // the first row only marks where reading starts
                    if (!keepAmounts) continue;
                    if (step5 > series.PointRoom()) Fail(RoomText(series.PointRoom(), "5-minute amounts"));
                    series.points[static_cast<size_t>(step5)].value = amount;
                    maxima_->AddStep(step5, amount,
                                     [&](long long at) { return series.points[static_cast<size_t>(at)].value; });
                }
            }
            series.lastRowTime = d;
            if (depthDuration) {
                series.currentTime = d;
            } else {
                StorePoint(series, i, d, v);
                if (d <= fetchStart_) {
                    series.currentValue = v;
                    series.currentTime = d;
                }
            }
            if (composeModelError) {
                const SlotSeries& observed = Slot(slot_);
                modelError.AddRow(d, v, observed.points, observed.pointCount);
            }
        }
        // A depth-duration graph's count is its number of durations, set when it finishes.
        if (!depthDuration) {
            if (i > kMaxPointCount) Fail(OverflowText());
            series.pointCount = static_cast<int16_t>(i);
        }
        EndStoring();
        if (composeModelError) Slot(slot_).modelErrorText = modelError.Text();
    }

    // The depth-duration result: per duration row its interval in the graph's slot and
    // its largest depth in the second-series slot.
    void FinishDepthDuration() {
        double best = 0;
        std::vector<DepthDurationMaxima::Row> rows = maxima_->Finish(best);
        SlotSeries& graph = Slot(slot_);
        SlotSeries& depths = Slot(SecondSlot());
        int count = static_cast<int>(rows.size());
        if (count > graph.PointRoom() || count > depths.PointRoom())
            Fail(RoomText(std::min(graph.PointRoom(), depths.PointRoom()), "durations"));
        for (int w = 1; w <= count; ++w) {
            const DepthDurationMaxima::Row& row = rows[static_cast<size_t>(w - 1)];
            graph.points[static_cast<size_t>(w)] = {static_cast<double>(row.minutes), row.interval};
            depths.points[static_cast<size_t>(w)] = {static_cast<double>(row.minutes), row.depth};
        }
        graph.currentValue = best;
        graph.pointCount = static_cast<int16_t>(count);
        depths.pointCount = static_cast<int16_t>(count);
    }

    // Daily values of the window up to its last day, with gap fillers; returns the index
    // of the last daily value stored.
    long long ReadDaily(int slot, const SeriesDef& def) {
        SlotSeries& before = Slot(slot);
        before.currentValue = RoundCurrent(before.currentValue, "#0.##");
        SeriesRows rs = OpenSeries(DailyStatementOf(state_, def), def.dsid);
        SlotSeries& series = Slot(slot);
        long long span = state_.window.span;
        long long i = 0;
        for (; !rs.Eof(); rs.MoveNext()) {
            ++i;
            double d = TakeAt(rs, rs.DayNumber(0));
            double v = TakeAt(rs, rs.Number(1));
            if (UsesFrequencyTable(def.freqtype)) v = Getfrequency(v, state_.frequency, 1440);
            i = FillDailyGaps(series, i, d, span);
            if (i > span) i = span;
            StoreDaily(series, i, d, v);
        }
        if (series.pointCount < i) series.pointCount = static_cast<int16_t>(i);
        return i;
    }

    // Days missing between the daily value before index i and the day d, stored as
    // missing days from index i on but not beyond index `last`; returns the index the
    // day itself goes to. A row that does not move on by a whole day fills nothing.
    long long FillDailyGaps(SlotSeries& series, long long i, double d, long long last) {
        if (i < 2) return i;
        double gap = RoundHalfEven((d - series.dailyPoints[static_cast<size_t>(i - 1)].time) - 1);
        while (gap > 0 && i <= last) {
            StoreDaily(series, i, d - gap, kMissing);
            ++i;
            gap -= 1;
        }
        return i;
    }

    // Monthly cumulative: the month-so-far total, the running total of the hourly or
    // unit rows, and the running total of the daily values over the whole window.
    long long ReadMonthly(int slot, const SeriesDef& def) {
        double prior = ReadMonthSoFar(def);
        ReadMonthlyRows(slot, def, prior);
        // The time of the last hourly total stays the graph's time: dating the total at
        // midnight would make every monthly graph read as stale from 2 o'clock on.
        const bool hourlyCurrent = Slot(slot).currentTime != 0;
        return ReadMonthlyDays(slot, def, prior, hourlyCurrent);
    }

    // The total of the month's days before the window (0 when it starts on the 1st).
    double ReadMonthSoFar(const SeriesDef& def) {
        const DateWindow& window = state_.window;
        double prior = 0;
        if (DayOfMonth(window.start) == 1) return prior;
        std::string statement = MonthSoFarStatement(def.dsid, FirstOfMonth(window.start), window.start - 1);
        Recordset rs = Open(RewriteStatement(statement, state_.settings, false));
        for (; !rs.Eof(); rs.MoveNext()) prior += Take(rs.Number(1));
        return prior;
    }

    // The hourly or unit rows as a running total from `prior`, restarted once, after the
    // first row dated on the 1st of a month.
    void ReadMonthlyRows(int slot, const SeriesDef& def, double prior) {
        SeriesRows rows = OpenSeries(MainStatement(def, Source(def)), def.dsid);
        SlotSeries& series = Slot(slot);
        BeginStoring(slot, false);
        double cum = prior;
        bool reset = false;
        bool first = true;
        long long i = 0;
        for (; !rows.Eof(); rows.MoveNext()) {
            ++i;
            double d = TakeAt(rows, rows.DayNumber(0));
            double v = TakeAt(rows, rows.Number(1));
            if (!first) i = StoreHourFillers(series, i, series.lastRowTime, d);
            if (first) {
                // The first row's own amount belongs to the time before the window.
                cum = FormatRound(cum, "#0.####");
                first = false;
            } else {
                cum = FormatRound(cum + v, "#0.####");
            }
            StorePoint(series, i, d, cum);
            series.lastRowTime = d;
            if (d <= fetchStart_) {
                series.currentValue = cum;
                series.currentTime = d;
            }
            if (DayOfMonth(d) == 1 && !reset) {
                cum = 0;
                reset = true;
            }
        }
        series.currentValue = RoundCurrent(series.currentValue, "#0.##");
        if (i > kMaxPointCount) Fail(OverflowText());
        // The count of points now held, so a refreshed graph shows all of them.
        series.pointCount = static_cast<int16_t>(i);
        EndStoring();
    }

    // The daily values of the whole window as a running total from `prior`, restarted
    // once, on the first day that is the 1st of a month; returns the index of the last
    // daily value stored.
    long long ReadMonthlyDays(int slot, const SeriesDef& def, double prior, bool hourlyCurrent) {
        const DateWindow& window = state_.window;
        SeriesRows days = OpenSeries(
            RewriteStatement(DailyStatement(def.dsid, window.start, window.end), state_.settings, false), def.dsid);
        SlotSeries& daily = Slot(slot);
        double cum = prior;
        bool reset = false;
        long long j = 0;
        for (; !days.Eof(); days.MoveNext()) {
            ++j;
            double d = TakeAt(days, days.DayNumber(0));
            double v = TakeAt(days, days.Number(1));
            if (DayOfMonth(d) == 1 && !reset) {
                cum = 0;
                reset = true;
            }
            cum = FormatRound(cum + v, "#0.####");
            j = FillDailyGaps(daily, j, d, std::numeric_limits<long long>::max());
            StoreDaily(daily, j, d, cum);
            if (d <= fetchStart_ && !hourlyCurrent) daily.currentTime = d;
        }
        if (j > kMaxPointCount) Fail(OverflowText());
        if (daily.pointCount < j) daily.pointCount = static_cast<int16_t>(j);
        return j;
    }

    // When no row up to now gave a current value, the last daily value is shown.
    void CurrentFromLastDay(int slot, long long lastDay) {
        SlotSeries& series = Slot(slot);
        if (series.currentTime != 0 || lastDay == 0) return;
        if (lastDay < 1 || lastDay > series.DailyRoom()) return;
        const SeriesPoint& day = series.dailyPoints[static_cast<size_t>(lastDay)];
        series.currentTime = day.time;
        series.currentValue = RoundCurrent(day.value, "0.##");
    }

    // ---- storing, with every index checked against its buffer ----

    // Fillers dated on the hours between `from` and `to`, from point i on; returns the
    // point index the row itself goes to.
    long long StoreHourFillers(SlotSeries& series, long long i, double from, double to) {
        // Rows less than an hour apart (with room for rounding to the second) cross at
        // most one hour boundary, so unit values skip the count.
        constexpr double kUnderAnHour = (3600.0 - 2.0) / 86400.0;
        if (to - from < kUnderAnHour) return i;
        long long hours = HourBoundaries(from, to);
        for (long long k = 1; k < hours; ++k) {
            StorePoint(series, i, from + static_cast<double>(k) / 24.0, kMissing);
            ++i;
        }
        return i;
    }

    void StorePoint(SlotSeries& series, long long i, double time, double value) {
        if (i < 1 || i > series.PointRoom()) Fail(RoomText(series.PointRoom(), "points"));
        if (i > kMaxPointCount) Fail(OverflowText());
        series.points[static_cast<size_t>(i)] = {time, value};
        stored_ = i;
    }

    void StoreDaily(SlotSeries& series, long long i, double time, double value) {
        if (i < 1 || i > series.DailyRoom())
            Fail("Subscript out of range: more daily values than the " + std::to_string(series.DailyRoom()) +
                 " days the graph has room for; the days stored so far are kept");
        series.dailyPoints[static_cast<size_t>(i)] = {time, value};
    }

    std::string RoomText(int room, const char* what) const {
        return "Subscript out of range: the rows read need more " + std::string(what) + " than the " +
               std::to_string(room) + " the graph has room for in its " + std::to_string(state_.window.span) +
               "-day window; the points stored so far are kept";
    }

    static std::string OverflowText() {
        return "Overflow: the series has more than " + std::to_string(kMaxPointCount) +
               " points; the points stored so far are kept";
    }

    // While rows are being stored, a fault leaves the slot's count at the points stored
    // (none for depth-duration graphs, whose points are only working amounts then).
    void BeginStoring(int slot, bool workingAmounts) {
        storingSlot_ = slot;
        workingAmounts_ = workingAmounts;
        stored_ = 0;
    }
    void EndStoring() { storingSlot_ = -1; }

    void KeepWhatWasStored() {
        if (storingSlot_ < 0 || !state_.store.Has(page_, storingSlot_)) return;
        SlotSeries& series = state_.store.At(page_, storingSlot_);
        series.pointCount = workingAmounts_ ? 0 : static_cast<int16_t>(std::min(stored_, kMaxPointCount));
        storingSlot_ = -1;
    }

    // ---- access ----

    int SecondSlot() const { return slot_ + kSecondSeriesOffset; }

    // Which rows the series reads, by the settings and page flags of the moment.
    SeriesSource Source(const SeriesDef& def) const {
        if (page_ >= static_cast<int>(state_.pages.pages.size()))
            Fail("Subscript out of range: page " + std::to_string(page_) + " was removed while graph " +
                 std::to_string(slot_ + 1) + " was being fetched");
        return SourceOf(def, state_.settings, state_.pages.Page(page_));
    }

    std::string MainStatement(const SeriesDef& def, const SeriesSource& source) const {
        return MainStatementOf(state_, def, source);
    }

    // The slot, looked up afresh: a command run while the fetch yielded may have resized
    // the store.
    SlotSeries& Slot(int slot) {
        if (!state_.store.Has(page_, slot))
            Fail("Subscript out of range: the series of page " + std::to_string(page_) + " were replaced while graph " +
                 std::to_string(slot_ + 1) + " was being fetched");
        return state_.store.At(page_, slot);
    }

    // Lets the event loop run once, then opens the statement.
    Recordset Open(const std::string& statement) {
        if (yield_) yield_();
        table_ = FirstTable(statement);
        return Take(db_->OpenRecordset(statement));
    }

    SeriesRows OpenSeries(const std::string& statement, int dsid) {
        if (yield_) yield_();
        table_ = FirstTable(statement);
        series_ = dsid;
        return Take(db_->OpenSeries(statement));
    }

    // A row that cannot be read is named with its table, series and time, so the one bad
    // reading among thousands can be found.
    template <class Rows, class T>
    T TakeAt(const Rows& rs, Result<T> result) {
        if (!result) {
            Result<std::string> time = rs.Text(0);
            Fail("Table " + table_ + ", series " + std::to_string(series_) + ", row " + (time ? time.value() : "?") +
                 ": " + result.error());
        }
        return std::move(result.value());
    }

    static std::string FirstTable(const std::string& statement) {
        std::string lower = LCase(statement);
        size_t from = lower.find(" from ");
        if (from == std::string::npos) return "?";
        size_t start = from + 6, end = statement.find_first_of(" ;", start);
        return statement.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }

    double RoundCurrent(double value, const char* mask) const {
        return options_.roundHalfEven ? Round(value, 2) : FormatRound(value, mask);
    }

    std::string table_;  // of the statement being read
    int series_ = 0;     // of the series statement being read
    ProgramState& state_;
    std::function<void()> yield_;
    int page_;
    int slot_;
    const FetchOptions& options_;
    Connect connect_;
    Database* db_ = nullptr;

    double fetchStart_;
    SeriesDef main_;
    SeriesDef second_;
    bool hasSecond_ = false;
    std::unique_ptr<DepthDurationMaxima> maxima_;

    int storingSlot_ = -1;
    bool workingAmounts_ = false;
    long long stored_ = 0;
};

const char kFaultPrefix[] = "Sub Getvalues1: ";

}  // namespace

std::vector<std::string> ExpectedSeriesStatements(const ProgramState& state, int page, int slot) {
    std::vector<std::string> statements;
    if (slot < 0 || slot >= kGraphsPerPage || !state.pages.ValidPage(page) ||
        page >= static_cast<int>(state.pages.pages.size()))
        return statements;
    const PageRec& rec = state.pages.Page(page);
    const GraphDef& main = state.pages.Graph(page, slot);
    const GraphDef& second = state.pages.Graph(page, slot + kSecondSeriesOffset);
    // A monthly total reads the month so far first, a statement of another kind: the
    // graph's statements are then left to go one at a time.
    if (KindOf(main) == SeriesKind::MonthlyCumulative) return statements;
    statements.push_back(MainStatementOf(state, main, SourceOf(main, state.settings, rec)));
    if (KindOf(main) == SeriesKind::DepthDurationMaxima) return statements;
    statements.push_back(DailyStatementOf(state, main));
    if (second.Kind() == SlotKind::Empty || KindOf(second) == SeriesKind::MonthlyCumulative) return statements;
    SeriesDef def = second;
    if (KindOf(def) == SeriesKind::DepthDurationMaxima) def.freqtype = FreqType::Plain;
    statements.push_back(MainStatementOf(state, def, SourceOf(def, state.settings, rec)));
    return statements;
}

Result<void> FetchSeries(ProgramState& state, Host& host, Database& db, int page, int slot,
                         const FetchOptions& options) {
    SlotFetch fetch(
        state, host.Now(), [&host] { host.Yield(); }, page, slot, options, [&db]() -> Database& { return db; });
    return fetch.Run();
}

Result<void> FetchSeriesBeside(ProgramState& state, Database& db, int page, int slot, const FetchOptions& options,
                               double now) {
    SlotFetch fetch(state, now, {}, page, slot, options, [&db]() -> Database& { return db; });
    return fetch.Run();
}

void Getvalues1(ProgramState& state, Host& host, Database& db, int page, int slot, const FetchOptions& options) {
    Result<void> fetched = FetchSeries(state, host, db, page, slot, options);
    if (!fetched) host.Report({kFaultPrefix + fetched.error()}, Severity::Note);
}

void Getvalues1(ProgramState& state, Host& host, int page, int slot, const FetchOptions& options) {
    FetchOptions withStamp = options;
    if (!withStamp.checkUpdate)
        withStamp.checkUpdate = [&state, &host]() -> Result<void> {
            Result<bool> checked = CheckUpdate(host, state);
            if (!checked) return checked.fault();
            return {};
        };
    std::unique_ptr<Database> own;
    SlotFetch fetch(
        state, host.Now(), [&host] { host.Yield(); }, page, slot, withStamp,
        [&]() -> Database& {
            Result<std::unique_ptr<Database>> opened =
                OpenDatabase(state.settings, state.programFolder, state.lockWait);
            if (!opened) Fail(opened.error());
            own = std::move(opened.value());
            return *own;
        });
    Result<void> fetched = fetch.Run();
    if (!fetched) host.Report({kFaultPrefix + fetched.error()}, Severity::Note);
}

}  // namespace tidemark
