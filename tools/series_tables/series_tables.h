#pragma once
// The hourly and daily tables (rhour, rday, rdaymax, rdaymin) computed from unit values,
// by the one rule both tidemark-demo and tidemark-load follow:
//
// - Hours and days are periods of local wall-clock time, stamped at their start; a daily
//   maximum or minimum is stamped at the unit value where it occurred (the first, when
//   the extreme occurs more than once).
// - A period's value is the mean of its unit values (levels, flows, temperatures), their
//   total (rain, evaporation), or their vector mean (directions in quarter turns, so 3.9
//   and 0.1 average to north).
// - A period gets a value only when at least three quarters of the values its series'
//   usual spacing calls for are there: a gauge that was down half the day leaves the day
//   missing rather than giving half a day's rain as its total. The period still running
//   at the end of the series (today, the hour now) is judged on the part up to the
//   series' last value, so it shows what has come in so far.
#include <cstdint>
#include <span>
#include <vector>

namespace tidemark::series_tables {

// Local wall-clock seconds since 1899-12-30 00:00, the program's day zero.
using Seconds = std::int64_t;
inline constexpr Seconds kHour = 3600;
inline constexpr Seconds kDay = 86400;

enum class Aggregation {
    Mean,       // levels, flows, temperatures
    Sum,        // depths: rain, evapotranspiration
    Direction,  // quarter turns (0 to 4): the vector mean
};

struct Point {
    Seconds time = 0;
    double value = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Tables {
    std::vector<Point> hourly, daily, dailyMax, dailyMin;
};

// The share of expected values a period needs.
inline constexpr double kRequiredShare = 0.75;

// The most frequent spacing between consecutive values (the smaller one on a tie); a
// day when there are fewer than two values.
Seconds UsualStep(std::span<const Point> unit);

// Midnight starting the day `t` falls in.
inline Seconds DayStart(Seconds t) { return t - ((t % kDay) + kDay) % kDay; }
inline Seconds HourStart(Seconds t) { return t - ((t % kHour) + kHour) % kHour; }

// Hourly and daily values of `unit` (sorted by time, no time twice). `seriesEnd` is the
// time of the series' last unit value anywhere (it may lie beyond `unit`). Extremes are
// left out; see DailyExtremes.
Tables HourlyAndDaily(std::span<const Point> unit, Aggregation aggregation, Seconds seriesEnd);

// Daily maxima and minima of `unit`, for the days complete enough by the same rule.
void DailyExtremes(std::span<const Point> unit, Seconds seriesEnd, Tables& out);

// One period's value from its values.
double CombinePeriod(std::span<const Point> values, Aggregation aggregation);

}  // namespace tidemark::series_tables
