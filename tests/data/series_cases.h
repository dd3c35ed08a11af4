#pragma once
// Fetch cases every engine must pass: the hour fillers, the hourly series merged with
// the daily maxima and minima, and the monthly totals across a month start. Include in
// exactly one .cpp of a test program and instantiate SeriesEngineTest there.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "series_harness.h"

namespace tidemark::seriestest {

struct EngineParam {
    const char* name;
    std::function<std::unique_ptr<SeriesBackend>()> make;
};

inline std::string EngineName(const ::testing::TestParamInfo<EngineParam>& info) { return info.param.name; }

class SeriesEngineTest : public ::testing::TestWithParam<EngineParam> {
protected:
    void SetUp() override {
        backend_ = GetParam().make();
        ASSERT_TRUE(backend_->SetUpError().empty()) << backend_->SetUpError();
    }
    SeriesBackend& Backend() { return *backend_; }

private:
    std::unique_ptr<SeriesBackend> backend_;
};

TEST_P(SeriesEngineTest, HourGapsGetFillersFromTheWindowStartOn) {
    SeriesHarness h(Backend(), At(2020, 3, 1), 2, At(2020, 3, 4));
    h.Define(0, 5);
    // The first row at 01:00 follows the window start by one hour: no filler. Then a
    // gap from 01:00 to 05:00, and unit-like rows inside one hour.
    h.Fill("rhour", 5, {{At(2020, 3, 1, 1), 1.5}, {At(2020, 3, 1, 2), 2}, {At(2020, 3, 1, 5), 3}});
    h.Fill("rhour", 6, {{At(2020, 3, 1, 3), 7}});
    h.Define(1, 6);
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Points(0), (std::vector<std::string>{"03-01 01:00 1.5", "03-01 02:00 2", "03-01 03:00 -9999",
                                                     "03-01 04:00 -9999", "03-01 05:00 3"}));
    EXPECT_EQ(h.Slot(0).currentValue, 3);
    EXPECT_EQ(h.Slot(0).currentTime, At(2020, 3, 1, 5));
    EXPECT_EQ(h.Slot(0).lastRowTime, At(2020, 3, 1, 5));

    // A first row at 03:00 crosses three hour boundaries from the window start.
    EXPECT_EQ(h.Fetch(1), "");
    EXPECT_EQ(h.Points(1), (std::vector<std::string>{"03-01 01:00 -9999", "03-01 02:00 -9999", "03-01 03:00 7"}));
}

TEST_P(SeriesEngineTest, HourlyRowsMergeWithTheDailyMaximaAndMinimaByDate) {
    SeriesHarness h(Backend(), At(2020, 3, 1), 2, At(2020, 3, 4));
    h.state.settings.includedailymaxmin = true;
    h.Define(0, 9);
    h.Fill("rhour", 9, {{At(2020, 3, 1, 0), 4}, {At(2020, 3, 1, 1), 5}, {At(2020, 3, 2, 0), 6}});
    // The maximum at 00:30, the minimum at 00:45; a minimum identical in all three
    // fields to an hourly row comes back once.
    h.Fill("rdaymax", 9, {{At(2020, 3, 1, 0, 30), 9.5}});
    h.Fill("rdaymin", 9, {{At(2020, 3, 1, 0, 45), 1.25}, {At(2020, 3, 2, 0), 6}});
    EXPECT_EQ(h.Fetch(0), "");
    std::vector<std::string> points = h.Points(0);
    ASSERT_EQ(points.size(), 27u);  // 5 rows, 22 hour fillers between 01:00 and 2 March
    EXPECT_EQ(std::vector<std::string>(points.begin(), points.begin() + 5),
              (std::vector<std::string>{"03-01 00:00 4", "03-01 00:30 9.5", "03-01 00:45 1.25", "03-01 01:00 5",
                                        "03-01 02:00 -9999"}));
    EXPECT_EQ(points[25], "03-01 23:00 -9999");
    EXPECT_EQ(points[26], "03-02 00:00 6");

    // Without the box the same graph reads the hourly rows alone.
    h.state.settings.includedailymaxmin = false;
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Slot(0).points[2].time, At(2020, 3, 1, 1));
}

