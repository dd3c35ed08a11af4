#pragma once
// Model-run traces: the list of a graph's forecast runs from the model tables, adding
// one run (or a graph's run-number series) as a trace over the graph, taking the last
// one off again, and the run the loader adds by itself for graphs that ask for runs.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/result.h"
#include "data/program_state.h"
#include "storage/db/database.h"

namespace tidemark {

// Runs are numbered by the day of the year they were made.
struct RunNumberRange {
    int lo = 0, hi = 0;
    bool operator==(const RunNumberRange&) const = default;
};

// The runs a window can show: from 4 days before its start to its end; a window that
// crosses into a new year lists from 0.
RunNumberRange RunNumbersFor(const DateWindow& window);

std::string RunListStatement(int16_t dsid, RunNumberRange runs);

// One row of the run list, as text, in the statement's column order.
struct RunRow {
    std::vector<std::string> cells;  // run_id, trace, value_name, datatype_site_id, setup_string
};

struct RunList {
    std::vector<std::string> columns;
    std::vector<RunRow> rows;  // the newest run and its highest trace first
};

// The run list of graph `slot` on `page`, read on `db`.
Result<RunList> ReadRunList(Database& db, const ProgramState& state, int page, int slot);

// The model table traces are read from: unit values or hourly values.
std::string TraceTable(const SetupSettings& settings, const PageRec& page);

// The statement of one run's values, as written before the engine's dialect step.
std::string RunTraceStatement(const std::string& table, const RunRow& run, double runTime, int16_t dsid,
                              const DateWindow& window, bool includeHistory, bool quotedates);

// What Add is given: a run of the list, or nothing for a graph with a run number.
struct AddTraceRequest {
    const RunRow* run = nullptr;
    bool includeHistory = false;
};

// Adds the trace to graph `slot` of `page` (tracecount, the shared store, the label and
// the last-run text). A run without values adds nothing and is no fault. The caller
// draws the graph again.
Result<void> AddTrace(ProgramState& state, Database& db, int page, int slot, const AddTraceRequest& request);

// The message of a failed Add: "Run ID R on Page p Graph g: " and the description.
std::string AddTraceFaultMessage(const RunRow* run, int page, int slot, const std::string& description);

// Takes the last trace off the graph; its points stay in the store.
void ClearLastTrace(ProgramState& state, int page, int slot);

// The run the loader adds by itself: the newest run made yesterday or earlier (a
// "ratio" graph one older still). Nothing when the list has no such run.
std::optional<size_t> UnattendedRun(const RunList& list, double now, bool ratioGraph);

// The loader's add for a ",RUN" graph whose runsuffix holds "RU": starts the graph's
// traces afresh, lists its runs on `db` and adds the chosen one (or its run-number
// series). A fault's description is the whole message (as AddTraceFaultMessage).
Result<void> AddUnattendedTrace(ProgramState& state, Database& db, int page, int slot, double now);

// The mouse wheel on the run grid: deltas add up, each whole notch of 120 scrolls 3
// rows (away from the user: up), and what is left of a notch is kept for the next turn.
class WheelRows {
public:
    // Rows to scroll by for a wheel turn of `delta` (negative = up).
    int Turn(int delta);

private:
    int total_ = 0;
};

}  // namespace tidemark
