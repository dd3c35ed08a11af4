#include "render/chart_style.h"

#include <algorithm>
#include <cmath>

namespace tidemark {
namespace {

int NearestTwip(double twips) { return static_cast<int>(std::lround(twips)); }

void ApplyFont(ChartFont& font, const std::string& name, double size) {
    if (size > 0) font.size = size;
    if (!name.empty()) font.name = name;
}

// A window dragged or saved very small leaves a slot too little room for its plot or its
// title; such a chart is placed but not drawn rather than stopping the page.
bool HasRoom(const ChartStyle& style) {
    return style.width > 0 && style.height > 0 && style.plot.maxX > style.plot.minX &&
           style.plot.maxY > style.plot.minY && style.titleRect.maxX >= style.titleRect.minX &&
           style.titleRect.maxY >= style.titleRect.minY;
}

}  // namespace

void ApplyChartStyle(ChartSurface& chart, const ChartStyle& style) {
    chart.SetBounds(NearestTwip(style.left), NearestTwip(style.top), std::max(0, NearestTwip(style.width)),
                    std::max(0, NearestTwip(style.height)));
    if (!HasRoom(style)) {
        chart.SetVisible(false);
        return;
    }
    chart.SetTitleText(style.titleText);
    ApplyFont(chart.Title().font, style.titleFontName, style.titleFontSize);
    for (ChartAxis* axis : {&chart.XAxis(), &chart.YAxis()})
        ApplyFont(axis->labelFont, style.axisFontName, style.axisFontSize);
    chart.SetAxisColor(style.axisColor);
    chart.Title().font.color = style.titleColor;
    chart.YAxis().title.visible = false;
    chart.SetPlotRect(style.plot);
    if (style.yAxisTitleVisible) {
        ChartAxisTitle& title = chart.YAxis().title;
        title.text = style.yAxisTitle;
        if (style.yAxisTitleFontSize > 0) title.font.size = style.yAxisTitleFontSize;
        title.visible = true;
    }
    chart.SetTitleRect(style.titleRect);
    chart.SetEnabled(true);
    chart.SetVisible(true);
}

}  // namespace tidemark
