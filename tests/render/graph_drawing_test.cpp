// One graph's chart after drawing: grid, axes, styling, level and "now" series.
#include <gtest/gtest.h>

#include <cmath>

#include "render_fixture.h"

namespace tidemark {
namespace {

using testsupport::At;
using testsupport::PageFixture;

TEST(GraphDrawing, GridHoldsTheSeriesWithGapsForMissingValues) {
    PageFixture f;
    f.AddGraph(0, {1, kMissing, 7.3, 2});
    SlotSeries& s = f.Series(0);
    s.dailyPoints[1] = {At(4, 0), 3};
    s.dailyPoints[2] = {At(5, 0), kMissing};
    s.dailyPoints[3] = {At(6, 0), 5};
    f.Draw();

    const ChartSurface& c = f.Chart(0);
    EXPECT_EQ(c.RowCount(), 4);
    EXPECT_EQ(c.ColumnCount(), 13);
    EXPECT_EQ(c.Cell(1, 1), At(4, 0));
    EXPECT_EQ(c.Cell(1, 2), 1);
    EXPECT_EQ(c.Cell(2, 1), At(4, 1));
    EXPECT_TRUE(c.IsNull(2, 2));
    EXPECT_EQ(c.Cell(3, 2), 7.3);
    EXPECT_EQ(c.Cell(1, 4), 3);
    EXPECT_TRUE(c.IsNull(2, 4));
    EXPECT_EQ(c.Cell(3, 3), At(6, 0));
    EXPECT_TRUE(c.IsNull(4, 4));
    // Y from the values 1 .. 7.3, daily values included, rounded to whole steps.
    EXPECT_EQ(f.render.Scale(1, 0), (YScale{1, 8, 1, 7}));
    EXPECT_FALSE(c.YAxis().scale.automatic);
    EXPECT_EQ(c.YAxis().scale.minimum, 1);
    EXPECT_EQ(c.YAxis().scale.maximum, 8);
    EXPECT_EQ(c.YAxis().scale.majorDivisions, 7);
    EXPECT_FALSE(c.XAxis().crossingAutomatic);
    EXPECT_EQ(c.XAxis().crossingPoint, 1);
    EXPECT_EQ(f.Title(0), "Station 1\r\nMissing  Mar 04 3:00 AM") << "days-old data is stale";
    EXPECT_FALSE(c.Visible()) << "page layout shows the charts in use";
}

TEST(GraphDrawing, TheLongerOfTheTwoSeriesSetsTheRowCount) {
    PageFixture f;
    f.AddGraph(0, {1, 2});
    f.AddSecond(0, {1, 2, 3, 4, 5});
    f.Draw();
    EXPECT_EQ(f.Chart(0).RowCount(), 5);
    EXPECT_EQ(f.Chart(0).Cell(5, 6), 5);
    EXPECT_TRUE(f.Chart(0).IsNull(5, 2));
}

TEST(GraphDrawing, AnEmptyGraphGetsSixRowsAndTheRangeZeroToOne) {
    PageFixture f;
    f.AddGraph(0, {});
    f.Graph(0).highwatch = 7;  // no data: the level does not set the range
    f.Draw();
    EXPECT_EQ(f.Chart(0).RowCount(), 6);
    EXPECT_EQ(f.render.Scale(1, 0), (YScale{0, 1, 0.2, 5}));
    EXPECT_TRUE(f.host.messages.empty());

    PageFixture gaps;
    gaps.AddGraph(0, {kMissing, kMissing});
    gaps.Draw();
    EXPECT_EQ(gaps.render.Scale(1, 0), (YScale{0, 1, 0.2, 5})) << "only missing values: nothing to scale to";
}

TEST(GraphDrawing, DateAxisHasADivisionPerDayUpToElevenDays) {
    PageFixture f;
    f.AddGraph(0, {1, 2});
    f.state.settings.days = 11;
    f.state.window.start = At(1, 0);
    f.state.window.end = At(12, 0);
    f.Draw();
    const ChartAxis& x = f.Chart(0).XAxis();
    EXPECT_FALSE(x.scale.automatic);
    EXPECT_EQ(x.scaleType, ScaleType::Linear);
    EXPECT_EQ(x.scale.minimum, At(1, 0));
    EXPECT_EQ(x.scale.maximum, At(12, 0));
    EXPECT_EQ(x.scale.majorDivisions, 11);
    EXPECT_EQ(x.scale.minorDivisions, 0);
    EXPECT_EQ(x.labelFormat, "mmmdd");

    f.state.settings.days = 12;
    f.state.window.end = At(13, 0);
    f.Draw();
    // 1 March 2024 is day 45352: steps of 2 days from there to day 45364.
    EXPECT_EQ(x.scale.minimum, 45352);
    EXPECT_EQ(x.scale.maximum, 45364);
    EXPECT_EQ(x.scale.majorDivisions, 6);
    EXPECT_EQ(x.scale.minorDivisions, 2);
}

TEST(GraphDrawing, ShortSpansBelowZeroLeaveTheValueScaleAutomatic) {
    PageFixture f;
    f.AddGraph(0, {-0.5, 3});
    f.AddGraph(1, {0, 3});
    f.AddGraph(2, {-20, 3});
    f.Draw();
    EXPECT_TRUE(f.Chart(0).YAxis().scale.automatic);
    EXPECT_EQ(f.render.Scale(1, 0), (YScale{-0.5, 3, 0.5, 7})) << "the rounded scale is stored all the same";
    EXPECT_FALSE(f.Chart(1).YAxis().scale.automatic);
    EXPECT_EQ(f.Chart(1).YAxis().scale.minimum, 0);
    EXPECT_EQ(f.Chart(1).YAxis().scale.maximum, 3);
    EXPECT_FALSE(f.Chart(2).YAxis().scale.automatic) << "a span of 10 or more is fixed";
}

TEST(GraphDrawing, WindDirectionsCoverNorthToNorth) {
    PageFixture f;
    f.AddGraph(0, {1, 2}, At(10, 10));
    f.state.labels[1][0].unit = "Direction";
    f.Draw();
    EXPECT_EQ(f.render.Scale(1, 0), (YScale{0, 4, 0.5, 8}));
    EXPECT_EQ(f.Title(0), "Station 1\r\nSouth Direction Mar 10 11:00 AM");
}

TEST(GraphDrawing, StaleValuesShowMissingInTitleAndCurrentValue) {
    PageFixture f;
    f.AddGraph(0, {4.5}, At(10, 10, 5));  // two hour boundaries before 12:00
    f.AddGraph(1, {4.5}, At(10, 9, 59));  // three
    f.Draw();
    EXPECT_EQ(f.render.currentValues[0], 4.5);
    EXPECT_EQ(f.render.currentValues[1], kMissing);
    EXPECT_TRUE(f.Title(1).find("\r\nMissing ") != std::string::npos) << f.Title(1);
    f.state.historicalStart = true;
    f.Draw();
    EXPECT_EQ(f.render.currentValues[1], 4.5);
}

TEST(GraphDrawing, MainAndDailySeriesTakeTheGraphColoursAndPens) {
    PageFixture f;
    GraphDef& g = f.AddGraph(0, {1, 2});
    g.hrcolor = 0x10000FF;  // bits above the three colour bytes are not a colour
    g.backcolor = 0x202020;
    g.back2color = 0xEEEEEE;
    g.hrmarker = 7;
    g.daymarker = 7;  // modes without a meaning keep the base styling
    f.Draw();
    const ChartSurface& c = f.Chart(0);
    EXPECT_EQ(c.Backdrop().color, 0x202020);
    EXPECT_EQ(c.PlotWall().color, 0xEEEEEE);
    EXPECT_EQ(c.Series(1).pen.color, 0x0000FF);
    EXPECT_EQ(c.Series(1).marker.size, 2 * 30 + 65);
    EXPECT_TRUE(c.Series(1).showLine);
    EXPECT_FALSE(c.Series(1).marker.visible);
    const ChartSeries& daily = c.Series(3);
    EXPECT_TRUE(daily.marker.visible);
    EXPECT_EQ(daily.marker.size, 2 * 45 + 65);
    EXPECT_EQ(daily.marker.fillColor, 0x00FF00);
    EXPECT_EQ(daily.pen.width, 45);
}

TEST(GraphDrawing, HourMarkerModesStyleTheMainAndSecondSeries) {
    PageFixture f;
    f.AddGraph(0, {1, 2}).hrmarker = 1;
    f.AddGraph(1, {1, 2}).hrmarker = 2;
    f.AddGraph(2, {1, 2}).hrmarker = 1;
    f.Graph(2).rankcum = -1;
    f.AddGraph(3, {1, 2}).hrmarker = 0;
    f.AddSecond(3, {1, 2});
    f.Draw();

    const ChartSeries& m1 = f.Chart(0).Series(1);
    EXPECT_TRUE(m1.showLine);
    EXPECT_TRUE(m1.marker.visible);
    EXPECT_EQ(m1.marker.size, 60);
    const ChartSeries& s1 = f.Chart(0).Series(5);
    EXPECT_TRUE(s1.marker.visible);
    EXPECT_EQ(s1.marker.size, 90);
    EXPECT_EQ(s1.pen.width, 30);

    EXPECT_FALSE(f.Chart(1).Series(1).showLine);
    EXPECT_TRUE(f.Chart(1).Series(1).marker.visible);
    EXPECT_FALSE(f.Chart(1).Series(5).marker.visible) << "mode 2 leaves the second series alone";
    EXPECT_EQ(f.Chart(1).Series(5).pen.width, 45);

    const ChartSeries& rank = f.Chart(2).Series(5);
    EXPECT_FALSE(rank.showLine) << "ranks stay markers only";

    EXPECT_TRUE(f.Chart(3).Series(1).showLine);
    EXPECT_FALSE(f.Chart(3).Series(1).marker.visible);
    EXPECT_TRUE(f.Chart(3).Series(5).showLine);
    EXPECT_FALSE(f.Chart(3).Series(5).marker.visible);
}

TEST(GraphDrawing, DayMarkerModes) {
    PageFixture f;
    for (int g = 0; g < 4; ++g) f.AddGraph(g, {1, 2}).daymarker = static_cast<int16_t>(g);
    f.Draw();
    EXPECT_TRUE(f.Chart(0).Series(3).showLine);
    EXPECT_FALSE(f.Chart(0).Series(3).marker.visible);
    EXPECT_TRUE(f.Chart(1).Series(3).showLine);
    EXPECT_EQ(f.Chart(1).Series(3).marker.size, 60);
    EXPECT_FALSE(f.Chart(2).Series(3).showLine);
    EXPECT_TRUE(f.Chart(2).Series(3).marker.visible);
    EXPECT_FALSE(f.Chart(3).Series(3).showLine);
    EXPECT_FALSE(f.Chart(3).Series(3).marker.visible);
}

TEST(GraphDrawing, WatchLevelsDrawTwoSeparateLines) {
    PageFixture f;
    GraphDef& both = f.AddGraph(0, {2, 3});
    both.highwatch = 5;
    both.lowwatch = 1;
    f.AddGraph(1, {2, 3});
    f.Draw();
    const ChartSurface& c = f.Chart(0);
    EXPECT_EQ(c.RowCount(), 5) << "the low line needs rows 4 and 5";
    EXPECT_EQ(c.Cell(1, 7), At(4, 0));
    EXPECT_EQ(c.Cell(1, 8), 5);
    EXPECT_EQ(c.Cell(2, 7), At(11, 0));
    EXPECT_EQ(c.Cell(2, 8), 5);
    EXPECT_TRUE(c.IsNull(3, 8));
    EXPECT_EQ(c.Cell(4, 8), 1);
    EXPECT_EQ(c.Cell(5, 8), 1);
    EXPECT_EQ(f.render.Scale(1, 0).min, 1);
    EXPECT_EQ(f.render.Scale(1, 0).max, 5);
    for (int r = 1; r <= f.Chart(1).RowCount(); ++r) EXPECT_TRUE(f.Chart(1).IsNull(r, 8)) << "level 0 draws nothing";
}

TEST(GraphDrawing, MarkersContrastWithThePlotBackground) {
    PageFixture f;
    f.AddGraph(0, {1}).back2color = RGB(200, 240, 240);
    f.AddGraph(1, {1}).back2color = RGB(230, 230, 255);
    f.AddGraph(2, {1}).back2color = RGB(221, 231, 0);
    f.Draw();
    for (int g : {0, 1}) {
        EXPECT_EQ(f.Chart(g).Series(9).marker.penColor, RGB(255, 255, 0)) << g;
        EXPECT_EQ(f.Chart(g).Series(11).pen.color, RGB(255, 255, 0)) << g;
    }
    EXPECT_EQ(f.Chart(2).Series(9).marker.penColor, 0);
    EXPECT_EQ(f.Chart(2).Series(11).marker.penColor, 0);
}

TEST(GraphDrawing, NowMarkerSitsOnTheLastPointBeforeTheFuture) {
    PageFixture f;
    f.AddGraph(0, {1, 2, 3, 4, 5, 6}, At(10, 9));  // 9:00 .. 14:00, now 12:00
    f.AddGraph(1, {1, 2, 3});
    f.Draw();
    const ChartSurface& c = f.Chart(0);
    for (int r = 1; r <= 6; ++r) {
        EXPECT_EQ(c.Cell(r, 9), At(10, 8 + r));
        if (r == 4)
            EXPECT_EQ(c.Cell(r, 10), 4);
        else
            EXPECT_TRUE(c.IsNull(r, 10)) << r;
    }
    for (int r = 1; r <= 3; ++r) EXPECT_TRUE(f.Chart(1).IsNull(r, 10)) << "no future point, no marker";
}

TEST(GraphDrawing, LogarithmicValueAxis) {
    PageFixture f;
    f.AddGraph(0, {1, 100}).logyscale = -1;
    f.AddGraph(1, {1, 100});
    f.Draw();
    EXPECT_EQ(f.Chart(0).YAxis().scaleType, ScaleType::Logarithmic);
    EXPECT_TRUE(f.Chart(0).YAxis().scale.automatic);
    EXPECT_TRUE(f.Chart(0).XAxis().crossingAutomatic);
    EXPECT_EQ(f.Chart(1).YAxis().scaleType, ScaleType::Linear);
    EXPECT_FALSE(f.Chart(1).XAxis().crossingAutomatic);
}

TEST(GraphDrawing, RedrawingAChartForAnotherGraphLeavesNothingBehind) {
    PageFixture f;
    GraphDef& g = f.AddGraph(0, {1, 2});
    g.hrmarker = 1;
    g.rankcum = -1;
    g.tracecount = 1;
    f.state.pages.Page(1).runnumber[0] = 3;
    f.state.traces.Reset(1, 0, 1, 10).points[1] = {At(4, 0), 5};
    f.Draw();
    ASSERT_EQ(f.Chart(0).Series(13).pen.color, RGB(255, 185, 55));

    f.state.currentpage = 2;
    f.AddGraph(0, {1, 2}, At(4, 0), 2);
    f.Draw();
    const ChartSurface& c = f.Chart(0);
    EXPECT_EQ(c.ColumnCount(), 13);
    EXPECT_NE(c.Series(13).pen.color, RGB(255, 185, 55));
    EXPECT_EQ(c.Series(13).legendText, "");
    EXPECT_EQ(c.Series(5).legendText, "");
    EXPECT_TRUE(c.Series(5).showLine);
    EXPECT_FALSE(c.Series(1).marker.visible);
    EXPECT_TRUE(c.Series(1).autoMarkers);
}

}  // namespace
}  // namespace tidemark
