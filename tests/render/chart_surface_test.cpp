#include "render/chart_surface.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/chart_layout.h"

namespace tidemark {
namespace {

TEST(ChartSurfaceGrid, ResizingKeepsCellsInsideAndAddsNullCells) {
    ChartSurface s;
    EXPECT_EQ(s.RowCount(), 0);
    EXPECT_EQ(s.ColumnCount(), 0);
    s.SetRowCount(3);
    s.SetColumnCount(2);
    EXPECT_TRUE(s.IsNull(3, 2));
    s.SetCell(2, 2, 7.5);
    s.SetRowCount(5);
    EXPECT_EQ(s.Cell(2, 2), 7.5);
    EXPECT_TRUE(s.IsNull(5, 2));
    s.SetColumnCount(4);
    EXPECT_EQ(s.Cell(2, 2), 7.5);
    EXPECT_TRUE(s.IsNull(5, 4));
    s.SetRowCount(1);
    EXPECT_THROW(s.Cell(2, 2), ChartError);
    s.SetRowCount(2);
    EXPECT_TRUE(s.IsNull(2, 2)) << "a row dropped and grown again comes back empty";
}

TEST(ChartSurfaceGrid, SettingZeroColumnsOrRowsEmptiesTheGrid) {
    ChartSurface s;
    s.SetRowCount(4);
    s.SetColumnCount(13);
    s.SetCell(1, 1, 45000);
    s.SetCell(4, 13, 3);

    // The order graph drawing uses: no columns, the new row count, then 13 columns.
    s.SetColumnCount(0);
    EXPECT_EQ(s.ColumnCount(), 0);
    s.SetRowCount(6);
    s.SetColumnCount(13);
    EXPECT_EQ(s.RowCount(), 6);
    for (int r = 1; r <= 6; ++r)
        for (int c = 1; c <= 13; ++c) EXPECT_TRUE(s.IsNull(r, c)) << r << "," << c;

    s.SetCell(2, 2, 1);
    s.SetRowCount(0);
    EXPECT_EQ(s.RowCount(), 0);
    EXPECT_EQ(s.ColumnCount(), 13);
    s.SetRowCount(2);
    EXPECT_TRUE(s.IsNull(2, 2));
}

TEST(ChartSurfaceGrid, NullRules) {
    ChartSurface s;
    s.SetRowCount(2);
    s.SetColumnCount(2);
    s.SetCell(1, 1, 5, true);
    EXPECT_TRUE(s.IsNull(1, 1));
    EXPECT_EQ(s.Cell(1, 1), std::nullopt);
    s.SetCell(1, 1, 5);
    EXPECT_FALSE(s.IsNull(1, 1));
    // Values that cannot be drawn are gaps, never points.
    s.SetCell(1, 2, std::nan(""));
    s.SetCell(2, 2, INFINITY);
    EXPECT_TRUE(s.IsNull(1, 2));
    EXPECT_TRUE(s.IsNull(2, 2));
    std::span<const double> column = s.ColumnValues(2);
    ASSERT_EQ(column.size(), 2u);
    EXPECT_TRUE(std::isnan(column[0]));
    EXPECT_TRUE(s.ColumnValues(3).empty());
}

TEST(ChartSurfaceGrid, CellsOutsideTheGridAreRefused) {
    ChartSurface s;
    EXPECT_THROW(s.SetCell(1, 1, 0), ChartError);
    s.SetRowCount(2);
    s.SetColumnCount(2);
    EXPECT_THROW(s.SetCell(0, 1, 0), ChartError);
    EXPECT_THROW(s.SetCell(3, 1, 0), ChartError);
    EXPECT_THROW(s.SetCell(1, 3, 0), ChartError);
    EXPECT_THROW(s.SetRowCount(-1), ChartError);
    EXPECT_THROW(s.SetColumnCount(100000), ChartError);
    try {
        s.SetCell(9, 1, 0);
    } catch (const ChartError& e) {
        EXPECT_NE(std::string(e.what()).find("(9, 1)"), std::string::npos) << e.what();
    }
}

TEST(ChartSurfaceGrid, CurrentCellTakesDecimalText) {
    ChartSurface s;
    s.SetRowCount(3);
    s.SetColumnCount(2);
    s.SetCurrentRow(3);
    s.SetCurrentColumn(2);
    s.SetCurrentData("12.25");
    EXPECT_EQ(s.Cell(3, 2), 12.25);
    s.SetCurrentData(" -0.5 ");
    EXPECT_EQ(s.Cell(3, 2), -0.5);
    EXPECT_THROW(s.SetCurrentData("12ft"), ChartError);
    EXPECT_EQ(s.Cell(3, 2), -0.5) << "a refused text leaves the cell as it was";
    s.SetCurrentData("");
    EXPECT_TRUE(s.IsNull(3, 2));
    EXPECT_THROW(s.SetCurrentRow(4), ChartError);
    EXPECT_THROW(s.SetCurrentColumn(0), ChartError);
    EXPECT_EQ(s.CurrentRow(), 3);
}

TEST(ChartSurfaceSeries, AddressedByOddXColumnsAndKeptAcrossResizes) {
    ChartSurface s;
    s.Series(1).pen.color = 0x0000FF;
    s.Series(3).legendText = "Level";
    EXPECT_THROW(s.Series(2), ChartError);
    EXPECT_THROW(s.Series(0), ChartError);
    EXPECT_THROW(s.Series(-1), ChartError);
    s.SetRowCount(4);
    s.SetColumnCount(13);
    EXPECT_EQ(s.SeriesCount(), 6);
    s.SetColumnCount(0);
    EXPECT_EQ(s.Series(1).pen.color, 0x0000FF);
    EXPECT_EQ(s.Series(3).legendText, "Level");
    EXPECT_EQ(s.Series(5).legendText, "");

    const ChartSurface& constSurface = s;
    EXPECT_EQ(constSurface.Series(1).pen.color, 0x0000FF);
    EXPECT_NE(constSurface.Series(7).pen.color, constSurface.Series(9).pen.color)
        << "unstyled series are told apart by colour";
}

TEST(ChartSurfaceSeries, AutomaticMarkersFollowThePenUntilTurnedOff) {
    ChartSeries s;
    s.pen.color = 0x123456;
    s.marker = {true, MarkerStyle::Circle, 210, 0xFF, 35, 0xFF00};
    ChartMarker automatic = DrawnMarker(s, 5);
    EXPECT_EQ(automatic.penColor, 0x123456);
    EXPECT_EQ(automatic.style, AutomaticMarkerStyle(5));
    s.autoMarkers = false;
    ChartMarker own = DrawnMarker(s, 5);
    EXPECT_EQ(own.style, MarkerStyle::Circle);
    EXPECT_EQ(own.penColor, 0xFF);
    EXPECT_EQ(own.fillColor, 0xFF00);
    EXPECT_EQ(own.size, 210);
}

TEST(ChartSurfaceGeometry, PlotRectIsSetAndReadBack) {
    ChartSurface s;
    s.SetBounds(0, 0, 7200, 5400);
    ChartRect automatic = s.PlotRect();
    EXPECT_FALSE(s.HasCustomPlotRect());
    EXPECT_GT(automatic.minX, 0);
    EXPECT_LT(automatic.maxX, 7200);
    EXPECT_LT(automatic.maxY, 5400);

    s.SetTitleText("Station\r\n3.2 ft");
    EXPECT_LT(s.PlotRect().maxY, automatic.maxY) << "room is kept for a title at the top";

    ChartRect r{20, 567, 7100, 4644};
    s.SetPlotRect(r);
    EXPECT_EQ(s.PlotRect(), r);
    EXPECT_THROW(s.SetPlotRect({100, 100, 50, 200}), ChartError);
    EXPECT_EQ(s.PlotRect(), r);
    EXPECT_THROW(s.SetBounds(0, 0, -1, 10), ChartError);

    s.SetTitleRect({520, 4400, 7200, 5200});
    EXPECT_TRUE(s.Title().customLocation);
}

TEST(ChartSurfaceGeometry, SetAxisColorReachesLinesLabelsAndTitles) {
    ChartSurface s;
    s.SetAxisColor(0xFFFFFF);
    for (ChartAxisId id : {ChartAxisId::X, ChartAxisId::Y}) {
        EXPECT_EQ(s.Axis(id).pen.color, 0xFFFFFF);
        EXPECT_EQ(s.Axis(id).labelFont.color, 0xFFFFFF);
        EXPECT_EQ(s.Axis(id).title.font.color, 0xFFFFFF);
    }
}

// A 7200 x 5400 twip chart, X and Y both 0..10, with the given points in series 1.
ChartSurface PointChart(const std::vector<std::pair<double, double>>& points) {
    ChartSurface s;
    s.SetBounds(0, 0, 7200, 5400);
    s.SetRowCount(static_cast<int>(points.size()));
    s.SetColumnCount(4);
    for (size_t i = 0; i < points.size(); ++i) {
        s.SetCell(static_cast<int>(i) + 1, 1, points[i].first);
        s.SetCell(static_cast<int>(i) + 1, 2, points[i].second, std::isnan(points[i].second));
    }
    for (ChartAxis* a : {&s.XAxis(), &s.YAxis()}) {
        a->scale.automatic = false;
        a->scale.minimum = 0;
        a->scale.maximum = 10;
        a->scale.majorDivisions = 5;
    }
    return s;
}

TEST(ChartSurfaceHitTest, FindsThePointUnderThePositionAndNothingInEmptySpace) {
    ChartSurface s = PointChart({{2, 2}, {5, 5}, {8, 8}});
    ChartLayout L = LayoutChart(s, s.Width(), s.Height());
    ChartHit hit = s.HitTest(L.x.Map(5) + 30, L.y.Map(5) - 30);
    EXPECT_EQ(hit.part, ChartPart::DataPoint);
    EXPECT_EQ(hit.series, 1);
    EXPECT_EQ(hit.row, 2);

    ChartHit empty = s.HitTest(L.x.Map(5), L.y.Map(2));
    EXPECT_NE(empty.part, ChartPart::DataPoint);
    EXPECT_EQ(empty.part, ChartPart::Plot);
    EXPECT_EQ(s.HitTest(10, 10).part, ChartPart::Chart);
    EXPECT_EQ(s.HitTest(-5, 10).part, ChartPart::None);
}

TEST(ChartSurfaceHitTest, GapsHiddenSeriesAndTheNearestPoint) {
    ChartSurface s = PointChart({{5, 5}, {5.05, NAN}});
    ChartLayout L = LayoutChart(s, s.Width(), s.Height());
    // A null Y is no point, even where its X lies.
    EXPECT_EQ(s.HitTest(L.x.Map(5.05), L.y.Map(5)).row, 1);

    // A second series close by: the nearer point wins.
    s.SetCell(1, 3, 5.06);
    s.SetCell(1, 4, 5);
    EXPECT_EQ(s.HitTest(L.x.Map(5.045), L.y.Map(5)).series, 3);
    EXPECT_EQ(s.HitTest(L.x.Map(5.015), L.y.Map(5)).series, 1);

    // A series that draws neither line nor markers cannot be pointed at.
    s.Series(3).showLine = false;
    EXPECT_EQ(s.HitTest(L.x.Map(5.06), L.y.Map(5)).series, 1);
    s.Series(3).marker.visible = true;
    EXPECT_EQ(s.HitTest(L.x.Map(5.06), L.y.Map(5)).series, 3);
    s.Series(1).showLine = false;
    s.Series(3).marker.visible = false;
    EXPECT_NE(s.HitTest(L.x.Map(5), L.y.Map(5)).part, ChartPart::DataPoint);
}

TEST(ChartSurfaceHitTest, PlotAreaPixelsLieInsideThePlotRect) {
    ChartSurface s = PointChart({{1, 1}});
    EXPECT_EQ(ChartSurface().PlotAreaPixels(), PixelRect{});
    s.SetPlotRect({20, 567, 7100, 4700});
    PixelRect area = s.PlotAreaPixels();
    EXPECT_GT(area.left, 20 / 15);
    EXPECT_LT(area.left + area.width, 7100 / 15 + 1);
    EXPECT_GE(area.top, (5400 - 4700) / 15);
    EXPECT_LE(area.top + area.height, (5400 - 567) / 15 + 1);
    EXPECT_GT(area.width, 300);
    EXPECT_GT(area.height, 200);
}

}  // namespace
}  // namespace tidemark
