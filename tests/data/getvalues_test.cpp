// Getvalues1 on SQLite files: what lands in the slot for plain hourly and unit-value
// graphs, daily values, current values, second series and the update stamp.
#include <gtest/gtest.h>

#include "series_cases.h"
#include "sqlite_series_backend.h"

namespace tidemark::seriestest {
namespace {

INSTANTIATE_TEST_SUITE_P(Sqlite, SeriesEngineTest,
                         ::testing::Values(EngineParam{
                             "SQLite", [] { return std::unique_ptr<SeriesBackend>(new SqliteSeriesBackend); }}),
                         EngineName);

class GetvaluesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(backend_.SetUpError().empty()) << backend_.SetUpError(); }
    SqliteSeriesBackend backend_;
};

TEST_F(GetvaluesTest, UnitRowsFillOnlyWhenTwoHourBoundariesAreCrossed) {
    SeriesHarness h(backend_, At(2020, 3, 1), 1, At(2020, 3, 2));
    h.state.settings.plotunitvalues = true;
    h.Resize();
    h.Define(0, 7);
    h.Fill("runit", 7,
           {{At(2020, 3, 1, 0, 45), 1},
            {At(2020, 3, 1, 0, 50), 2},
            {At(2020, 3, 1, 0, 55), 3},
            {At(2020, 3, 1, 2, 5), 4}});
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Points(0), (std::vector<std::string>{"03-01 00:45 1", "03-01 00:50 2", "03-01 00:55 3",
                                                     "03-01 01:55 -9999", "03-01 02:05 4"}));
}

// Rows are read straight into day numbers while they hold the stored form; a row in
// another form (with fractions of a second, a value stored as the bytes "2.5") and every row
// after it are read field by field, to the same points.
TEST_F(GetvaluesTest, RowsInOtherFormsAmongStoredOnesGiveTheSamePoints) {
    SeriesHarness h(backend_, At(2020, 3, 1), 1, At(2020, 3, 2));
    h.Define(0, 5);
    ASSERT_TRUE(
        h.Fill("insert into rhour values (5, '2020-03-01 00:00:00', 1), (5, '2020-03-01 01:00:00.000', 2),"
               " (5, '2020-03-01 02:00:00', x'322E35'), (5, '2020-03-01 03:00:00', 3),"
               " (5, '2020-03-01 05:00:00', 5)"));
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Points(0), (std::vector<std::string>{"03-01 00:00 1", "03-01 01:00 2", "03-01 02:00 2.5",
                                                     "03-01 03:00 3", "03-01 04:00 -9999", "03-01 05:00 5"}));
}

TEST_F(GetvaluesTest, RowsAtTheWindowEdgesAreReadAndRowsBeyondAreNot) {
    SeriesHarness h(backend_, At(2020, 3, 1), 2, At(2020, 3, 5));
    h.Define(0, 8);
    h.Fill("rhour", 8, {{At(2020, 2, 29, 23), 99}, {At(2020, 3, 1), 1}, {At(2020, 3, 3), 2}, {At(2020, 3, 3, 1), 98}});
    // Daily values run to the day before the window end.
    h.Fill("rday", 8, {{At(2020, 2, 29), 99}, {At(2020, 3, 1), 10}, {At(2020, 3, 2), 20}, {At(2020, 3, 3), 98}});
    EXPECT_EQ(h.Fetch(0), "");
    std::vector<std::string> points = h.Points(0);
    ASSERT_EQ(points.size(), 49u);  // 00:00, 47 fillers, 03-03 00:00
    EXPECT_EQ(points.front(), "03-01 00:00 1");
    EXPECT_EQ(points[1], "03-01 01:00 -9999");
    EXPECT_EQ(points.back(), "03-03 00:00 2");
    EXPECT_EQ(h.Days(0, 2), (std::vector<std::string>{"03-01 00:00 10", "03-02 00:00 20"}));
    EXPECT_EQ(h.Slot(0).dailyPoints[3].value, kMissing);
}

