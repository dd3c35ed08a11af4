// The series kinds: monthly totals, recurrence intervals, depth-duration maxima, the
// kind decision and the names a graph's series are shown under.
#include <gtest/gtest.h>

#include "data/series_kinds.h"
#include "sqlite_series_backend.h"
#include "support/temp_folder.h"

namespace tidemark::seriestest {
namespace {

// Durations 5, 10, 15, 30, 60 minutes and 1 day; the 2-year depth of each row is the
// value tests feed to land exactly on 2 years.
const char kFrequencyFile[] =
    "Duration\t1\t2\t5\t10\t25\t50\t100\t200\t500\t1000\r\n"
    "5m\t0.2\t0.3\t0.4\t0.5\t0.6\t0.7\t0.8\t0.9\t1.0\t1.1\r\n"
    "10m\t0.3\t0.6\t0.7\t0.8\t0.9\t1.0\t1.1\t1.2\t1.3\t1.4\r\n"
    "15m\t0.4\t0.8\t0.9\t1.0\t1.1\t1.2\t1.3\t1.4\t1.5\t1.6\r\n"
    "30m\t0.6\t1.2\t1.3\t1.4\t1.5\t1.6\t1.7\t1.8\t1.9\t2.0\r\n"
    "1h\t0.9\t1.4\t1.5\t1.6\t1.7\t1.8\t1.9\t2.0\t2.1\t2.2\r\n"
    "1d\t2.5\t3.1\t3.5\t4.0\t4.5\t5.0\t5.5\t6.0\t6.5\t7.0\r\n";

class SeriesKindsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(backend_.SetUpError().empty()) << backend_.SetUpError(); }

    void LoadFrequencyTable(SeriesHarness& h) {
        ASSERT_TRUE(folder_.Write("Tidemark_Frequency.txt", kFrequencyFile));
        FrequencyLoadResult loaded = ReadFrequencyTable(folder_.File("Tidemark_Frequency.txt"), h.state.frequency);
        ASSERT_TRUE(loaded.ok()) << loaded.error();
        ASSERT_EQ(h.state.frequency.rows, 6);
        h.Resize();
    }

    SqliteSeriesBackend backend_;
    testsupport::TempFolder folder_;
};

// ---- monthly cumulative ----

TEST_F(SeriesKindsTest, AMonthlyWindowOnTheFirstReadsNoMonthSoFar) {
    SeriesHarness h(backend_, At(2020, 4, 1), 3, At(2020, 4, 9));
    h.Define(0, 3, "Monthly ET");
    h.Fill("rday", 3, {{At(2020, 3, 20), 50}, {At(2020, 4, 1), 1}, {At(2020, 4, 2), 2}});
    h.Fill("rhour", 3, {{At(2020, 4, 1, 0), 0.5}, {At(2020, 4, 1, 1), 0.25}});
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Points(0), (std::vector<std::string>{"04-01 00:00 0", "04-01 01:00 0.25"}));
    EXPECT_EQ(h.Days(0, 2), (std::vector<std::string>{"04-01 00:00 1", "04-02 00:00 3"}));
    EXPECT_EQ(h.host.yields, 2);  // hourly and daily statements only
}

TEST_F(SeriesKindsTest, AMonthlyWindowStartsFromTheMonthSoFar) {
    SeriesHarness h(backend_, At(2020, 3, 20), 3, At(2020, 3, 21, 12));
    h.Define(0, 3, "Monthly Rainfall");
    h.Fill("rday", 3, {{At(2020, 3, 1), 10}, {At(2020, 3, 19), 2.3}, {At(2020, 3, 20), 1}, {At(2020, 3, 21), 0.5}});
    h.Fill("rhour", 3, {{At(2020, 3, 20, 0), 0.4}, {At(2020, 3, 20, 1), 0.1}, {At(2020, 3, 20, 3), 0.2}});
    EXPECT_EQ(h.Fetch(0), "");
    // The first row shows 12.3 without its own 0.4; fillers start from the second row.
    EXPECT_EQ(h.Points(0), (std::vector<std::string>{"03-20 00:00 12.3", "03-20 01:00 12.4", "03-20 02:00 -9999",
                                                     "03-20 03:00 12.6"}));
    EXPECT_EQ(h.Days(0, 2), (std::vector<std::string>{"03-20 00:00 13.3", "03-21 00:00 13.8"}));
    EXPECT_EQ(h.Slot(0).currentValue, 12.6);
    // The total is dated by its last hourly row, not by the daily curve's midnight, so
    // the title does not call it stale.
    EXPECT_EQ(h.Slot(0).currentTime, At(2020, 3, 20, 3));
    EXPECT_EQ(h.host.yields, 3);
}

