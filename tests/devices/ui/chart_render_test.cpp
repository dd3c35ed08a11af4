// Renders surfaces to images off screen and checks what shows where.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/color.h"
#include "core/daynum.h"
#include "devices/ui/chart_painter.h"
#include "render/chart_layout.h"
#include "render/chart_surface.h"

namespace tidemark {
namespace {

constexpr int kWidth = 480, kHeight = 360;
const int32_t kBackdrop = RGB(230, 230, 250);
const int32_t kWall = RGB(255, 255, 200);
const int32_t kLine = RGB(0, 0, 200);
const int32_t kRed = RGB(255, 0, 0);
const int32_t kBlue = RGB(0, 0, 255);
const int32_t kGreen = RGB(0, 200, 0);

bool Close(QRgb pixel, int32_t color, int tolerance = 60) {
    Rgb c = SplitColor(color);
    return std::abs(qRed(pixel) - c.red) + std::abs(qGreen(pixel) - c.green) + std::abs(qBlue(pixel) - c.blue) <=
           tolerance;
}

// Some pixel within radius of p has the colour.
bool Near(const QImage& image, QPointF p, int32_t color, int radius = 1) {
    int cx = static_cast<int>(std::floor(p.x())), cy = static_cast<int>(std::floor(p.y()));
    for (int y = cy - radius; y <= cy + radius; ++y)
        for (int x = cx - radius; x <= cx + radius; ++x)
            if (image.valid(x, y) && Close(image.pixel(x, y), color)) return true;
    return false;
}

int CountColor(const QImage& image, const QRect& region, int32_t color, int tolerance = 60) {
    int n = 0;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (image.valid(x, y) && Close(image.pixel(x, y), color, tolerance)) ++n;
    return n;
}

// Starting positions of runs of marked indices.
std::vector<int> Runs(const std::vector<bool>& marked) {
    std::vector<int> starts;
    for (size_t i = 0; i < marked.size(); ++i)
        if (marked[i] && (i == 0 || !marked[i - 1])) starts.push_back(static_cast<int>(i));
    return starts;
}

// A framed chart: both axes 0..10 in 5 divisions, coloured backdrop and wall, no grid.
ChartSurface Frame() {
    ChartSurface s;
    s.SetBackdropColor(kBackdrop);
    s.SetPlotWallColor(kWall);
    for (ChartAxis* a : {&s.XAxis(), &s.YAxis()}) {
        a->scale = {false, 0, 10, 5, 0};
    }
    return s;
}

void SetSeries(ChartSurface& s, int xColumn, const std::vector<std::pair<double, double>>& points) {
    if (s.RowCount() < static_cast<int>(points.size())) s.SetRowCount(static_cast<int>(points.size()));
    if (s.ColumnCount() < xColumn + 1) s.SetColumnCount(xColumn + 1);
    for (size_t i = 0; i < points.size(); ++i) {
        int row = static_cast<int>(i) + 1;
        s.SetCell(row, xColumn, points[i].first, std::isnan(points[i].first));
        s.SetCell(row, xColumn + 1, points[i].second, std::isnan(points[i].second));
    }
}

struct Rendered {
    QImage image;
    ChartLayout layout;
    QPointF At(double x, double y) const {
        return QPointF(layout.x.Map(x) / kTwipsPerPixel, layout.y.Map(y) / kTwipsPerPixel);
    }
    QRect Area() const {
        const LayoutRect& a = layout.plotArea;
        return QRect(static_cast<int>(std::ceil(a.left / 15)), static_cast<int>(std::ceil(a.top / 15)),
                     static_cast<int>(a.width / 15) - 1, static_cast<int>(a.height / 15) - 1);
    }
};

// TIDEMARK_TEST_IMAGES=DIR keeps every rendered image there, named after its test.
Rendered Render(const ChartSurface& s) {
    Rendered r{RenderChartImage(s, QSize(kWidth, kHeight)), LayoutChart(s, kWidth * 15.0, kHeight * 15.0)};
    if (const char* dir = std::getenv("TIDEMARK_TEST_IMAGES")) {
        static int counter = 0;
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        r.image.save(QString("%1/%2_%3.png").arg(dir, test->name()).arg(++counter));
    }
    return r;
}

TEST(ChartRender, BackdropAndPlotWallColours) {
    ChartSurface s = Frame();
    Rendered r = Render(s);
    ASSERT_EQ(r.image.size(), QSize(kWidth, kHeight));
    EXPECT_TRUE(Close(r.image.pixel(2, 2), kBackdrop, 0));
    EXPECT_TRUE(Close(r.image.pixel(kWidth - 3, kHeight - 3), kBackdrop, 0));
    QPoint centre = r.Area().center();
    EXPECT_TRUE(Close(r.image.pixel(centre), kWall, 0));
    EXPECT_TRUE(Close(r.image.pixel(r.Area().topLeft() + QPoint(2, 2)), kWall, 0));

    // Without solid brushes nothing is painted: the image stays white.
    s.Backdrop().solid = false;
    s.PlotWall().solid = false;
    r = Render(s);
    EXPECT_TRUE(Close(r.image.pixel(2, 2), RGB(255, 255, 255), 0));
    EXPECT_TRUE(Close(r.image.pixel(centre), RGB(255, 255, 255), 0));
}

TEST(ChartRender, LinesJoinPointsAndBreakAtNullCells) {
    ChartSurface s = Frame();
    s.Series(1).pen = {PenStyle::Solid, kLine, 30};
    SetSeries(s, 1, {{1, 5}, {4, 5}, {5, NAN}, {6, 5}, {9, 5}});
    // Series 3 breaks at a row whose X is null.
    s.Series(3).pen = {PenStyle::Solid, kGreen, 30};
    SetSeries(s, 3, {{1, 2}, {4, 2}, {NAN, 2}, {6, 2}, {9, 2}});
    Rendered r = Render(s);
    for (double x : {1.5, 2.5, 3.5, 6.5, 8.5}) {
        EXPECT_TRUE(Near(r.image, r.At(x, 5), kLine)) << "line at x " << x;
        EXPECT_TRUE(Near(r.image, r.At(x, 2), kGreen)) << "line at x " << x;
    }
    for (double x : {4.5, 5.0, 5.5}) {
        EXPECT_FALSE(Near(r.image, r.At(x, 5), kLine, 3)) << "gap at x " << x;
        EXPECT_FALSE(Near(r.image, r.At(x, 2), kGreen, 3)) << "gap at x " << x;
    }
    // A sloped line passes through the points between its ends.
    ChartSurface sloped = Frame();
    sloped.Series(1).pen = {PenStyle::Solid, kLine, 30};
    SetSeries(sloped, 1, {{1, 1}, {9, 9}});
    r = Render(sloped);
    for (double v : {2.0, 5.0, 8.0}) EXPECT_TRUE(Near(r.image, r.At(v, v), kLine)) << v;
    EXPECT_FALSE(Near(r.image, r.At(2, 8), kLine, 3));
}

TEST(ChartRender, DenseSeriesCoversEveryColumnItCrosses) {
    ChartSurface s = Frame();
    s.Series(1).pen = {PenStyle::Solid, kLine, 30};
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i < 10000; ++i) points.push_back({i / 1000.0, i % 2 ? 8.0 : 2.0});
    SetSeries(s, 1, points);
    Rendered r = Render(s);
    for (double x : {0.5, 3.3, 6.1, 9.7})
        for (double y : {2.5, 5.0, 7.5}) EXPECT_TRUE(Near(r.image, r.At(x, y), kLine, 0)) << x << "," << y;
    EXPECT_FALSE(Near(r.image, r.At(5, 9), kLine, 2));
    EXPECT_FALSE(Near(r.image, r.At(5, 1), kLine, 2));
}

TEST(ChartRender, MarkersOfEachStyleAtTheirPoint) {
    struct Expectation {
        MarkerStyle style;
        std::vector<QPointF> pen, fill, empty;  // offsets from the point, in pixels
    };
    const std::vector<Expectation> cases = {
        {MarkerStyle::Plus, {{8, 0}, {-8, 0}, {0, 8}, {0, -8}}, {}, {{7, 7}, {-7, -7}}},
        {MarkerStyle::Cross, {{7, 7}, {-7, 7}, {7, -7}, {-7, -7}}, {}, {{8, 0}, {0, 8}}},
        {MarkerStyle::Circle, {{10, 0}, {0, -10}, {-10, 0}, {7, 7}}, {}, {{0, 0}, {10, 10}}},
        {MarkerStyle::Square, {{10, 10}, {-10, -10}, {10, 0}, {0, -10}}, {}, {{0, 0}, {5, 5}}},
        {MarkerStyle::UpTriangle, {{0, -10}, {10, 10}, {-10, 10}, {0, 10}}, {}, {{-10, -10}, {10, -10}, {0, 2}}},
        {MarkerStyle::FilledSquare, {{10, 10}, {-10, 0}}, {{0, 0}, {5, -5}}, {{14, 0}}},
    };
    for (const Expectation& e : cases) {
        ChartSurface s = Frame();
        ChartSeries& series = s.Series(1);
        series.showLine = false;
        series.autoMarkers = false;
        series.marker = {true, e.style, 300, kRed, 30, kBlue};
        SetSeries(s, 1, {{5, 5}});
        Rendered r = Render(s);
        QPointF c = r.At(5, 5);
        int style = static_cast<int>(e.style);
        for (QPointF d : e.pen)
            EXPECT_TRUE(Near(r.image, c + d, kRed)) << "style " << style << " at " << d.x() << "," << d.y();
        for (QPointF d : e.fill) EXPECT_TRUE(Near(r.image, c + d, kBlue)) << "style " << style << " fill";
        for (QPointF d : e.empty) {
            EXPECT_FALSE(Near(r.image, c + d, kRed, 0)) << "style " << style << " at " << d.x() << "," << d.y();
            EXPECT_FALSE(Near(r.image, c + d, kBlue, 0)) << "style " << style << " hollow";
        }
    }
}

TEST(ChartRender, LogAxisPlacesDecadesAtEqualSpacing) {
    ChartSurface s = Frame();
    ChartAxis& y = s.YAxis();
    y.scaleType = ScaleType::Logarithmic;
    y.scale = {false, 0.1, 1000, 4, 0};
    y.majorGrid = {PenStyle::Solid, kGreen, 15};
    Rendered r = Render(s);
    QRect area = r.Area();
    std::vector<bool> green(kHeight, false);
    for (int row = area.top() + 2; row < area.bottom() - 2; ++row)
        green[row] = Close(r.image.pixel(area.center().x(), row), kGreen, 90);
    std::vector<int> lines = Runs(green);
    ASSERT_EQ(lines.size(), 3u) << "1, 10 and 100 inside the plot; 0.1 and 1000 on its edges";
    EXPECT_NEAR(lines[0], r.At(0, 100).y(), 1.5);
    EXPECT_NEAR(lines[2], r.At(0, 1).y(), 1.5);
    EXPECT_NEAR(lines[1] - lines[0], lines[2] - lines[1], 1);
}

TEST(ChartRender, DateAxisOfSevenDaysDrawsSevenDivisions) {
    ChartSurface s = Frame();
    double start = MakeDayNumber(2024, 3, 1, 10, 0);
    ChartAxis& x = s.XAxis();
    x.scale = {false, start, start + 7, 7, 0};
    x.labelFormat = "mmmdd";
    x.labelFont.style = kFontItalic;
    x.majorGrid = {PenStyle::Dot, kGreen, 15};
    x.minorGrid = {PenStyle::None, 0, 15};
    Rendered r = Render(s);
    QRect area = r.Area();
    std::vector<bool> green(kWidth, false);
    for (int col = area.left() + 2; col < area.right() - 2; ++col)
        for (int row = area.center().y(); row < area.center().y() + 8; ++row)
            if (Close(r.image.pixel(col, row), kGreen, 120)) green[col] = true;
    std::vector<int> lines = Runs(green);
    EXPECT_EQ(lines.size(), 6u) << "six dotted lines inside, the plot's edges make the 7 divisions";
    // Labels sit under the plot, one per division line.
    QRect labelBand(area.left() - 20, area.bottom() + 4, area.width() + 40, 20);
    EXPECT_GT(CountColor(r.image, labelBand, RGB(0, 0, 0)), 40);
}

TEST(ChartRender, EmptySixRowGridDrawsAnEmptyFrame) {
    ChartSurface s;
    s.SetColumnCount(0);
    s.SetRowCount(0);
    s.SetColumnCount(13);
    s.SetRowCount(6);
    s.SetPlotWallColor(kWall);
    s.Series(1).pen.color = kLine;
    Rendered r = Render(s);
    QRect area = r.Area();
    EXPECT_TRUE(Close(r.image.pixel(area.center()), kWall, 0));
    EXPECT_GT(CountColor(r.image, QRect(area.left() - 2, area.top(), 3, area.height()), RGB(0, 0, 0)),
              area.height() / 2)
        << "the Y axis line";
    EXPECT_EQ(CountColor(r.image, r.image.rect(), kLine), 0);

    ChartSurface none;  // never sized at all
    EXPECT_FALSE(RenderChartImage(none, QSize(100, 80)).isNull());
}

TEST(ChartRender, TitleLinesAndRotatedYAxisTitle) {
    const int32_t kMagenta = RGB(255, 0, 255), kOrange = RGB(255, 128, 0);
    ChartSurface s = Frame();
    s.SetBounds(0, 0, kWidth * 15, kHeight * 15);
    s.SetPlotRect({20, 567, kWidth * 15 - 100, 4300});
    s.SetTitleText("Mill Creek at Dam\r\n2.38 ft Mar 15 2:55 pm");
    s.Title().font = {"Arial", 10, 0, kMagenta};
    s.SetTitleRect({520, 4300 - 200, kWidth * 15.0, 4300 + 340 + 125});
    s.YAxis().title = {"Discharge cfs", {"Arial", 9, 0, kOrange}, true};
    Rendered r = Render(s);

    int titleTop = kHeight - (4300 + 340 + 125) / 15;
    std::vector<bool> rows(kHeight, false);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (Close(r.image.pixel(x, y), kMagenta, 150)) rows[y] = true;
    std::vector<int> lines = Runs(rows);
    ASSERT_EQ(lines.size(), 2u) << "station on one line, value under it";
    EXPECT_GE(lines[0], titleTop - 1);

    int minX = kWidth, maxX = -1, minY = kHeight, maxY = -1;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (Close(r.image.pixel(x, y), kOrange, 120)) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    ASSERT_GE(maxX, 0) << "the Y axis title is drawn";
    EXPECT_GT(maxY - minY, 3 * (maxX - minX)) << "it reads upwards";
    EXPECT_LT(maxX, r.Area().left());
}

TEST(ChartRender, NothingOfTheDataOutsideThePlotArea) {
    ChartSurface s = Frame();
    s.Series(1).pen = {PenStyle::Solid, kLine, 30};
    s.Series(1).marker = {true, MarkerStyle::FilledSquare, 200, kLine, 15, kLine};
    s.Series(1).autoMarkers = false;
    // Far beyond the range, and a value no screen coordinate can hold.
    SetSeries(s, 1, {{-50, 5}, {3, 5}, {5, 40}, {6, 5}, {7, 1e300}, {8, -1e300}, {9, 5}, {60, 5}});
    Rendered r = Render(s);
    QRect area = r.Area().adjusted(-1, -1, 1, 1);
    int outside = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (!area.contains(x, y) && Close(r.image.pixel(x, y), kLine, 30)) ++outside;
    EXPECT_EQ(outside, 0);
    // The lines still run to the edges.
    EXPECT_TRUE(Near(r.image, QPointF(area.left() + 2, r.At(0, 5).y()), kLine));
    EXPECT_TRUE(Near(r.image, QPointF(area.right() - 2, r.At(0, 5).y()), kLine));
    // From far above to far below: a line straight down the middle between the two.
    for (double y : {1.0, 5.0, 9.0}) EXPECT_TRUE(Near(r.image, r.At(7.5, y), kLine, 2)) << y;
}

TEST(ChartRender, AxesCrossWhereToldInTheirColour) {
    const int32_t kWhite = RGB(255, 255, 255);
    ChartSurface s = Frame();
    s.SetBackdropColor(0);
    s.SetPlotWallColor(RGB(0, 0, 90));
    s.SetAxisColor(kWhite);
    s.XAxis().crossingAutomatic = false;
    s.XAxis().crossingPoint = 4;
    Rendered r = Render(s);
    double y = r.At(0, 4).y();
    for (double x : {1.0, 5.0, 9.0}) EXPECT_TRUE(Near(r.image, QPointF(r.At(x, 0).x(), y), kWhite)) << x;
    EXPECT_FALSE(Near(r.image, r.At(5, 2), kWhite, 2));
    // Labels stay at the plot's edge, in the axis colour on the dark backdrop.
    QRect area = r.Area();
    int bright = 0;
    for (int y = area.bottom() + 4; y < area.bottom() + 20; ++y)
        for (int x = area.left(); x < area.right(); ++x) bright += qGray(r.image.pixel(x, y)) > 128;
    EXPECT_GT(bright, 30);
}

TEST(ChartRender, SurfaceWithASizeIsScaledToTheImage) {
    ChartSurface s = Frame();
    s.SetBounds(0, 0, kWidth * 15, kHeight * 15);
    PixelRect area = s.PlotAreaPixels();
    QImage big = RenderChartImage(s, QSize(kWidth * 2, kHeight * 2));
    EXPECT_TRUE(Close(big.pixel(2 * area.left + 4, 2 * area.top + 4), kWall, 0));
    EXPECT_TRUE(Close(big.pixel(2 * (area.left + area.width) - 4, 2 * (area.top + area.height) - 4), kWall, 0));
    EXPECT_TRUE(Close(big.pixel(4, 4), kBackdrop, 0));
}

TEST(ChartRender, LegendListsNamedSeriesWhenShown) {
    ChartSurface s = Frame();
    s.Series(7).legendText = "Level";
    s.Series(7).pen = {PenStyle::Solid, kRed, 30};
    SetSeries(s, 7, {{1, 1}, {2, 1}});
    QRect corner = Render(s).Area();
    corner = QRect(corner.right() - 120, corner.top(), 120, 40);
    EXPECT_EQ(CountColor(Render(s).image, corner, kRed), 0);
    s.SetLegendVisible(true);
    QImage shown = Render(s).image;
    EXPECT_GT(CountColor(shown, corner, kRed), 10) << "the line sample";
    EXPECT_GT(CountColor(shown, corner, RGB(0, 0, 0), 200), 10) << "the name";
}

}  // namespace
}  // namespace tidemark