TEST_F(GetvaluesTest, RowsAfterTheClockAreDrawnButAreNotTheCurrentValue) {
    SeriesHarness h(backend_, At(2020, 3, 1), 3, At(2020, 3, 2, 12));
    h.Define(0, 4);
    h.Fill("rhour", 4, {{At(2020, 3, 2, 11), 1.234}, {At(2020, 3, 2, 12), 2.345}, {At(2020, 3, 2, 13), 9}});
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Slot(0).points[h.Slot(0).pointCount].value, 9);
    // "#0.##" rounds halves away from zero on the decimal digits.
    EXPECT_EQ(h.Slot(0).currentValue, 2.35);
    EXPECT_EQ(h.Slot(0).currentTime, At(2020, 3, 2, 12));

    // The loader's rounding function rounds halves to even.
    FetchOptions loader;
    loader.roundHalfEven = true;
    h.Fill("update rhour set value = 2.125 where date_time = " + SqlTime(At(2020, 3, 2, 12)) + ";");
    EXPECT_EQ(h.Fetch(0, loader), "");
    EXPECT_EQ(h.Slot(0).currentValue, 2.12);
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Slot(0).currentValue, 2.13);
}

TEST_F(GetvaluesTest, MissingDaysBecomeGapsAndCountTowardsThePoints) {
    SeriesHarness h(backend_, At(2020, 3, 1), 7, At(2020, 3, 9));
    h.Define(0, 4);
    h.Fill("rday", 4, {{At(2020, 3, 1), 1}, {At(2020, 3, 2), 2}, {At(2020, 3, 5), 5}});
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Days(0, 5), (std::vector<std::string>{"03-01 00:00 1", "03-02 00:00 2", "03-03 00:00 -9999",
                                                      "03-04 00:00 -9999", "03-05 00:00 5"}));
    // No hourly rows: the graph still shows its five days, and the last day is the
    // current value.
    EXPECT_EQ(h.Slot(0).pointCount, 5);
    EXPECT_EQ(h.Slot(0).currentTime, At(2020, 3, 5));
    EXPECT_EQ(h.Slot(0).currentValue, 5);
}

TEST_F(GetvaluesTest, DailyRowsThatDoNotMoveOnByADayAddNoFillers) {
    SeriesHarness h(backend_, At(2020, 3, 1), 4, At(2020, 3, 9));
    h.Define(0, 4);
    h.Fill("rday", 4, {{At(2020, 3, 1), 1}, {At(2020, 3, 1, 6), 2}, {At(2020, 3, 2), 3}});
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Days(0, 3), (std::vector<std::string>{"03-01 00:00 1", "03-01 06:00 2", "03-02 00:00 3"}));
    EXPECT_EQ(h.Slot(0).dailyPoints[4].value, kMissing);
}

TEST_F(GetvaluesTest, DailyValuesPastTheSpanOverwriteTheLastDay) {
    SeriesHarness h(backend_, At(2020, 3, 1), 2, At(2020, 3, 9));
    h.state.window.end = At(2020, 3, 5);  // a window longer than its span
    h.Define(0, 4);
    h.Fill("rday", 4, {{At(2020, 3, 1), 1}, {At(2020, 3, 2), 2}, {At(2020, 3, 3), 3}, {At(2020, 3, 4), 4}});
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Days(0, 2), (std::vector<std::string>{"03-01 00:00 1", "03-04 00:00 4"}));
    EXPECT_EQ(h.Slot(0).pointCount, 2);
}

TEST_F(GetvaluesTest, NoRowsLeaveMissingValuesAndTheRoundedOldCurrentValue) {
    SeriesHarness h(backend_, At(2020, 3, 1), 2, At(2020, 3, 9));
    h.Define(0, 4);
    SlotSeries& slot = h.Slot(0);
    slot.points[1] = {At(2020, 2, 1), 5};
    slot.dailyPoints[1] = {At(2020, 2, 1), 5};
    slot.currentValue = 3.14159;
    slot.currentTime = At(2020, 2, 1);
    slot.pointCount = 7;
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(slot.pointCount, 0);
    EXPECT_EQ(slot.points[1].value, kMissing);
    EXPECT_EQ(slot.points[1].time, At(2020, 2, 1));  // dates are left as they were
    EXPECT_EQ(slot.dailyPoints[1].value, kMissing);
    EXPECT_EQ(slot.currentTime, 0);
    EXPECT_EQ(slot.currentValue, 3.14);
}

