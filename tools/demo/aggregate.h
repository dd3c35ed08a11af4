#pragma once
// Hourly and daily values from unit values, the way the companion loader fills rhour,
// rday, rdaymax and rdaymin: hours and days are stamped at their start; a daily
// maximum or minimum is stamped at the unit value where it occurred.
#include <cmath>
#include <limits>
#include <vector>

#include "demo_series.h"

namespace tidemark::demo {

inline constexpr double kNoRow = std::numeric_limits<double>::quiet_NaN();
inline bool HasRow(double v) { return !std::isnan(v); }

struct Row {
    Minutes time = 0;
    double value = 0;
};

struct Aggregates {
    std::vector<Row> hourly, daily, dailyMax, dailyMin;
};

// `values` has one entry per written step of the timeline (kNoRow where no row is
// written). Extremes only come from steps up to `lastExtremeIndex`.
Aggregates Aggregate(const std::vector<double>& values, const Timeline& timeline, const SeriesInfo& series,
                     int lastExtremeIndex);

// One period's value from its unit values.
double CombinePeriod(const double* values, int count, Aggregation aggregation, const Rounding& rounding);

}  // namespace tidemark::demo
