#pragma once
// Reading a drawn graph with the mouse: the tooltip of the point under the pointer, the
// values list of every point of the graph's main series, and where the list and the
// graph menu go. Positions and sizes are twips; window twips have their origin at the
// client area's top-left corner, chart twips (clicks) at the chart's top-left corner.
#include <string>
#include <vector>

#include "data/series_store.h"
#include "pages/layout.h"
#include "render/chart_surface.h"
#include "setup/setup_model.h"

namespace tidemark {

// Clicks at or below this depth in a chart page or open the graph menu; above it lies
// the title strip, where a click opens or closes the values list.
inline constexpr double kTitleStripTwips = 700;

// "mmm-dd hh:mm, value" (durations: "N minutes, value") of the data point under
// (x, y) chart twips; empty anywhere else and on a logarithmic value axis, where the
// surface's hit test does not follow the drawn points.
std::string PointTooltip(const ChartSurface& chart, const GraphDef& def, double xTwips, double yTwips);

struct PointLines {
    std::vector<std::string> lines;
    size_t longest = 0;  // characters of the longest line
};

// One line per point of the main series, up to the point at its current time; `second`
// is the graph's second series, null when it has none.
PointLines ValuesListFor(const GraphDef& def, const SlotSeries& main, const SlotSeries* second);

// Where the values list of `chart` goes (window twips), for a page of `graphCount` graphs.
WindowRect ValuesListRect(size_t longestLine, const ChartSurface& chart, int graphCount);

// The first slot of the lower part of a page of `graphCount` graphs, whose menu opens
// upwards so that it stays on the page.
bool IsLowerSlot(int slot, int graphCount);

// Where the graph menu opens over `chart` for a click at (x, y) chart twips (window twips).
struct WindowPoint {
    double x = 0, y = 0;
};
WindowPoint GraphMenuPosition(int slot, int graphCount, const ChartSurface& chart, double x, double y,
                              double menuHeight);

// The lines, each followed by CR LF, as the clipboard takes them.
std::string ClipboardText(const std::vector<std::string>& selectedLines);

}  // namespace tidemark