TEST_F(GetvaluesTest, AUnitsOffPageReadsHourlyValuesExceptForFrequencyGraphs) {
    SeriesHarness h(backend_, At(2020, 3, 1), 1, At(2020, 3, 9));
    h.state.settings.plotunitvalues = true;
    h.state.pages.Page(1).unitsoff = true;
    h.Resize();
    h.Fill("runit", 4, {{At(2020, 3, 1, 0, 5), 0.5}});
    h.Fill("rhour", 4, {{At(2020, 3, 1, 1), 7}});
    h.Define(0, 4, "Flow", FreqType::Plain);
    h.Define(1, 4, "Flow", FreqType::Recurrence);
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Points(0), (std::vector<std::string>{"03-01 01:00 7"}));
    EXPECT_EQ(h.Fetch(1), "");
    ASSERT_EQ(h.Slot(1).pointCount, 1);
    EXPECT_EQ(h.Slot(1).points[1].time, At(2020, 3, 1, 0, 5));
}

TEST_F(GetvaluesTest, ASecondSeriesLendsTheGraphItsLargerCountButGetsNoDailyValues) {
    SeriesHarness h(backend_, At(2020, 3, 1), 2, At(2020, 3, 9));
    h.Define(0, 4);
    h.Define(12, 5);
    h.Fill("rhour", 4, {{At(2020, 3, 1, 0), 1}, {At(2020, 3, 1, 1), 2}});
    h.Fill("rhour", 5, {{At(2020, 3, 1, 0), 1.111}, {At(2020, 3, 1, 4), 2.226}});
    h.Fill("rday", 4, {{At(2020, 3, 1), 10}});
    h.Fill("rday", 5, {{At(2020, 3, 1), 20}});
    h.Slot(12).dailyPoints[1] = {0, 55};
    h.Slot(12).lastRowTime = At(2020, 2, 20);  // what an earlier load left
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Slot(0).pointCount, 5);
    EXPECT_EQ(h.Slot(12).pointCount, 5);
    EXPECT_EQ(h.Points(12), (std::vector<std::string>{"03-01 00:00 1.111", "03-01 01:00 -9999", "03-01 02:00 -9999",
                                                      "03-01 03:00 -9999", "03-01 04:00 2.226"}));
    EXPECT_EQ(h.Slot(12).dailyPoints[1].value, 55);
    EXPECT_EQ(h.Slot(12).currentValue, 2.226);  // not rounded
    EXPECT_EQ(h.Slot(0).currentValue, 2);
    // One yield before each statement: main, daily, second.
    EXPECT_EQ(h.host.yields, 3);
}

TEST_F(GetvaluesTest, TheUpdateStampIsReReadOnlyForGraphsWithoutASecondSeries) {
    SeriesHarness h(backend_, At(2020, 3, 1), 2, At(2020, 3, 9));
    h.Fill("insert into rupdate values (3, 'logger', '2020-03-02 08:00:00'), (0, 'logger', '2020-03-02 09:30:00');");
    h.Define(1, 4);
    h.Define(13, 5);
    h.Getvalues(1);
    EXPECT_TRUE(h.host.messages.empty()) << h.host.messages.front();
    EXPECT_EQ(h.state.lastUpdate, 0);

    h.Define(0, 4);
    h.Getvalues(0);
    EXPECT_TRUE(h.host.messages.empty()) << h.host.messages.front();
    EXPECT_EQ(h.state.lastUpdate, At(2020, 3, 2, 9, 30));

    // The loader's connection: the stamp is re-read only through the given call.
    h.state.lastUpdate = 0;
    int calls = 0;
    FetchOptions options;
    options.checkUpdate = [&calls]() -> Result<void> {
        ++calls;
        return Fault{"database is locked"};
    };
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(h.Fetch(0, options), "database is locked");
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace tidemark::seriestest
