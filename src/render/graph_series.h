#pragma once
// The grid of one graph's chart: which value goes to which row and column. Series are
// column pairs addressed by their X column: 1 main, 3 daily, 5 second or ranked,
// 7 watch levels, 9 the "now" marker, 11 alert marks, 13 on model-run traces.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "data/program_state.h"
#include "render/chart_surface.h"

namespace tidemark {

inline constexpr int kMainX = 1;
inline constexpr int kDailyX = 3;
inline constexpr int kSecondX = 5;
inline constexpr int kLevelX = 7;
inline constexpr int kNowX = 9;
inline constexpr int kAlertX = 11;
inline constexpr int kFirstTraceX = 13;
inline constexpr int kBaseColumns = 13;

struct ValueRange {
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
    bool Any() const { return min <= max; }
    void Add(double v) {
        min = std::min(min, v);
        max = std::max(max, v);
    }
};

// What drawing one graph reads, gathered once.
struct GraphInputs {
    const PageRec& page;
    const GraphDef& def;
    const SlotSeries& main;
    const SlotSeries* second;  // null when the graph has no second series
    int mainCount;
    int secondCount;
    int option;  // the effective option
    bool cumulative;
    bool mainTotals, secondTotals, runTotals;  // identifiers of series that are totals already
    int16_t runnumber;
};

// What the main series pass leaves for the later steps.
struct MainPass {
    int lastPast = 0;  // index of the last point not after now
};

// The X range the level lines span.
struct XRange {
    double min = 0, max = 0;
};

void GrowRows(ChartSurface& chart, int rows);

// Cumulative graphs show the running total reached by `now` as their current value;
// false when no point lies at or before now.
bool CumulativeCurrentValue(const GraphInputs& in, double now, double& value);

// Rows the spikes of MarkerMode::Spikes add to the grid.
int SpikeRows(const GraphInputs& in);

// Columns 1-2 (main series, running totals on a cumulative graph) and column 9 (the
// dates of the "now" marker, and its value on the last point not after now).
MainPass WriteMainSeries(ChartSurface& chart, const GraphInputs& in, double now, ValueRange& values);

// Columns 3-4 for days 1 .. `days`; present values beyond the grid get rows of their own.
void WriteDailySeries(ChartSurface& chart, const SlotSeries& main, int days, ValueRange& values);

// Series 5 from the working column: the second series (running totals on a cumulative
// graph), or the main series' values in rank order against the main series' dates.
void WriteSecondSeries(ChartSurface& chart, const GraphInputs& in, ValueRange& values);

// Model-run traces from column 13 on, with their labels as legends.
void WriteTraces(ChartSurface& chart, const ProgramState& state, const GraphInputs& in, int page, int slot,
                 int penwidth1, ValueRange& values);

// Alert marks in rows 1 .. n of series 11 once the alert report has marks.
void WriteAlerts(ChartSurface& chart, const PageSet& pages, int page, int slot, ValueRange& values);

// True when one of the points from `first` to the last is beyond the level (above a
// high level, below a low one).
bool LevelCrossed(const GraphInputs& in, int first, double level, bool high);

// The watch levels as two horizontal lines across `x` (rows 1-2 high, 4-5 low).
void WriteLevelLines(ChartSurface& chart, const GraphDef& def, XRange x);

}  // namespace tidemark
