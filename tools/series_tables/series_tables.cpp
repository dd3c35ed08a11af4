#include "series_tables.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace tidemark::series_tables {
namespace {

constexpr double kQuarterTurn = 1.5707963267948966;

// Whether `count` values make the period [start, start + length) complete enough.
bool Enough(int count, Seconds start, Seconds length, Seconds step, Seconds seriesEnd) {
    Seconds covered = std::min(start + length, seriesEnd + step) - start;
    double expected = static_cast<double>(std::max<Seconds>(covered, 0)) / static_cast<double>(step);
    double required = std::max(1.0, std::ceil(expected * kRequiredShare - 1e-9));
    return count >= required;
}

// Calls visit(start, first, last) for each period of `length` holding values.
template <class Visit>
void ForEachPeriod(std::span<const Point> unit, Seconds length, Visit visit) {
    size_t i = 0;
    while (i < unit.size()) {
        Seconds start = length == kDay ? DayStart(unit[i].time) : HourStart(unit[i].time);
        size_t j = i;
        while (j < unit.size() && unit[j].time < start + length) ++j;
        visit(start, unit.subspan(i, j - i));
        i = j;
    }
}

void AddPeriods(std::span<const Point> unit, Aggregation aggregation, Seconds length, Seconds step, Seconds seriesEnd,
                std::vector<Point>& out) {
    ForEachPeriod(unit, length, [&](Seconds start, std::span<const Point> values) {
        if (Enough(static_cast<int>(values.size()), start, length, step, seriesEnd))
            out.push_back(Point{start, CombinePeriod(values, aggregation)});
    });
}

}  // namespace

Seconds UsualStep(std::span<const Point> unit) {
    if (unit.size() < 2) return kDay;
    std::map<Seconds, int> counts;
    for (size_t i = 1; i < unit.size(); ++i) ++counts[unit[i].time - unit[i - 1].time];
    Seconds best = kDay;
    int bestCount = 0;
    for (const auto& [step, count] : counts)
        if (step > 0 && count > bestCount) best = step, bestCount = count;
    return best;
}

double CombinePeriod(std::span<const Point> values, Aggregation aggregation) {
    double sum = 0, east = 0, north = 0;
    for (const Point& p : values) {
        sum += p.value;
        if (aggregation == Aggregation::Direction) {
            east += std::sin(p.value * kQuarterTurn);
            north += std::cos(p.value * kQuarterTurn);
        }
    }
    switch (aggregation) {
        case Aggregation::Sum: return sum;
        case Aggregation::Mean: return sum / static_cast<double>(values.size());
        case Aggregation::Direction: {
            double turns = std::atan2(east, north) / kQuarterTurn;
            return turns < 0 ? turns + 4.0 : turns;
        }
    }
    return sum;
}

Tables HourlyAndDaily(std::span<const Point> unit, Aggregation aggregation, Seconds seriesEnd) {
    Tables t;
    const Seconds step = UsualStep(unit);
    AddPeriods(unit, aggregation, kHour, step, seriesEnd, t.hourly);
    AddPeriods(unit, aggregation, kDay, step, seriesEnd, t.daily);
    return t;
}

void DailyExtremes(std::span<const Point> unit, Seconds seriesEnd, Tables& out) {
    const Seconds step = UsualStep(unit);
    ForEachPeriod(unit, kDay, [&](Seconds start, std::span<const Point> values) {
        if (!Enough(static_cast<int>(values.size()), start, kDay, step, seriesEnd)) return;
        auto lower = [](const Point& a, const Point& b) { return a.value < b.value; };
        out.dailyMax.push_back(*std::max_element(values.begin(), values.end(), lower));
        out.dailyMin.push_back(*std::min_element(values.begin(), values.end(), lower));
    });
}

}  // namespace tidemark::series_tables
