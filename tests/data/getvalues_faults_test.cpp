// Faults while fetching: the message, what the slot keeps, and buffers that are never
// written past.
#include <gtest/gtest.h>

#include "sqlite_series_backend.h"

namespace tidemark::seriestest {
namespace {

class GetvaluesFaultTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(backend_.SetUpError().empty()) << backend_.SetUpError(); }
    SqliteSeriesBackend backend_;
};

TEST_F(GetvaluesFaultTest, ANullValueEndsTheFetchKeepingTheRowsBeforeIt) {
    SeriesHarness h(backend_, At(2020, 3, 1), 2, At(2020, 3, 9));
    h.Define(0, 4);
    h.Fill("rhour", 4,
           {{At(2020, 3, 1, 0), 1},
            {At(2020, 3, 1, 1), 2.004},
            {At(2020, 3, 1, 4), std::nullopt},
            {At(2020, 3, 1, 5), 4}});
    h.Fill("rday", 4, {{At(2020, 3, 1), 10}});
    h.Slot(0).pointCount = 30;
    h.Getvalues(0);
    ASSERT_EQ(h.host.messages.size(), 1u);
    EXPECT_EQ(h.host.messages[0],
              "Sub Getvalues1: Table rhour, series 4, row 2020-03-01 04:00:00: Invalid use of Null: field 2 (value) is "
              "empty");
    // The fillers before the empty row were stored; nothing after it.
    EXPECT_EQ(h.Points(0), (std::vector<std::string>{"03-01 00:00 1", "03-01 01:00 2.004", "03-01 02:00 -9999",
                                                     "03-01 03:00 -9999"}));
    EXPECT_EQ(h.Slot(0).points[5].value, kMissing);
    EXPECT_EQ(h.Slot(0).dailyPoints[1].value, kMissing);  // the daily statement never ran
    EXPECT_EQ(h.Slot(0).currentValue, 2.004);             // not rounded: the fetch ended first
}

TEST_F(GetvaluesFaultTest, AMissingTableIsReportedAndTheMainSeriesStays) {
    SeriesHarness h(backend_, At(2020, 3, 1), 2, At(2020, 3, 9));
    h.Define(0, 4);
    h.Fill("rhour", 4, {{At(2020, 3, 1, 0), 1.004}, {At(2020, 3, 1, 1), 2}});
    h.Fill("drop table rday;");
    h.Getvalues(0);
    ASSERT_EQ(h.host.messages.size(), 1u);
    EXPECT_EQ(h.host.messages[0], "Sub Getvalues1: no such table: rday");
    EXPECT_EQ(h.Points(0), (std::vector<std::string>{"03-01 00:00 1.004", "03-01 01:00 2"}));
    EXPECT_EQ(h.Slot(0).currentValue, 2);
}

TEST_F(GetvaluesFaultTest, AnUnreachableDatabaseLeavesAnEmptyInitialisedSlot) {
    SeriesHarness h(backend_, At(2020, 3, 1), 2, At(2020, 3, 9));
    h.state.settings.connectionstring = "Provider=SQLite;Data Source=" + backend_.ProgramFolder() + "missing.db";
    h.Define(0, 4);
    h.Define(12, 5);
    h.Slot(0).points[3] = {At(2020, 2, 1), 8};
    h.Slot(0).pointCount = 3;
    h.Slot(0).currentTime = At(2020, 2, 1);
    h.Slot(12).points[2].value = 9;
    h.Getvalues(0);
    ASSERT_EQ(h.host.messages.size(), 1u);
    EXPECT_EQ(h.host.messages[0],
              "Sub Getvalues1: The database file " + backend_.ProgramFolder() + "missing.db does not exist");
    EXPECT_EQ(h.Slot(0).pointCount, 0);
    EXPECT_EQ(h.Slot(0).points[3].value, kMissing);
    EXPECT_EQ(h.Slot(0).currentTime, 0);
    EXPECT_EQ(h.Slot(12).points[2].value, kMissing);
    EXPECT_EQ(h.host.yields, 0);
}