// Rows of the three tables at the same instant come in the same order on every engine
// (by value), so the same data draws the same line whatever serves it.
TEST_P(SeriesEngineTest, DailyMaximaAndMinimaAtAnHourlyRowsInstantComeByValue) {
    SeriesHarness h(Backend(), At(2020, 3, 1), 2, At(2020, 3, 4));
    h.state.settings.includedailymaxmin = true;
    h.Define(0, 9);
    h.Fill("rhour", 9, {{At(2020, 3, 1, 0), 4}, {At(2020, 3, 1, 6), 5}, {At(2020, 3, 2, 0), 6}});
    h.Fill("rdaymax", 9, {{At(2020, 3, 1, 6), 9.5}, {At(2020, 3, 2, 0), 7}});
    h.Fill("rdaymin", 9, {{At(2020, 3, 1, 6), 1.25}, {At(2020, 3, 2, 0), -3}});
    EXPECT_EQ(h.Fetch(0), "");
    std::vector<std::string> points = h.Points(0);
    std::vector<std::string> atSix, atMidnight;
    for (const std::string& p : points) {
        if (p.rfind("03-01 06:00 ", 0) == 0) atSix.push_back(p);
        if (p.rfind("03-02 00:00 ", 0) == 0) atMidnight.push_back(p);
    }
    EXPECT_EQ(atSix, (std::vector<std::string>{"03-01 06:00 1.25", "03-01 06:00 5", "03-01 06:00 9.5"}));
    EXPECT_EQ(atMidnight, (std::vector<std::string>{"03-02 00:00 -3", "03-02 00:00 6", "03-02 00:00 7"}));
}

TEST_P(SeriesEngineTest, MonthlyTotalsRunAcrossAMonthStart) {
    // 29 March to 2 April; 10 fell from 1 to 28 March.
    SeriesHarness h(Backend(), At(2020, 3, 29), 4, At(2020, 4, 1, 12));
    h.Define(0, 3, "Monthly Rainfall");
    h.Fill("rday", 3, {{At(2020, 3, 1), 4}, {At(2020, 3, 15), 6}, {At(2020, 2, 29), 100}});
    h.Fill("rhour", 3,
           {{At(2020, 3, 31, 22), 0.5},
            {At(2020, 3, 31, 23), 1},
            {At(2020, 4, 1, 0), 2},
            {At(2020, 4, 1, 1), 0.25},
            {At(2020, 4, 1, 2), 0.5},
            {At(2020, 4, 2, 0), 3}});
    h.Fill("rday", 3, {{At(2020, 3, 29), 1}, {At(2020, 3, 30), 2}, {At(2020, 4, 1), 5}, {At(2020, 4, 2), 7}});
    EXPECT_EQ(h.Fetch(0), "");

    std::vector<std::string> points = h.Points(0);
    ASSERT_GE(points.size(), 5u);
    // The first row shows the month so far without its own amount; the first row on the
    // 1st closes March (its own amount included); April starts from 0.
    EXPECT_EQ(points[0], "03-31 22:00 10");
    EXPECT_EQ(points[1], "03-31 23:00 11");
    EXPECT_EQ(points[2], "04-01 00:00 13");
    EXPECT_EQ(points[3], "04-01 01:00 0.25");
    EXPECT_EQ(points[4], "04-01 02:00 0.75");
    EXPECT_EQ(points.back(), "04-02 00:00 3.75");
    EXPECT_EQ(h.Slot(0).currentValue, 0.75);              // the last row not after the clock
    EXPECT_EQ(h.Slot(0).currentTime, At(2020, 4, 1, 2));  // dated with its value, not the day

    // The daily curve restarts with the 1st's own value; the missing 31 March is a gap.
    EXPECT_EQ(h.Days(0, 5), (std::vector<std::string>{"03-29 00:00 11", "03-30 00:00 13", "03-31 00:00 -9999",
                                                      "04-01 00:00 5", "04-02 00:00 12"}));
}

}  // namespace tidemark::seriestest
