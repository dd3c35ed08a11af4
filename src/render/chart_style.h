#pragma once
// The styling the layout pass gives each chart of the page for the window's present
// size: where the chart goes, its title, the fonts and colour of its axes, and its plot
// and title rectangles. The pass computes it; this puts it on the surface.
#include <cstdint>
#include <string>

#include "render/chart_surface.h"

namespace tidemark {

struct ChartStyle {
    // Window twips; taken to the nearest twip.
    double left = 0, top = 0, width = 0, height = 0;
    std::string titleText;
    std::string titleFontName;  // empty: the chart keeps its own
    double titleFontSize = 0;   // 0: the chart keeps its own
    int32_t titleColor = 0;
    std::string axisFontName;  // both axes' labels; empty: kept
    double axisFontSize = 0;   // 0: kept
    int32_t axisColor = 0;     // both axes' lines, tick marks and labels
    ChartRect plot;            // chart twips
    ChartRect titleRect;       // chart twips; the title goes into it
    // The Y axis title is hidden unless shown here.
    bool yAxisTitleVisible = false;
    std::string yAxisTitle;
    double yAxisTitleFontSize = 0;  // 0: kept
};

// Styles the chart and makes it enabled and visible. A chart without room (no width or
// height, or a plot or title rectangle whose max corner is not above and right of its min
// corner) is only placed, with no negative size, and hidden: it draws nothing.
void ApplyChartStyle(ChartSurface& chart, const ChartStyle& style);

}  // namespace tidemark