TEST_F(GetvaluesFaultTest, MoreRowsThanTheWindowHoldsStopAtTheLastPoint) {
    // One day of 1-minute rows is 1441 rows; a 1-day unit-value window holds 624.
    SeriesHarness h(backend_, At(2020, 3, 1), 1, At(2020, 3, 9));
    h.state.settings.plotunitvalues = true;
    h.Resize();
    h.Define(0, 4);
    h.Fill(
        "with recursive n(k) as (select 0 union all select k + 1 from n where k < 1440) "
        "insert into runit select 4, datetime('2020-03-01', '+' || k || ' minutes'), k from n;");
    h.Getvalues(0);
    ASSERT_EQ(h.host.messages.size(), 1u);
    EXPECT_EQ(h.host.messages[0],
              "Sub Getvalues1: Subscript out of range: the rows read need more points than the 624 the graph has "
              "room for in its 1-day window; the points stored so far are kept");
    const SlotSeries& slot = h.Slot(0);
    EXPECT_EQ(slot.pointCount, 624);
    EXPECT_EQ(slot.PointRoom(), 624);
    EXPECT_EQ(slot.points[624].value, 623);
    EXPECT_EQ(slot.points[624].time, At(2020, 3, 1, 10, 23));
}

TEST_F(GetvaluesFaultTest, CountsBeyondSixteenBitsAreReportedNotWrapped) {
    // 120 days of unit-value room (37,752 points) but counts stop at 32,767.
    SeriesHarness h(backend_, At(2020, 1, 1), 120, At(2020, 6, 1));
    h.state.settings.plotunitvalues = true;
    h.Resize();
    h.Define(0, 4);
    h.Fill(
        "with recursive n(k) as (select 0 union all select k + 1 from n where k < 33000) "
        "insert into runit select 4, datetime('2020-01-01', '+' || (k * 5) || ' minutes'), 1 from n;");
    h.Getvalues(0);
    ASSERT_EQ(h.host.messages.size(), 1u);
    EXPECT_EQ(h.host.messages[0],
              "Sub Getvalues1: Overflow: the series has more than 32767 points; the points stored so far are kept");
    EXPECT_EQ(h.Slot(0).pointCount, 32767);
    EXPECT_NEAR(h.Slot(0).points[32767].time, At(2020, 1, 1) + 32766 * 5 / 1440.0, 1e-9);
}

TEST_F(GetvaluesFaultTest, DepthDurationAmountsBeyondTheRoomAreReported) {
    SeriesHarness h(backend_, At(2020, 3, 1), 1, At(2020, 3, 9));
    h.state.frequency.rows = 1;
    h.state.frequency.columns = 1;
    h.state.frequency.header = {0, 1};
    h.state.frequency.minutes = {0, 5};
    h.state.frequency.steps = {0, 1};
    h.state.frequency.depth = {{0, 5}, {0, 1}};
    h.state.store.Size(1, 56, 3, 56);  // room for unit values not allocated
    h.Define(0, 4, "Rain", FreqType::DepthDuration);
    h.Fill("runit", 4, {{At(2020, 3, 1, 0), 1}, {At(2020, 3, 1, 6), 1}});
    h.Getvalues(0);
    ASSERT_EQ(h.host.messages.size(), 1u);
    EXPECT_NE(h.host.messages[0].find("Subscript out of range: the rows read need more 5-minute amounts than the 56"),
              std::string::npos)
        << h.host.messages[0];
    EXPECT_EQ(h.Slot(0).pointCount, 0);
}

TEST_F(GetvaluesFaultTest, AGraphOutsideThePagesIsReported) {
    SeriesHarness h(backend_, At(2020, 3, 1), 1, At(2020, 3, 9));
    h.Getvalues(12);
    h.Getvalues(-1);
    Getvalues1(h.state, h.host, 40, 0);
    ASSERT_EQ(h.host.messages.size(), 3u);
    EXPECT_EQ(h.host.messages[0], "Sub Getvalues1: Subscript out of range: there is no graph 13 on page 1 to fetch");
    EXPECT_EQ(h.host.messages[2], "Sub Getvalues1: Subscript out of range: there is no graph 1 on page 40 to fetch");
}

}  // namespace
}  // namespace tidemark::seriestest