TEST_F(SeriesKindsTest, AWindowWithTwoMonthStartsRestartsOnlyAtTheFirst) {
    SeriesHarness h(backend_, At(2020, 1, 31), 31, At(2020, 3, 9));
    h.Define(0, 3, "Monthly Rainfall");
    h.Fill("rday", 3,
           {{At(2020, 1, 31), 1}, {At(2020, 2, 1), 2}, {At(2020, 2, 2), 3}, {At(2020, 3, 1), 4}, {At(2020, 3, 2), 5}});
    h.Fill("rhour", 3,
           {{At(2020, 1, 31, 23), 1},
            {At(2020, 2, 1, 0), 2},
            {At(2020, 2, 1, 1), 3},
            {At(2020, 3, 1, 0), 4},
            {At(2020, 3, 1, 1), 5}});
    EXPECT_EQ(h.Fetch(0), "");
    std::vector<std::string> points = h.Points(0);
    ASSERT_GE(points.size(), 4u);
    EXPECT_EQ(points[0], "01-31 23:00 0");
    EXPECT_EQ(points[1], "02-01 00:00 2");
    EXPECT_EQ(points[2], "02-01 01:00 3");
    EXPECT_EQ(points.back(), "03-01 01:00 12");  // no second restart on 1 March
    std::vector<std::string> days = h.Days(0, 31);
    EXPECT_EQ(days[0], "01-31 00:00 1");
    EXPECT_EQ(days[1], "02-01 00:00 2");
    EXPECT_EQ(days[2], "02-02 00:00 5");
    EXPECT_EQ(days[3], "02-03 00:00 -9999");
    EXPECT_EQ(days[30], "03-01 00:00 9");
    EXPECT_EQ(h.Slot(0).dailyPoints[32].time, At(2020, 3, 2));  // the window's last day
    EXPECT_EQ(h.Slot(0).dailyPoints[32].value, 14);
}

// ---- recurrence intervals ----

TEST_F(SeriesKindsTest, RecurrenceIntervalsOnHourlyRowsUseTheHourRow) {
    SeriesHarness h(backend_, At(2020, 3, 1), 2, At(2020, 3, 9));
    LoadFrequencyTable(h);
    h.Define(0, 4, "Rain", FreqType::Recurrence);
    h.Fill("rhour", 4, {{At(2020, 3, 1, 0), 1.4}, {At(2020, 3, 1, 1), 1.4}, {At(2020, 3, 1, 3), 1.4}});
    h.Fill("rday", 4, {{At(2020, 3, 1), 3.1}});
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Points(0),
              (std::vector<std::string>{"03-01 00:00 2", "03-01 01:00 2", "03-01 02:00 -9999", "03-01 03:00 2"}));
    EXPECT_EQ(h.Days(0, 1), (std::vector<std::string>{"03-01 00:00 2"}));
}

TEST_F(SeriesKindsTest, RecurrenceIntervalsFollowTheTimeStepOfUnitRows) {
    SeriesHarness h(backend_, At(2020, 3, 1), 1, At(2020, 3, 9));
    h.state.settings.plotunitvalues = true;
    LoadFrequencyTable(h);
    h.Define(0, 4, "Rain", FreqType::Recurrence);
    h.Fill("runit", 4,
           {{At(2020, 3, 1, 0, 0), 0.3},     // first row: the statement's 5 minutes
            {At(2020, 3, 1, 0, 5), 0.3},     // 5
            {At(2020, 3, 1, 0, 25), 1.2},    // 20 -> 30
            {At(2020, 3, 1, 0, 37), 0.6},    // 12 -> 10
            {At(2020, 3, 1, 0, 50), 0.8},    // 13 -> 15
            {At(2020, 3, 1, 1, 40), 1.4},    // 50 -> 60
            {At(2020, 3, 1, 1, 42), 0.3}});  // 2 -> 5
    EXPECT_EQ(h.Fetch(0), "");
    for (int i = 1; i <= 7; ++i) EXPECT_EQ(h.Slot(0).points[i].value, 2) << "point " << i;
}

// ---- depth-duration maxima ----

