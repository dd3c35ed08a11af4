#pragma once
// A small in-memory page for drawing tests: two pages, a 7-day window from 4 to 11 March
// 2024, the clock at 10 March 12:00, and helpers to fill a graph's series.
#include <vector>

#include "core/daynum.h"
#include "data/program_state.h"
#include "render/render_state.h"
#include "render/showgraphs.h"
#include "support/recording_host.h"
#include "support/recording_page_view.h"

namespace tidemark::testsupport {

inline double At(int day, int hour, int minute = 0) { return MakeDayNumber(2024, 3, day, hour, minute); }

struct PageFixture {
    ProgramState state;
    RenderState render;
    RecordingHost host{At(10, 12)};
    RecordingPageView view;

    PageFixture() {
        SizePageSet(state.pages, 2);
        state.pages.Page(1).title = "Rivers";
        state.pages.Page(2).title = "Rain";
        state.store.Size(state.pages.tableroom, 400, 40, 400);
        state.settings.days = 7;
        state.settings.penwidth1 = 30;
        state.settings.penwidth2 = 45;
        state.window = DateWindow{At(4, 0), At(11, 0), 7, 12};
        state.labels.assign(static_cast<size_t>(state.pages.tableroom) + 1, std::vector<SeriesLabels>(12));
        state.lastUpdate = At(10, 11, 30);
        state.currentpage = 1;
    }

    GraphDef& Graph(int slot, int page = 1) { return state.pages.Graph(page, slot); }
    SlotSeries& Series(int slot, int page = 1) { return state.store.At(page, slot); }
    ChartSurface& Chart(int slot) { return render.charts[static_cast<size_t>(slot)]; }

    // A graph on `slot` with hourly values from `first` on (kMissing for gaps); the
    // current value is the last one not after the clock.
    GraphDef& AddGraph(int slot, const std::vector<double>& values, double first = At(4, 0), int page = 1) {
        GraphDef& g = Graph(slot, page);
        g.dsid = static_cast<int16_t>(100 + slot);
        g.stationname = "Station " + std::to_string(slot + 1);
        g.hrcolor = 0x0000FF;
        g.daycolor = 0x00FF00;
        g.backcolor = 0xFFFFFF;
        g.back2color = 0xFFFFFF;
        SetHourly(Series(slot, page), values, first);
        return g;
    }

    void SetHourly(SlotSeries& s, const std::vector<double>& values, double first) {
        for (size_t i = 0; i < values.size(); ++i) {
            double t = first + static_cast<double>(i) / 24;
            s.points[i + 1] = SeriesPoint{t, values[i]};
            if (t <= host.Now() && !IsMissing(values[i])) {
                s.currentValue = values[i];
                s.currentTime = t;
            }
        }
        s.pointCount = static_cast<int16_t>(values.size());
    }

    // A second series for graph `slot` (stored in slot + 12).
    void AddSecond(int slot, const std::vector<double>& values, int16_t dsid = 205, double first = At(4, 0)) {
        Graph(slot).hasdsid2 = -1;
        Graph(slot + kSecondSeriesOffset).dsid = dsid;
        SetHourly(Series(slot + kSecondSeriesOffset), values, first);
    }

    void Draw() { showgraphs(state, render, host, view); }

    std::string Title(int slot) const { return render.titles[static_cast<size_t>(slot)]; }
};

// The Y values of a series' rows as drawn: NaN for null cells.
inline std::vector<double> YColumn(const ChartSurface& chart, int xColumn) {
    auto c = chart.ColumnValues(xColumn + 1);
    return std::vector<double>(c.begin(), c.end());
}

}  // namespace tidemark::testsupport
