#include "pages/graph_readout.h"

#include <algorithm>
#include <cmath>

#include "core/vbtext.h"

namespace tidemark {
namespace {

std::string PointTime(const GraphDef& def, double x) {
    if (def.freqtype == FreqType::DepthDuration) return CStr(x) + " minutes";
    return FormatDate(x, "mmm-dd hh:mm");
}

const SeriesPoint* PointAt(const SlotSeries* series, int i) {
    if (!series || i < 1 || i > std::min<int>(series->pointCount, series->PointRoom())) return nullptr;
    return &series->points[static_cast<size_t>(i)];
}

bool Present(const SeriesPoint* p) { return p && !IsMissing(p->value); }

}  // namespace

std::string PointTooltip(const ChartSurface& chart, const GraphDef& def, double xTwips, double yTwips) {
    if (def.logyscale != 0) return {};
    ChartHit hit = chart.HitTest(std::round(xTwips), std::round(yTwips));
    if (hit.part != ChartPart::DataPoint) return {};
    std::optional<double> x = chart.Cell(hit.row, hit.series);
    std::optional<double> y = chart.Cell(hit.row, hit.series + 1);
    if (!x || !y) return {};
    return PointTime(def, *x) + ", " + CStr(*y);
}

PointLines ValuesListFor(const GraphDef& def, const SlotSeries& main, const SlotSeries* second) {
    PointLines list;
    const bool durations = def.freqtype == FreqType::DepthDuration;
    int n = std::min<int>(main.pointCount, main.PointRoom());
    for (int i = 1; i <= n; ++i) {
        const SeriesPoint& p = main.points[static_cast<size_t>(i)];
        const SeriesPoint* other = PointAt(second, i);
        std::string line;
        if (durations) {
            line = Format(p.time, "0") + "  ";
            if (Present(other)) line += CStr(other->value) + "\" ";
        } else {
            line = FormatDate(p.time, "dd hh:mm ");
        }
        if (!IsMissing(p.value)) {
            line += CStr(p.value);
            if (durations)
                line += " yrs";
            else if (Present(other))
                line += ", " + CStr(other->value);
        }
        list.longest = std::max(list.longest, line.size());
        list.lines.push_back(std::move(line));
        if (p.time == main.currentTime) break;
    }
    return list;
}

WindowRect ValuesListRect(size_t longestLine, const ChartSurface& chart, int graphCount) {
    WindowRect r;
    r.width = 80.0 * static_cast<double>(longestLine) + 380;
    if (graphCount != 0) {
        r.height = chart.PlotRect().maxY - 100;
        r.top = chart.Top() + 100;
    } else {
        r.height = chart.Height() - 860 - 298;
        r.top = chart.Top() + 460;
    }
    r.height = std::max(0.0, r.height);
    r.left = chart.Left() < 1 ? 0 : chart.Left();
    return r;
}

bool IsLowerSlot(int slot, int graphCount) {
    if (graphCount <= 1) return slot != 0;
    int firstLower = graphCount <= 3 ? 2 : graphCount <= 5 ? 3 : graphCount <= 8 ? 6 : 8;
    return slot >= firstLower;
}

WindowPoint GraphMenuPosition(int slot, int graphCount, const ChartSurface& chart, double x, double y,
                              double menuHeight) {
    if (IsLowerSlot(slot, graphCount)) y = std::min(chart.Height() - menuHeight - 600, 0.0);
    return {x + chart.Left(), y + chart.Top()};
}

std::string ClipboardText(const std::vector<std::string>& selectedLines) {
    std::string text;
    for (const std::string& line : selectedLines) text += line + "\r\n";
    return text;
}

}  // namespace tidemark