TEST_F(SeriesKindsTest, DepthDurationMaximaSpreadRowsOverFiveMinuteSteps) {
    SeriesHarness h(backend_, At(2020, 3, 1), 1, At(2020, 3, 9));
    LoadFrequencyTable(h);
    h.Define(0, 4, "Rain", FreqType::DepthDuration);
    // Rows 10 minutes apart: each spreads over two steps. The first only starts reading.
    h.Fill("runit", 4,
           {{At(2020, 3, 1, 0, 0), 9},
            {At(2020, 3, 1, 0, 10), 0.2},
            {At(2020, 3, 1, 0, 20), 0.4},
            {At(2020, 3, 1, 0, 30), 0.6},
            {At(2020, 3, 1, 0, 40), 0.2}});
    h.Fill("rhour", 4, {{At(2020, 3, 1, 1), 50}});
    h.Fill("rday", 4, {{At(2020, 3, 1), 50}});
    EXPECT_EQ(h.Fetch(0), "");

    const SlotSeries& graph = h.Slot(0);
    const SlotSeries& depths = h.Slot(12);
    ASSERT_EQ(graph.pointCount, 6);
    double minutes[] = {5, 10, 15, 30, 60, 1440};
    double expectDepth[] = {0.3, 0.6, 0.8, 1.2, 1.4, 1.4};
    for (int w = 1; w <= 6; ++w) {
        EXPECT_EQ(graph.points[w].time, minutes[w - 1]);
        EXPECT_EQ(depths.points[w].time, minutes[w - 1]);
        EXPECT_DOUBLE_EQ(depths.points[w].value, expectDepth[w - 1]) << "duration " << minutes[w - 1];
    }
    for (int w = 1; w <= 5; ++w) EXPECT_EQ(graph.points[w].value, 2) << "duration " << minutes[w - 1];
    EXPECT_EQ(graph.points[6].value, Getfrequency(1.4, h.state.frequency, 1440));
    EXPECT_LT(graph.points[6].value, 1);
    EXPECT_EQ(graph.currentValue, 2);
    EXPECT_EQ(graph.currentTime, At(2020, 3, 1, 0, 40));
    EXPECT_EQ(graph.dailyPoints[1].value, kMissing);  // no daily values for this kind
    EXPECT_EQ(h.host.yields, 1);
}

TEST_F(SeriesKindsTest, DepthDurationPointsStartAtZeroAndUnitValuesAreReadRegardless) {
    SeriesHarness h(backend_, At(2020, 3, 1), 1, At(2020, 3, 9));
    h.state.settings.plotunitvalues = false;
    LoadFrequencyTable(h);
    h.Define(0, 4, "Rain", FreqType::DepthDuration);
    h.Slot(0).points[40].value = 123;
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Slot(0).points[40].value, 0);
    EXPECT_EQ(h.Slot(0).pointCount, 6);
    EXPECT_EQ(h.Slot(0).currentValue, 0);
}

// ---- kinds and names ----

TEST(SeriesLabelsFor, NameTheSeriesByDataTypeAndSettings) {
    SiteCatalogue catalogue;
    catalogue.Append({101, "Creek", 10, "Rainfall", "in", "", ""});
    catalogue.Append({101, "Creek", 10, "Monthly Rainfall", "in", "", ""});
    catalogue.Append({202, "River", 3, "Stage", "ft", "", ""});
    SetupSettings settings;
    PageRec page;
    GraphDef rain;
    rain.dsid = 101;
    GraphDef stage;
    stage.dsid = 202;

    settings.includedailymaxmin = true;
    SeriesLabels labels = SeriesLabelsFor(rain, catalogue, settings, page);
    EXPECT_EQ(labels.legend1, "Hourly Total");
    EXPECT_EQ(labels.legend2, "Daily Total");
    EXPECT_EQ(labels.legend3, "Watch Level");
    EXPECT_EQ(labels.unit, "in");

    labels = SeriesLabelsFor(stage, catalogue, settings, page);
    EXPECT_EQ(labels.legend1, "Hourly Avg w/Daily MaxMin");
    EXPECT_EQ(labels.legend2, "Daily Avg");
    EXPECT_EQ(labels.unit, "ft");
    settings.includedailymaxmin = false;
    EXPECT_EQ(SeriesLabelsFor(stage, catalogue, settings, page).legend1, "Hourly Avg");

    settings.plotunitvalues = true;
    EXPECT_EQ(SeriesLabelsFor(rain, catalogue, settings, page).legend1, "Unit Values");
    page.unitsoff = true;
    EXPECT_EQ(SeriesLabelsFor(rain, catalogue, settings, page).legend1, "Hourly Total");

    rain.freqtype = FreqType::Recurrence;
    EXPECT_EQ(SeriesLabelsFor(rain, catalogue, settings, page).unit, "Years");
    GraphDef unknown;
    unknown.dsid = 999;
    EXPECT_EQ(SeriesLabelsFor(unknown, catalogue, settings, page).unit, "");
}

}  // namespace
}  // namespace tidemark::seriestest
