#include "data/model_runs.h"

#include <algorithm>

#include "core/daynum.h"
#include "core/vbtext.h"
#include "data/connection_rules.h"

namespace tidemark {
namespace {

constexpr int kNotch = 120;
constexpr int kRowsPerNotch = 3;

const std::vector<std::string>& ModelTables() {
    static const std::vector<std::string> tables{"mrundsid", "munit", "mhour", "runit", "rhour"};
    return tables;
}

std::string Field(const RunRow& run, size_t column) { return column < run.cells.size() ? run.cells[column] : ""; }

std::optional<double> RunTime(const RunRow& run) { return ParseDateTimeText(Trim(Field(run, 2))); }

std::string RunNumberTraceStatement(const std::string& table, int16_t runnumber, const DateWindow& window,
                                    bool quotedates) {
    // A run-number series lives in the observation table of the same interval.
    std::string observed = ReplaceAll(table, "m", "r");
    std::string sql = "SELECT date_time, value FROM " + observed + " WHERE datatype_site_id=" + CStr(runnumber) +
                      " AND date_time BETWEEN #" + FormatDate(window.start, "dd-mmm-yyyy") + "# AND #" +
                      FormatDate(window.end, "dd-mmm-yyyy") + "# ORDER BY date_time;";
    return quotedates ? ReplaceAll(sql, "#", "'") : sql;
}

// Reads the rows into trace n of the graph; a cumulative graph puts each value on the
// first main point at or after its time, so the running totals line up.
void ReadTracePoints(Recordset& rows, ModelTrace& trace, const SlotSeries& main, bool cumulative, int capacity) {
    int mainCount = std::min<int>(main.pointCount, main.PointRoom());
    int i = 1;
    while (!rows.Eof() && i <= capacity) {
        Result<double> d = rows.DayNumber(0);
        double time = d ? d.value() : 0;
        double value = kMissing;
        if (!rows.IsNull(1))
            if (Result<double> v = rows.Number(1)) value = v.value();
        if (cumulative)
            while (i <= mainCount && i < capacity) {
                double t = main.points[static_cast<size_t>(i)].time;
                if (t == 0 || t >= time) break;
                ++i;
            }
        trace.points[static_cast<size_t>(i)] = {time, value};
        ++i;
        rows.MoveNext();
    }
}

}  // namespace

RunNumberRange RunNumbersFor(const DateWindow& window) {
    RunNumberRange r{DayOfYear(window.start - 4), DayOfYear(window.end)};
    if (r.hi < r.lo) r.lo = 0;
    return r;
}

std::string RunListStatement(int16_t dsid, RunNumberRange runs) {
    return "SELECT run_id, trace, value_name, datatype_site_id, setup_string FROM mrundsid where datatype_site_id=" +
           CStr(dsid) + " and run_id between " + CStr(runs.lo) + " and " + CStr(runs.hi) +
           " order by run_id desc, trace desc;";
}

Result<RunList> ReadRunList(Database& db, const ProgramState& state, int page, int slot) {
    const GraphDef& def = state.pages.Graph(page, slot);
    std::string sql =
        AdaptQuery(RunListStatement(def.dsid, RunNumbersFor(state.window)), ModelTables(), state.settings);
    Result<Recordset> rs = db.OpenRecordset(sql);
    if (!rs) return Fault{rs.error()};
    RunList list;
    for (int c = 0; c < rs->FieldCount(); ++c) list.columns.push_back(rs->FieldName(c));
    for (; !rs->Eof(); rs->MoveNext()) {
        RunRow row;
        for (int c = 0; c < rs->FieldCount(); ++c) {
            Result<std::string> text = rs->IsNull(c) ? Result<std::string>(std::string()) : rs->Text(c);
            row.cells.push_back(text ? text.value() : std::string());
        }
        list.rows.push_back(std::move(row));
    }
    return list;
}

std::string TraceTable(const SetupSettings& settings, const PageRec& page) {
    return settings.plotunitvalues && !page.unitsoff ? "munit" : "mhour";
}

std::string RunTraceStatement(const std::string& table, const RunRow& run, double runTime, int16_t dsid,
                              const DateWindow& window, bool includeHistory, bool quotedates) {
    std::string start =
        includeHistory ? FormatDate(window.start, "dd-mmm-yyyy") : FormatDate(runTime, "dd-mmm-yyyy hh:mm");
    std::string sql = "SELECT date_time, value FROM " + table + " WHERE trace= " + Field(run, 1) +
                      " AND run_id=" + Field(run, 0) + " AND datatype_site_id=" + CStr(dsid) +
                      " AND date_time BETWEEN #" + start + "# AND #" + FormatDate(window.end, "dd-mmm-yyyy") +
                      "# ORDER BY date_time;";
    return quotedates ? ReplaceAll(sql, "#", "'") : sql;
}

Result<void> AddTrace(ProgramState& state, Database& db, int page, int slot, const AddTraceRequest& request) {
    PageRec& rec = state.pages.Page(page);
    GraphDef& def = rec.slots.at(static_cast<size_t>(slot));
    GraphTraces& traces = state.traces.At(page, slot);
    const std::string table = TraceTable(state.settings, rec);
    const int16_t runnumber = rec.runnumber.at(static_cast<size_t>(slot));

    std::string sql;
    std::string label;
    if (runnumber != 0) {
        sql = RunNumberTraceStatement(table, runnumber, state.window, state.settings.quotedates);
    } else {
        if (!request.run) return {};  // an empty run list adds nothing
        std::optional<double> runTime = RunTime(*request.run);
        if (!runTime) return Fault{"The run time \"" + Field(*request.run, 2) + "\" is not a date and time"};
        traces.lastRunText =
            Field(*request.run, 0) + ", " + Field(*request.run, 1) + ", " + FormatDate(*runTime, "mmmdd hh:mm");
        label = FormatDate(*runTime, "mmmdd hh:mm");
        sql = RunTraceStatement(table, *request.run, *runTime, def.dsid, state.window, request.includeHistory,
                                state.settings.quotedates);
    }
    Result<Recordset> rows = db.OpenRecordset(AdaptQuery(sql, ModelTables(), state.settings));
    if (!rows) return rows.fault();
    if (rows->Eof()) return {};

    if (def.tracecount == INT16_MAX) return Fault{"Too many traces on this graph"};
    int n = def.tracecount + 1;
    def.tracecount = static_cast<int16_t>(n);
    const SlotSeries& main = state.store.At(page, slot);
    int capacity = std::max(state.store.PointCapacity(), 0);
    ModelTrace& trace = state.traces.Reset(page, slot, n, std::max(capacity, main.PointRoom()));
    trace.label = label;
    ReadTracePoints(rows.value(), trace, main, def.rankcum == RankCum::Cumulative,
                    std::min(capacity, trace.PointRoom()));
    return {};
}

std::string AddTraceFaultMessage(const RunRow* run, int page, int slot, const std::string& description) {
    return "Run ID " + (run ? Field(*run, 0) : std::string()) + " on Page " + std::to_string(page) + " Graph " +
           std::to_string(slot + 1) + ": " + description;
}

void ClearLastTrace(ProgramState& state, int page, int slot) {
    GraphDef& def = state.pages.Graph(page, slot);
    if (def.tracecount > 0) --def.tracecount;
}

std::optional<size_t> UnattendedRun(const RunList& list, double now, bool ratioGraph) {
    const double yesterdayEnd = DatePart(now);  // made before today
    for (size_t i = 0; i < list.rows.size(); ++i) {
        std::optional<double> made = RunTime(list.rows[i]);
        if (made && *made < yesterdayEnd) {
            // A ratio graph compares with the run before.
            if (ratioGraph) return i + 1 < list.rows.size() ? std::optional<size_t>(i + 1) : std::nullopt;
            return i;
        }
    }
    return std::nullopt;
}

Result<void> AddUnattendedTrace(ProgramState& state, Database& db, int page, int slot, double now) {
    GraphDef& def = state.pages.Graph(page, slot);
    def.tracecount = 0;
    bool hasRunNumber = state.pages.Page(page).runnumber.at(static_cast<size_t>(slot)) != 0;
    Result<RunList> list = ReadRunList(db, state, page, slot);
    if (!list) return Fault{AddTraceFaultMessage(nullptr, page, slot, list.error())};
    const RunRow* run = nullptr;
    if (!hasRunNumber) {
        std::optional<size_t> row = UnattendedRun(list.value(), now, Contains(LCase(def.parametername), "ratio"));
        if (!row) return {};
        run = &list->rows[*row];
    }
    Result<void> added = AddTrace(state, db, page, slot, {run, false});
    if (!added) return Fault{AddTraceFaultMessage(run, page, slot, added.error())};
    return {};
}

int WheelRows::Turn(int delta) {
    total_ += delta;
    int notches = total_ / kNotch;  // truncated toward zero
    total_ %= kNotch;
    return -kRowsPerNotch * notches;
}

}  // namespace tidemark
