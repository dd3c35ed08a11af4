// The hourly and daily rule the demo and the loader share.
#include "series_tables/series_tables.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace tidemark::series_tables;

constexpr Seconds kMidnight = 45000 * kDay;  // some midnight

std::vector<Point> FiveMinutes(Seconds from, int count, double (*value)(int)) {
    std::vector<Point> out;
    for (int i = 0; i < count; ++i) out.push_back(Point{from + i * 300, value(i)});
    return out;
}

TEST(SeriesTables, MeansTotalsAndExtremesOfCompletePeriods) {
    // Two full days of 5-minute values rising by one a step.
    std::vector<Point> unit = FiveMinutes(kMidnight, 576, [](int i) { return static_cast<double>(i); });
    Tables mean = HourlyAndDaily(unit, Aggregation::Mean, unit.back().time);
    ASSERT_EQ(mean.hourly.size(), 48u);
    ASSERT_EQ(mean.daily.size(), 2u);
    EXPECT_EQ(mean.hourly[0], (Point{kMidnight, 5.5}));  // mean of 0..11, stamped at the hour's start
    EXPECT_EQ(mean.hourly[1].time, kMidnight + kHour);
    EXPECT_EQ(mean.daily[1], (Point{kMidnight + kDay, 431.5}));
    Tables total = HourlyAndDaily(unit, Aggregation::Sum, unit.back().time);
    EXPECT_EQ(total.hourly[0].value, 66.0);
    EXPECT_EQ(total.daily[0].value, 287.0 * 288 / 2);
    DailyExtremes(unit, unit.back().time, total);
    ASSERT_EQ(total.dailyMax.size(), 2u);
    // Stamped where they occurred.
    EXPECT_EQ(total.dailyMax[0], (Point{kMidnight + 287 * 300, 287}));
    EXPECT_EQ(total.dailyMin[1], (Point{kMidnight + kDay, 288}));
}

TEST(SeriesTables, PeriodsWithTooFewValuesAreMissingButTheRunningOneCounts) {
    // Day 1: only the morning (the gauge went down at noon); day 2: complete; day 3:
    // the series ends at 06:55, so the day is judged on its first seven hours.
    std::vector<Point> unit = FiveMinutes(kMidnight, 144, [](int) { return 1.0; });
    for (const Point& p : FiveMinutes(kMidnight + kDay, 288 + 84, [](int) { return 2.0; })) unit.push_back(p);
    // One hour of day 2 lost 3 of its 12 values: still three quarters there.
    unit.erase(unit.begin() + 144 + 12 * 5, unit.begin() + 144 + 12 * 5 + 3);
    Tables t = HourlyAndDaily(unit, Aggregation::Sum, unit.back().time);
    ASSERT_EQ(t.daily.size(), 2u);
    EXPECT_EQ(t.daily[0].time, kMidnight + kDay);
    EXPECT_EQ(t.daily[0].value, 2.0 * (288 - 3));
    EXPECT_EQ(t.daily[1], (Point{kMidnight + 2 * kDay, 168}));
    // The hours of day 1's morning are complete and kept.
    EXPECT_EQ(t.hourly.front(), (Point{kMidnight, 12}));

    // A series that ends earlier than this stretch judges the last day as complete
    // only when it is; here the series goes on the next day, so day 3 is missing.
    Tables later = HourlyAndDaily(unit, Aggregation::Sum, kMidnight + 4 * kDay);
    EXPECT_EQ(later.daily.size(), 1u);

    // Half an hour of a 5-minute series is not an hour.
    std::vector<Point> half = FiveMinutes(kMidnight, 6, [](int) { return 1.0; });
    EXPECT_TRUE(HourlyAndDaily(half, Aggregation::Mean, kMidnight + kDay).hourly.empty());
}

TEST(SeriesTables, DirectionsAverageAcrossNorthAndStepsFollowTheData) {
    std::vector<Point> unit{{kMidnight, 3.9}, {kMidnight + 1800, 0.1}};
    double north = CombinePeriod(unit, Aggregation::Direction);
    EXPECT_TRUE(north < 1e-9 || north > 4 - 1e-9) << north;
    // Hourly data: an hour needs its one value; a day needs 18 of its 24.
    std::vector<Point> hourly;
    for (int h = 0; h < 18; ++h) hourly.push_back(Point{kMidnight + h * kHour, 1});
    EXPECT_EQ(UsualStep(hourly), kHour);
    Tables t = HourlyAndDaily(hourly, Aggregation::Sum, kMidnight + 5 * kDay);
    EXPECT_EQ(t.hourly.size(), 18u);
    ASSERT_EQ(t.daily.size(), 1u);
    hourly.pop_back();
    EXPECT_TRUE(HourlyAndDaily(hourly, Aggregation::Sum, kMidnight + 5 * kDay).daily.empty());
}

}  // namespace
