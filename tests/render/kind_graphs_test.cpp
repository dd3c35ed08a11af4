// Special graph kinds on the chart: cumulative and ranked series, frequency graphs,
// colour bands, watch warnings, alert marks, model-run traces and title annotations.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/frequency.h"
#include "render/graph_kinds.h"
#include "render_fixture.h"

namespace tidemark {
namespace {

using testsupport::At;
using testsupport::PageFixture;
using testsupport::YColumn;

bool SameCells(const std::vector<double>& got, const std::vector<double>& want) {
    if (got.size() < want.size()) return false;
    for (size_t i = 0; i < want.size(); ++i)
        if (std::isnan(want[i]) ? !std::isnan(got[i]) : got[i] != want[i]) return false;
    return true;
}

constexpr double N = std::numeric_limits<double>::quiet_NaN();

TEST(CumulativeGraphs, MainSeriesRunsFromTheFirstPresentValue) {
    PageFixture f;
    f.AddGraph(0, {kMissing, 2, kMissing, 3, 1}, At(10, 8)).rankcum = 2;  // 8:00 .. 12:00
    f.Draw();
    EXPECT_TRUE(SameCells(YColumn(f.Chart(0), 1), {N, 2, N, 5, 6}));
    EXPECT_EQ(f.render.currentValues[0], 6) << "the current value is the total reached by now";
    EXPECT_EQ(f.Title(0), "Station 1\r\n6  Mar 10 12:00 PM");
    EXPECT_EQ(f.render.Scale(1, 0).max, 6);
    EXPECT_EQ(f.Series(0).currentValue, 1) << "the fetched value stays for when the display is switched back";
}

TEST(CumulativeGraphs, CurrentTotalIsRoundedBySize) {
    PageFixture f;
    f.AddGraph(0, {40, 20.4}, At(10, 10)).rankcum = 2;
    f.AddGraph(1, {1.25, 2.125}, At(10, 10)).rankcum = 2;
    f.AddGraph(2, {1.25, 2.125, 7}, At(10, 11)).rankcum = 2;  // the 7 is at 13:00
    f.Draw();
    EXPECT_EQ(f.render.currentValues[0], 60);
    EXPECT_EQ(f.render.currentValues[1], 3.38);
    EXPECT_EQ(f.render.currentValues[2], 3.38) << "future points do not count towards the current total";
}

TEST(CumulativeGraphs, TotalsIdentifierOfTheSecondSeriesKeepsMainValues) {
    PageFixture f;
    f.AddGraph(0, {kMissing, 2, kMissing, 3, 1}, At(10, 8)).rankcum = 2;
    f.AddSecond(0, {}, 9500);
    f.Draw();
    EXPECT_TRUE(SameCells(YColumn(f.Chart(0), 1), {N, 2, N, 3, 1}));
    EXPECT_EQ(f.render.currentValues[0], 1);
}

TEST(CumulativeGraphs, NowMarkerShowsTheRunningTotal) {
    PageFixture f;
    f.AddGraph(0, {1, 2, 3, 4}, At(10, 10)).rankcum = 2;  // 10:00 .. 13:00
    f.Draw();
    EXPECT_TRUE(SameCells(YColumn(f.Chart(0), 9), {N, N, 6, N}));
}

TEST(CumulativeGraphs, SecondSeriesRunsUnlessTheMainSeriesHoldsTotals) {
    PageFixture f;
    f.AddGraph(0, {1, 1, 1}).rankcum = 2;
    f.AddSecond(0, {kMissing, 2, 3}, 205, At(5, 0));
    f.AddGraph(1, {1, 1, 1}).rankcum = 2;
    f.Graph(1).dsid = 9100;
    f.AddSecond(1, {kMissing, 2, 3});
    f.Draw();
    const ChartSurface& c = f.Chart(0);
    EXPECT_TRUE(SameCells(YColumn(c, 5), {N, 2, 5}));
    EXPECT_TRUE(c.IsNull(1, 5));
    EXPECT_EQ(c.Cell(2, 5), At(5, 1)) << "second-series points keep their own dates";
    EXPECT_TRUE(SameCells(YColumn(c, 1), {1, 2, 3}));
    EXPECT_EQ(c.Series(5).legendText, "Series 2");
    EXPECT_TRUE(SameCells(YColumn(f.Chart(1), 5), {N, 2, 3}));
    EXPECT_TRUE(SameCells(YColumn(f.Chart(1), 1), {1, 2, 3})) << "the main series still runs";
}

TEST(RankedGraphs, ValuesAreSortedAgainstTheMainSeriesDates) {
    PageFixture f;
    f.AddGraph(0, {5, kMissing, 1, 3, kMissing}).rankcum = -1;
    f.AddGraph(1, {kMissing, kMissing}).rankcum = -1;
    f.Draw();
    const ChartSurface& c = f.Chart(0);
    EXPECT_TRUE(SameCells(YColumn(c, 5), {N, 1, 3, 5, N}));
    EXPECT_EQ(c.Cell(2, 5), At(4, 1));
    EXPECT_EQ(c.Cell(4, 5), At(4, 3));
    EXPECT_EQ(c.Series(5).legendText, "Rank");
    EXPECT_TRUE(SameCells(YColumn(c, 1), {5, N, 1, 3, N})) << "the main series is drawn as it is";
    for (int r = 1; r <= f.Chart(1).RowCount(); ++r) {
        EXPECT_TRUE(f.Chart(1).IsNull(r, 5));
        EXPECT_TRUE(f.Chart(1).IsNull(r, 6));
    }
}

TEST(FrequencyGraphs, DepthDurationGraphsHaveALogarithmicMinutesAxis) {
    PageFixture f;
    GraphDef& g = f.AddGraph(0, {});
    g.freqtype = FreqType::DepthDuration;
    SlotSeries& s = f.Series(0);
    double minutes[] = {5, 15, 60, 360, 1440};
    double years[] = {1.2, 2, 5, 3, 1.5};
    for (int i = 0; i < 5; ++i) s.points[static_cast<size_t>(i) + 1] = {minutes[i], years[i]};
    s.pointCount = 5;
    f.Draw();
    const ChartSurface& c = f.Chart(0);
    EXPECT_TRUE(c.XAxis().scale.automatic);
    EXPECT_EQ(c.XAxis().scaleType, ScaleType::Logarithmic);
    EXPECT_EQ(c.XAxis().labelFormat, "0");
    EXPECT_EQ(c.Cell(3, 1), 60);
    EXPECT_EQ(c.Series(1).legendText, "Frequecy");
    EXPECT_EQ(c.Series(5).legendText, "Rainfall");
    EXPECT_TRUE(SameCells(YColumn(c, 9), {N, N, N, N, N})) << "durations never lie after now";
}

TEST(FrequencyGraphs, RecurrenceIntervalLegends) {
    PageFixture f;
    f.AddGraph(0, {1, 2}).freqtype = FreqType::Recurrence;
    f.Draw();
    EXPECT_EQ(f.Chart(0).Series(1).legendText, "Frequecy");
    EXPECT_EQ(f.Chart(0).Series(5).legendText, "Series 2");
    EXPECT_EQ(f.Chart(0).XAxis().labelFormat, "mmmdd");
}

TEST(ColourBands, MaximumReachesAboveTheBandTop) {
    PageFixture f;
    GraphDef& low = f.AddGraph(0, {0, 3});
    low.freqtype = FreqType::ColorBand;
    low.coeff3 = 5;
    GraphDef& high = f.AddGraph(1, {0, 3});
    high.freqtype = FreqType::ColorBand;
    high.coeff3 = 2;
    f.AddGraph(2, {0, 3});
    f.Draw();
    EXPECT_EQ(f.render.Scale(1, 0), (YScale{0, 5.5, 0.5, 11})) << "5.1 rounds up to 5.5";
    EXPECT_EQ(f.render.Scale(1, 1).max, 3);
    EXPECT_EQ(f.render.Scale(1, 2).max, 3);
}

TEST(WatchLevels, CheckCoversThePointBeforeTheLastPastOneAndEveryLaterPoint) {
    auto warned = [](std::vector<double> values, int16_t watchcount, double high, double low = 0) {
        PageFixture f;
        GraphDef& g = f.AddGraph(0, values, At(10, 6));  // 6:00 .. ; the 7th point is at 12:00 = now
        g.watchcount = watchcount;
        g.highwatch = high;
        g.lowwatch = low;
        f.Draw();
        return f.render.warningFlags[0] == -1;
    };
    EXPECT_FALSE(warned({1, 1, 1, 1, 9, 1, 1, 1, 1}, 0, 5)) << "10:00 lies before the checked points";
    EXPECT_TRUE(warned({1, 1, 1, 1, 1, 9, 1, 1, 1}, 0, 5)) << "11:00, the point before the last past one";
    EXPECT_TRUE(warned({1, 1, 1, 1, 1, 1, 9, 1, 1}, 0, 5));
    EXPECT_TRUE(warned({1, 1, 1, 1, 1, 1, 1, 1, 9}, 0, 5)) << "future points are checked";
    EXPECT_TRUE(warned({1, 1, 1, 1, 9, 1, 1, 1, 1}, 1, 5)) << "one more point back";
    EXPECT_FALSE(warned({1, 1, 1, 1, 1, 5, 5, 1, 1}, 0, 5)) << "reaching the level is not crossing it";
    EXPECT_TRUE(warned({9, 9, 9, 9, 9, 9, 9, 9, 9}, 20, 5)) << "a window reaching before the first point";
    EXPECT_FALSE(warned({3, 3, 3, 3, 3, 3, 3, 3, 3}, 0, 0, 2));
    EXPECT_TRUE(warned({3, 3, 3, 3, 3, 3, 1, 3, 3}, 0, 0, 2));
    EXPECT_FALSE(warned({3, 3, 3, 3, 3, 3, kMissing, 3, 3}, 0, 0, 2)) << "missing values never warn";
}

TEST(AlertMarks, StoredRowByRowWhenAlertsArePresent) {
    PageFixture f;
    f.AddGraph(0, {1, 2});
    CreateAlertTable(f.state.pages);
    AlertSlot& a = f.state.pages.alerts[1][0];
    a.marks = {{At(8, 6), 20}, {At(9, 6), 3}, {At(9, 18), 4}};
    a.markcount = 3;
    f.Draw();
    for (int r = 1; r <= f.Chart(0).RowCount(); ++r) EXPECT_TRUE(f.Chart(0).IsNull(r, 12)) << "not yet present";

    f.state.pages.alertspresent = true;
    f.Draw();
    const ChartSurface& c = f.Chart(0);
    EXPECT_EQ(c.RowCount(), 3) << "rows are added for marks beyond the data";
    EXPECT_EQ(c.Cell(1, 11), At(8, 6));
    EXPECT_EQ(c.Cell(1, 12), 20);
    EXPECT_EQ(c.Cell(3, 12), 4);
    EXPECT_GE(f.render.Scale(1, 0).max, 20);
}

TEST(ModelRunTraces, EachTraceTakesTwoColumnsAndItsLabel) {
    PageFixture f;
    f.AddGraph(0, {1, 2, 3}).tracecount = 2;
    ModelTrace& t1 = f.state.traces.Reset(1, 0, 1, 400);
    t1.label = "Mar09 06:00";
    t1.points[1] = {At(9, 6), 10};
    t1.points[3] = {At(9, 8), 12};
    ModelTrace& t2 = f.state.traces.Reset(1, 0, 2, 400);
    t2.label = "Mar10 06:00";
    for (int i = 1; i <= 5; ++i) t2.points[static_cast<size_t>(i)] = {At(10, 5 + i), 1.0 * i};
    f.Draw();
    const ChartSurface& c = f.Chart(0);
    EXPECT_EQ(c.ColumnCount(), 16);
    EXPECT_EQ(c.Series(13).legendText, "Mar09 06:00");
    EXPECT_EQ(c.Series(15).legendText, "Mar10 06:00");
    EXPECT_EQ(c.Cell(1, 13), At(9, 6));
    EXPECT_TRUE(SameCells(YColumn(c, 13), {10, N, 12}));
    EXPECT_TRUE(c.IsNull(2, 13));
    EXPECT_EQ(c.RowCount(), 5) << "a trace longer than the data gets its rows";
    EXPECT_EQ(c.Cell(5, 16), 5);
    EXPECT_EQ(c.Series(13).pen.width, 45);
    EXPECT_EQ(f.render.Scale(1, 0).max, 12);

    // Clear Last lowers the count; the store keeps the trace.
    f.Graph(0).tracecount = 1;
    f.Draw();
    EXPECT_EQ(c.ColumnCount(), 14);
}

TEST(ModelRunTraces, CumulativeGraphsAccumulateTracesUnlessTheRunHoldsTotals) {
    PageFixture f;
    GraphDef& g = f.AddGraph(0, {1, 2, 3});
    g.rankcum = 2;
    g.tracecount = 1;
    ModelTrace& t = f.state.traces.Reset(1, 0, 1, 400);
    t.points[1] = {At(9, 6), 10};
    t.points[3] = {At(9, 8), 12};
    f.Draw();
    EXPECT_TRUE(SameCells(YColumn(f.Chart(0), 13), {10, N, 22}));
    f.state.pages.Page(1).runnumber[0] = 9100;
    f.Draw();
    EXPECT_TRUE(SameCells(YColumn(f.Chart(0), 13), {10, N, 12}));
}

TEST(ModelRunTraces, ASingleRunNumberTraceIsOrangeSeries3) {
    for (int16_t mode : {0, 1, 2}) {
        PageFixture f;
        GraphDef& g = f.AddGraph(0, {1, 2});
        g.tracecount = 1;
        g.hrmarker = mode;
        f.state.pages.Page(1).runnumber[0] = 7;
        f.state.traces.Reset(1, 0, 1, 400).points[1] = {At(4, 0), 2};
        f.Draw();
        const ChartSeries& s = f.Chart(0).Series(13);
        EXPECT_EQ(s.legendText, "Series 3");
        EXPECT_EQ(s.pen.color, RGB(255, 185, 55));
        EXPECT_EQ(s.marker.size, f.Chart(0).Series(3).marker.size);
        EXPECT_EQ(s.showLine, mode != 2) << mode;
        EXPECT_EQ(s.marker.visible, mode != 0) << mode;
    }
}

TEST(SpikeMarkers, NonZeroValuesRiseFromZero) {
    PageFixture f;
    f.AddGraph(0, {0, 2, kMissing, 3}).hrmarker = 99;
    f.Draw();
    const ChartSurface& c = f.Chart(0);
    EXPECT_EQ(c.RowCount(), 8);
    EXPECT_TRUE(SameCells(YColumn(c, 1), {0, 0, 2, 0, N, 0, 3, 0}));
    EXPECT_EQ(c.Cell(2, 1), At(4, 1));
    EXPECT_EQ(c.Cell(4, 1), At(4, 1));
    EXPECT_EQ(c.Cell(7, 1), At(4, 3));
}

// A graph whose largest value is `largest`, with the fitted distribution's coefficients.
std::string AnnotatedTitle(FreqType freqtype, double largest, float mean, float sd, float skew) {
    PageFixture f;
    GraphDef& g = f.AddGraph(0, {largest / 2, largest, largest / 3});
    g.freqtype = freqtype;
    g.coeff1 = mean;
    g.coeff2 = sd;
    g.coeff3 = skew;
    f.state.historicalStart = true;
    f.Draw();
    std::string title = f.Title(0);
    size_t at = title.find(", P=");
    return at == std::string::npos ? std::string() : title.substr(at);
}

TEST(ProbabilityAnnotation, NormalOnePercentQuantileIsAHundredYears) {
    EXPECT_EQ(AnnotatedTitle(FreqType::LogProbability, std::pow(10, 2.326), 0, 1, 0), ", P=100yrs");
    PageFixture f;
    f.AddGraph(0, {1, std::pow(10, 2.326)}).freqtype = FreqType::LogProbability;
    f.Graph(0).coeff2 = 1;
    f.Draw();
    EXPECT_TRUE(f.Title(0).ends_with(" Mar 04 1:00 AM, P=100yrs")) << f.Title(0);
}

TEST(ProbabilityAnnotation, SkewedQuantilesOfBothSigns) {
    double z = funk(0.01);
    for (float skew : {0.5f, -0.5f}) {
        double k = FrequencyFactor(z, skew);
        EXPECT_EQ(AnnotatedTitle(FreqType::LogProbability, std::pow(10, 0.5 + 0.25 * k), 0.5f, 0.25f, skew),
                  ", P=100yrs")
            << skew;
        EXPECT_EQ(AnnotatedTitle(FreqType::Probability, 40 + 8 * k, 40, 8, skew), ", P=100yrs") << skew;
    }
    // The skew matters: the normal 1% quantile is rarer under negative skew.
    EXPECT_NE(AnnotatedTitle(FreqType::Probability, 40 + 8 * z, 40, 8, -0.5f), ", P=100yrs");
}

TEST(ProbabilityAnnotation, RoutesAndFormats) {
    double bottom = 10 + funk(0.999);  // exceeded with probability 0.999
    EXPECT_EQ(AnnotatedTitle(FreqType::Probability, bottom / 2, 10, 1, 0), ", P=0.50yrs")
        << "below the bottom: the ratio";
    EXPECT_EQ(AnnotatedTitle(FreqType::Probability, 0.8416, 0, 1, 0), ", P=5.0yrs");
    EXPECT_EQ(AnnotatedTitle(FreqType::Probability, 1.2816 + 0.0001, 0, 1, 0), ", P=10yrs");
    EXPECT_EQ(AnnotatedTitle(FreqType::Probability, 0.1, 0, 1, 0), ", P=2.2yrs");
    EXPECT_EQ(AnnotatedTitle(FreqType::Probability, 1 + funk(1 / 1.5), 1, 1, 0), ", P=1.50yrs");
    EXPECT_EQ(AnnotatedTitle(FreqType::Probability, -2, 0, 1, 0), "")
        << "no annotation when the largest value is not above 0";
    EXPECT_EQ(AnnotatedTitle(FreqType::Probability, 3, 0, 0, 0), "") << "nor without a spread";
    EXPECT_EQ(AnnotatedTitle(FreqType::Plain, 300, 0, 1, 0), "") << "plain graphs";
}

TEST(ModelErrorText, AppendedToTheTitle) {
    PageFixture f;
    f.AddGraph(0, {1, 2}).freqtype = FreqType::ModelError;
    f.Series(0).modelErrorText = "12%  n45";
    f.AddGraph(1, {1, 2});
    f.Series(1).modelErrorText = "9%  n3";
    f.Draw();
    EXPECT_TRUE(f.Title(0).ends_with("AM12%  n45")) << f.Title(0);
    EXPECT_TRUE(f.Title(1).ends_with("AM")) << f.Title(1);
}

}  // namespace
}  // namespace tidemark
