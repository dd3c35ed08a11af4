#include "render/chart_layout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/daynum.h"
#include "render/chart_surface.h"

namespace tidemark {
namespace {

// One series with the given Y values at X = 1, 2, 3, ...
ChartSurface SeriesChart(const std::vector<double>& ys) {
    ChartSurface s;
    s.SetRowCount(static_cast<int>(ys.size()));
    s.SetColumnCount(2);
    for (size_t i = 0; i < ys.size(); ++i) {
        s.SetCell(static_cast<int>(i) + 1, 1, static_cast<double>(i) + 1);
        s.SetCell(static_cast<int>(i) + 1, 2, ys[i]);
    }
    return s;
}

std::vector<std::string> LabelTexts(const AxisLayout& axis) {
    std::vector<std::string> texts;
    for (const AxisLabel& l : axis.labels) texts.push_back(l.text);
    return texts;
}

TEST(ChartLayout, ManualLinearScaleGivesItsDivisions) {
    ChartSurface s = SeriesChart({3, 4});
    ChartAxis& y = s.YAxis();
    y.scale = {false, -2, 8, 5, 2};
    ChartLayout L = LayoutChart(s, 7200, 5400);
    EXPECT_EQ(L.y.minimum, -2);
    EXPECT_EQ(L.y.maximum, 8);
    ASSERT_EQ(L.y.majorPositions.size(), 6u);
    EXPECT_EQ(L.y.minorPositions.size(), 5u) << "2 minor divisions = one minor tick inside each major one";
    EXPECT_EQ(LabelTexts(L.y), (std::vector<std::string>{"-2", "0", "2", "4", "6", "8"}));
    EXPECT_NEAR(L.y.majorPositions.front(), L.plotArea.Bottom(), 1e-6);
    EXPECT_NEAR(L.y.majorPositions.back(), L.plotArea.top, 1e-6);
    double step = L.y.majorPositions[0] - L.y.majorPositions[1];
    for (size_t i = 1; i + 1 < L.y.majorPositions.size(); ++i)
        EXPECT_NEAR(L.y.majorPositions[i] - L.y.majorPositions[i + 1], step, 1e-6);

    // The X axis crosses where told, and at 0 when left automatic on a range over 0.
    s.XAxis().crossingAutomatic = false;
    s.XAxis().crossingPoint = 4;
    L = LayoutChart(s, 7200, 5400);
    EXPECT_NEAR(L.x.linePosition, L.y.Map(4), 1e-6);
    s.XAxis().crossingAutomatic = true;
    L = LayoutChart(s, 7200, 5400);
    EXPECT_NEAR(L.x.linePosition, L.y.Map(0), 1e-6);
    s.XAxis().crossingAutomatic = false;
    s.XAxis().crossingPoint = 100;
    L = LayoutChart(s, 7200, 5400);
    EXPECT_NEAR(L.x.linePosition, L.plotArea.top, 1e-6) << "a crossing beyond the range stays on the plot";
}

TEST(ChartLayout, AutomaticLinearScaleIsNice) {
    ChartSurface s = SeriesChart({0.3, 9.7, 4});
    ChartLayout L = LayoutChart(s, 7200, 5400);
    EXPECT_EQ(L.y.minimum, 0);
    EXPECT_EQ(L.y.maximum, 10);
    EXPECT_GE(L.y.majorDivisions, 4);
    EXPECT_LE(L.y.majorDivisions, 11);

    // Nothing to draw: a unit range rather than a broken axis.
    ChartSurface empty;
    empty.SetRowCount(6);
    empty.SetColumnCount(13);
    L = LayoutChart(empty, 7200, 5400);
    EXPECT_LT(L.y.minimum, L.y.maximum);
    EXPECT_LT(L.x.minimum, L.x.maximum);
    EXPECT_GT(L.plotArea.width, 0);
}

TEST(ChartLayout, LogarithmicAxisPutsDecadesAtEqualSpacing) {
    ChartSurface s = SeriesChart({1, 3, 10, 55, 100});
    s.YAxis().scaleType = ScaleType::Logarithmic;
    ChartLayout L = LayoutChart(s, 7200, 5400);
    EXPECT_EQ(L.y.minimum, 1);
    EXPECT_EQ(L.y.maximum, 100);
    ASSERT_EQ(L.y.majorPositions.size(), 3u);
    EXPECT_NEAR(L.y.Map(1) - L.y.Map(10), L.y.Map(10) - L.y.Map(100), 1e-6);
    EXPECT_EQ(LabelTexts(L.y), (std::vector<std::string>{"1", "10", "100"}));
    EXPECT_EQ(L.y.minorPositions.size(), 16u) << "2..9 of each decade";
    EXPECT_TRUE(std::isnan(L.y.Map(0))) << "0 has no place on a log axis";
    EXPECT_TRUE(std::isnan(L.y.Map(-5)));

    // Values 0 and below are left out of the automatic range rather than breaking it.
    ChartSurface withZero = SeriesChart({0, -3, 5, 20});
    withZero.YAxis().scaleType = ScaleType::Logarithmic;
    L = LayoutChart(withZero, 7200, 5400);
    EXPECT_EQ(L.y.minimum, 1);
    EXPECT_EQ(L.y.maximum, 100);
}

TEST(ChartLayout, DateAxisOfASevenDayWindowHasSevenDivisions) {
    ChartSurface s = SeriesChart({1, 2});
    double start = MakeDayNumber(2024, 3, 1);
    ChartAxis& x = s.XAxis();
    x.scale = {false, start, start + 7, 7, 0};
    x.labelFormat = "mmmdd";
    x.labelFont.style = kFontItalic;
    ChartLayout L = LayoutChart(s, 7200, 5400);
    EXPECT_EQ(L.x.majorDivisions, 7);
    ASSERT_EQ(L.x.majorPositions.size(), 8u);
    EXPECT_TRUE(L.x.minorPositions.empty());
    EXPECT_EQ(LabelTexts(L.x),
              (std::vector<std::string>{"Mar01", "Mar02", "Mar03", "Mar04", "Mar05", "Mar06", "Mar07", "Mar08"}));
    // On a narrow chart the labels are thinned, never overlapped.
    L = LayoutChart(s, 2400, 3000);
    ASSERT_GE(L.x.labels.size(), 2u);
    EXPECT_LT(L.x.labels.size(), 8u);
    EXPECT_EQ(L.x.labels[0].text, "Mar01");
    for (size_t i = 0; i + 1 < L.x.labels.size(); ++i)
        EXPECT_GT(L.x.labels[i + 1].position - L.x.labels[i].position, EstimateTextWidth("Mar01", L.x.labelFontTwips));
}

TEST(ChartLayout, LabelFormats) {
    ChartAxis plain;
    EXPECT_EQ(FormatAxisLabel(plain, 2.5, 0.5), "2.5");
    EXPECT_EQ(FormatAxisLabel(plain, 3, 0.5), "3.0");
    EXPECT_EQ(FormatAxisLabel(plain, 1e-17, 0.2), "0.0") << "no -0 or noise from summed steps";
    EXPECT_EQ(FormatAxisLabel(plain, -0.0000001, 1), "0");
    EXPECT_EQ(FormatAxisLabel(plain, 1200, 200), "1200");
    ChartAxis whole;
    whole.labelFormat = "0";
    EXPECT_EQ(FormatAxisLabel(whole, 59.6, 10), "60");
    ChartAxis dates;
    dates.labelFormat = "mmmdd";
    EXPECT_EQ(FormatAxisLabel(dates, MakeDayNumber(2023, 12, 31, 23, 0), 1), "Dec31");
}

TEST(ChartLayout, PlotRectAndTitleAreTurnedToYDown) {
    ChartSurface s = SeriesChart({1, 2});
    s.SetBounds(0, 0, 7200, 5400);
    s.SetPlotRect({20, 567, 7100, 4644});
    s.SetTitleText("Mill Creek\r\n2.38 ft Mar 15 2:55 pm");
    s.SetTitleRect({520, 4569, 7200, 5109});
    s.YAxis().title = {"Feet", {"Arial", 8, 0, 0}, true};
    ChartLayout L = LayoutChart(s, 7200, 5400);
    EXPECT_DOUBLE_EQ(L.plotRect.left, 20);
    EXPECT_DOUBLE_EQ(L.plotRect.top, 5400 - 4644);
    EXPECT_DOUBLE_EQ(L.plotRect.Bottom(), 5400 - 567);
    EXPECT_GT(L.plotArea.left, L.plotRect.left) << "the Y labels and title sit inside the plot rectangle";
    EXPECT_LT(L.plotArea.Bottom(), L.plotRect.Bottom());
    EXPECT_LT(L.yTitleCenterX, L.plotArea.left);
    EXPECT_DOUBLE_EQ(L.titleRect.top, 5400 - 5109);
    EXPECT_DOUBLE_EQ(L.titleRect.height, 540);
    EXPECT_EQ(L.titleLines, (std::vector<std::string>{"Mill Creek", "2.38 ft Mar 15 2:55 pm"}));
    EXPECT_EQ(SplitTitleLines("a\nb\r\rc"), (std::vector<std::string>{"a", "b", "", "c"}));
    EXPECT_TRUE(SplitTitleLines("").empty());
}

}  // namespace
}  // namespace tidemark
