// Which value goes to which row and column of a graph's chart.
#include "render/graph_series.h"

#include <algorithm>

#include "analysis/frequency.h"
#include "core/color.h"
#include "render/graph_kinds.h"

namespace tidemark {
namespace {

void NullOrValue(ChartSurface& chart, int row, int column, double value) {
    chart.SetCell(row, column, value, IsMissing(value));
}

void ShowLineOnly(ChartSeries& s) {
    s.showLine = true;
    s.marker.visible = false;
}

}  // namespace

void GrowRows(ChartSurface& chart, int rows) {
    if (chart.RowCount() < rows) chart.SetRowCount(rows);
}

bool CumulativeCurrentValue(const GraphInputs& in, double now, double& value) {
    RunningTotal total;
    bool any = false;
    for (int r = 1; r <= in.mainCount; ++r) {
        const SeriesPoint& p = in.main.points[static_cast<size_t>(r)];
        if (!IsMissing(p.value)) total.Add(p.value, !in.secondTotals);
        if (p.time <= now) {
            value = RoundedTotal(total.Value());
            any = true;
        }
    }
    return any;
}

int SpikeRows(const GraphInputs& in) {
    if (in.def.hrmarker != MarkerMode::Spikes) return 0;
    int extra = 0;
    for (int r = 1; r <= in.mainCount; ++r) {
        double v = in.main.points[static_cast<size_t>(r)].value;
        if (!IsMissing(v) && v != 0) extra += 2;
    }
    return extra;
}

MainPass WriteMainSeries(ChartSurface& chart, const GraphInputs& in, double now, ValueRange& values) {
    MainPass pass;
    RunningTotal total;
    bool nowPlaced = false;
    int row = 0, previousRow = 0;
    bool previousPresent = false;
    double previousValue = 0;
    for (int r = 1; r <= in.mainCount; ++r) {
        const SeriesPoint& p = in.main.points[static_cast<size_t>(r)];
        bool missing = IsMissing(p.value);
        double y = p.value;
        if (in.cumulative && !missing) y = total.Add(p.value, !in.secondTotals);

        if (!nowPlaced && p.time > now) {
            nowPlaced = true;
            if (previousRow > 0 && previousPresent) chart.SetCell(previousRow, kNowX + 1, previousValue);
        }
        if (p.time <= now) pass.lastPast = r;

        if (in.def.hrmarker == MarkerMode::Spikes && !missing && p.value != 0) {
            for (int k = 1; k <= 3; ++k) {
                chart.SetCell(row + k, kMainX, p.time);
                chart.SetCell(row + k, kMainX + 1, k == 2 ? y : 0);
                chart.SetCell(row + k, kNowX, p.time);
            }
            values.Add(0);
            previousRow = row + 2;
            row += 3;
        } else {
            ++row;
            chart.SetCell(row, kMainX, p.time);
            NullOrValue(chart, row, kMainX + 1, y);
            chart.SetCell(row, kNowX, p.time);
            previousRow = row;
        }
        if (!missing) values.Add(y);
        if (in.cumulative) {
            previousPresent = total.Started();
            previousValue = total.Value();
        } else {
            previousPresent = !missing;
            previousValue = y;
        }
    }
    return pass;
}

void WriteDailySeries(ChartSurface& chart, const SlotSeries& main, int days, ValueRange& values) {
    int last = std::min(days, main.DailyRoom());
    // Present daily values beyond the grid get rows of their own.
    for (int r = last; r >= 1; --r)
        if (!IsMissing(main.dailyPoints[static_cast<size_t>(r)].value)) {
            GrowRows(chart, r);
            break;
        }
    last = std::min(last, chart.RowCount());
    for (int r = 1; r <= last; ++r) {
        const SeriesPoint& p = main.dailyPoints[static_cast<size_t>(r)];
        chart.SetCell(r, kDailyX, p.time);
        NullOrValue(chart, r, kDailyX + 1, p.value);
        if (!IsMissing(p.value)) values.Add(p.value);
    }
}

void WriteSecondSeries(ChartSurface& chart, const GraphInputs& in, ValueRange& values) {
    int rows = chart.RowCount();
    std::vector<double> work(static_cast<size_t>(rows) + 1, kMissing);
    for (int r = 1; r <= std::min(rows, in.secondCount); ++r)
        work[static_cast<size_t>(r)] = in.second->points[static_cast<size_t>(r)].value;
    if (in.option == kTwoSeriesOption && in.cumulative) AccumulateColumn(work, 1, rows, !in.mainTotals);
    bool ranked = in.option == RankCum::Ranked;
    if (ranked) {
        std::fill(work.begin(), work.end(), kMissing);
        int last = 0;
        for (int r = 1; r <= std::min(rows, in.mainCount); ++r) {
            double v = in.main.points[static_cast<size_t>(r)].value;
            if (!IsMissing(v)) {
                work[static_cast<size_t>(r)] = v;
                last = r;
            }
        }
        if (last > 0) RankSort(work, 1, last);
    }
    for (int r = 1; r <= rows; ++r) {
        double v = work[static_cast<size_t>(r)];
        if (IsMissing(v)) {
            chart.SetCell(r, kSecondX + 1, 0, true);
            continue;
        }
        const SlotSeries& dates = ranked ? in.main : *in.second;
        chart.SetCell(r, kSecondX, dates.points[static_cast<size_t>(r)].time);
        chart.SetCell(r, kSecondX + 1, v);
        values.Add(v);
    }
}

void WriteTraces(ChartSurface& chart, const ProgramState& state, const GraphInputs& in, int page, int slot,
                 int penwidth1, ValueRange& values) {
    int count = std::max<int>(in.def.tracecount, 0);
    for (int k = 1; k <= count; ++k) {
        int x = kFirstTraceX + 2 * (k - 1);
        chart.SetColumnCount(2 * k + 12);
        const ModelTrace* trace = state.traces.Find(page, slot, k);
        ChartSeries& s = chart.Series(x);
        s.legendText = trace ? trace->label : std::string();
        s.pen.width = penwidth1 + 15;
        ShowLineOnly(s);
        if (!trace) continue;
        int room = trace->PointRoom();
        for (int i = room; i >= 1; --i)
            if (!IsMissing(trace->points[static_cast<size_t>(i)].value)) {
                GrowRows(chart, i);
                break;
            }
        RunningTotal total;
        for (int i = 1; i <= std::min(room, chart.RowCount()); ++i) {
            const SeriesPoint& p = trace->points[static_cast<size_t>(i)];
            if (IsMissing(p.value)) {
                chart.SetCell(i, x, 0, true);
                chart.SetCell(i, x + 1, 0, true);
                continue;
            }
            double y = in.cumulative ? total.Add(p.value, !in.runTotals) : p.value;
            chart.SetCell(i, x, p.time);
            chart.SetCell(i, x + 1, y);
            values.Add(y);
        }
    }
}

void WriteAlerts(ChartSurface& chart, const PageSet& pages, int page, int slot, ValueRange& values) {
    if (!pages.alertspresent || !pages.HasAlertTable() || page < 0 || static_cast<size_t>(page) >= pages.alerts.size())
        return;
    const AlertSlot& alerts = pages.alerts[static_cast<size_t>(page)][static_cast<size_t>(slot)];
    int n = std::min<int>(alerts.markcount, static_cast<int>(alerts.marks.size()));
    if (n <= 0) return;
    GrowRows(chart, n);
    for (int i = 1; i <= n; ++i) {
        const AlertMark& m = alerts.marks[static_cast<size_t>(i) - 1];
        chart.SetCell(i, kAlertX, m.issued);
        NullOrValue(chart, i, kAlertX + 1, m.value);
        if (!IsMissing(m.value)) values.Add(m.value);
    }
}

bool LevelCrossed(const GraphInputs& in, int first, double level, bool high) {
    for (int i = std::max(first, 1); i <= in.mainCount; ++i) {
        double v = in.main.points[static_cast<size_t>(i)].value;
        if (IsMissing(v)) continue;
        if (high ? v > level : v < level) return true;
    }
    return false;
}

void WriteLevelLines(ChartSurface& chart, const GraphDef& def, XRange x) {
    if (def.highwatch != 0) {
        GrowRows(chart, 2);
        chart.SetCell(1, kLevelX, x.min);
        chart.SetCell(1, kLevelX + 1, def.highwatch);
        chart.SetCell(2, kLevelX, x.max);
        chart.SetCell(2, kLevelX + 1, def.highwatch);
    }
    if (def.lowwatch != 0) {
        // Row 3 stays empty so that the two lines are not joined.
        GrowRows(chart, 5);
        chart.SetCell(4, kLevelX, x.min);
        chart.SetCell(4, kLevelX + 1, def.lowwatch);
        chart.SetCell(5, kLevelX, x.max);
        chart.SetCell(5, kLevelX + 1, def.lowwatch);
    }
}

}  // namespace tidemark
