#include "aggregate.h"

#include <algorithm>

namespace tidemark::demo {
namespace {

constexpr double kQuarterTurn = 1.5707963267948966;

void AddPeriods(const std::vector<double>& values, const Timeline& tl, const SeriesInfo& s, int stepsPerPeriod,
                std::vector<Row>& out) {
    const int n = static_cast<int>(values.size());
    for (int start = 0; start < n; start += stepsPerPeriod) {
        int count = std::min(stepsPerPeriod, n - start);
        bool any = false;
        for (int k = 0; k < count && !any; ++k) any = HasRow(values[static_cast<size_t>(start + k)]);
        if (!any) continue;
        out.push_back(Row{tl.TimeAt(start),
                          CombinePeriod(&values[static_cast<size_t>(start)], count, s.aggregation, s.rounding)});
    }
}

}  // namespace

double CombinePeriod(const double* values, int count, Aggregation aggregation, const Rounding& rounding) {
    double sum = 0, east = 0, north = 0;
    int n = 0;
    for (int k = 0; k < count; ++k) {
        double v = values[k];
        if (!HasRow(v)) continue;
        ++n;
        sum += v;
        east += std::sin(v * kQuarterTurn);
        north += std::cos(v * kQuarterTurn);
    }
    switch (aggregation) {
        case Aggregation::Sum: return RoundStored(sum, rounding);
        case Aggregation::Mean: return RoundStored(sum / n, rounding);
        case Aggregation::Direction: {
            double turns = std::atan2(east, north) / kQuarterTurn;
            if (turns < 0) turns += 4.0;
            double r = RoundStored(turns, rounding);
            return r >= 4.0 ? 0.0 : r;
        }
    }
    return sum;
}

Aggregates Aggregate(const std::vector<double>& values, const Timeline& tl, const SeriesInfo& s, int lastExtremeIndex) {
    Aggregates a;
    AddPeriods(values, tl, s, kStepsPerHour, a.hourly);
    AddPeriods(values, tl, s, kStepsPerDay, a.daily);
    if (!s.dailyExtremes) return a;
    const int last = std::min(lastExtremeIndex, static_cast<int>(values.size()) - 1);
    for (int start = 0; start <= last; start += kStepsPerDay) {
        int maxAt = -1, minAt = -1;
        for (int i = start; i < start + kStepsPerDay && i <= last; ++i) {
            double v = values[static_cast<size_t>(i)];
            if (!HasRow(v)) continue;
            if (maxAt < 0 || v > values[static_cast<size_t>(maxAt)]) maxAt = i;
            if (minAt < 0 || v < values[static_cast<size_t>(minAt)]) minAt = i;
        }
        if (maxAt < 0) continue;
        a.dailyMax.push_back(Row{tl.TimeAt(maxAt), values[static_cast<size_t>(maxAt)]});
        a.dailyMin.push_back(Row{tl.TimeAt(minAt), values[static_cast<size_t>(minAt)]});
    }
    return a;
}

}  // namespace tidemark::demo
