#include "render/chart_style.h"

#include <gtest/gtest.h>

namespace tidemark {
namespace {

ChartStyle PageStyle() {
    ChartStyle style;
    style.left = 12000.4;
    style.top = -400.6;
    style.width = 6000;
    style.height = 4500;
    style.titleText = "Creek Stage";
    style.titleFontName = "Liberation Sans";
    style.titleFontSize = 10;
    style.titleColor = 0x0000FF;
    style.axisFontName = "DejaVu Sans";
    style.axisFontSize = 8;
    style.axisColor = 0xFFFFFF;
    style.plot = {50, 470, 5800, 4000};
    style.titleRect = {550, 3800, 5900, 4400};
    return style;
}

TEST(ChartStyle, PlacesTheChartAndStylesItsTitleAndAxes) {
    ChartSurface chart;
    chart.SetVisible(false);
    chart.SetEnabled(false);
    ApplyChartStyle(chart, PageStyle());

    EXPECT_EQ(chart.Left(), 12000);
    EXPECT_EQ(chart.Top(), -401);
    EXPECT_EQ(chart.Width(), 6000);
    EXPECT_EQ(chart.Height(), 4500);
    EXPECT_TRUE(chart.Visible());
    EXPECT_TRUE(chart.Enabled());

    EXPECT_EQ(chart.Title().text, "Creek Stage");
    EXPECT_EQ(chart.Title().font.name, "Liberation Sans");
    EXPECT_EQ(chart.Title().font.size, 10);
    // The title keeps its own colour: the axes' colour is for lines, ticks and labels.
    EXPECT_EQ(chart.Title().font.color, 0x0000FF);
    EXPECT_TRUE(chart.Title().customLocation);
    EXPECT_EQ(chart.Title().rect, (ChartRect{550, 3800, 5900, 4400}));
    EXPECT_EQ(chart.PlotRect(), (ChartRect{50, 470, 5800, 4000}));
    for (const ChartAxis* axis : {&chart.XAxis(), &chart.YAxis()}) {
        EXPECT_EQ(axis->labelFont.name, "DejaVu Sans");
        EXPECT_EQ(axis->labelFont.size, 8);
        EXPECT_EQ(axis->labelFont.color, 0xFFFFFF);
        EXPECT_EQ(axis->pen.color, 0xFFFFFF);
    }
}

TEST(ChartStyle, UnsetFontsAreKeptAndAnEarlierYAxisTitleIsHidden) {
    ChartSurface chart;
    ChartStyle shown = PageStyle();
    shown.yAxisTitleVisible = true;
    shown.yAxisTitle = "ft";
    shown.yAxisTitleFontSize = 9;
    ApplyChartStyle(chart, shown);
    EXPECT_TRUE(chart.YAxis().title.visible);
    EXPECT_EQ(chart.YAxis().title.text, "ft");
    EXPECT_EQ(chart.YAxis().title.font.size, 9);

    // The next page has no Y axis titles and leaves fonts to the chart.
    ChartStyle next = PageStyle();
    next.titleFontName.clear();
    next.titleFontSize = 0;
    next.axisFontName.clear();
    next.axisFontSize = 0;
    next.axisColor = 0;
    ApplyChartStyle(chart, next);
    EXPECT_FALSE(chart.YAxis().title.visible);
    EXPECT_EQ(chart.Title().font.name, "Liberation Sans");
    EXPECT_EQ(chart.Title().font.size, 10);
    EXPECT_EQ(chart.YAxis().labelFont.name, "DejaVu Sans");
    EXPECT_EQ(chart.YAxis().labelFont.size, 8);
    EXPECT_EQ(chart.YAxis().labelFont.color, 0);
}

}  // namespace
}  // namespace tidemark
