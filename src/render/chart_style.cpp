#include "render/chart_style.h"

#include <cmath>

namespace tidemark {
namespace {

int NearestTwip(double twips) { return static_cast<int>(std::lround(twips)); }

void ApplyFont(ChartFont& font, const std::string& name, double size) {
    if (size > 0) font.size = size;
    if (!name.empty()) font.name = name;
}

}  // namespace

void ApplyChartStyle(ChartSurface& chart, const ChartStyle& style) {
    chart.SetBounds(NearestTwip(style.left), NearestTwip(style.top), NearestTwip(style.width),
                    NearestTwip(style.height));
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
