#pragma once
// The demo basin: the Willow River and its tributary Cedar Creek, the Lake Tamsin
// reservoir on the creek, and the weather stations around them. One entry per series
// the database offers.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "demo_time.h"
#include "series_tables/series_tables.h"

namespace tidemark::demo {

// Identifiers of every series (datatype_site_id). Stages sit in the 2000s and flows in
// the 3000s, the ranges whose flood bands put the action stage one foot under minor.
enum Dsid : int {
    kRainCedarRidge = 1101,
    kRainHollowPine = 1102,
    kRainMillFalls = 1103,
    kRainHarborPoint = 1104,
    kRadarCedarRidge = 1201,
    kStageMillFalls = 2101,
    kStageCedarCreek = 2102,
    kStageHarborPoint = 2103,
    kForecastStageMillFalls = 2301,
    kFlowMillFalls = 3101,
    kFlowCedarCreek = 3102,
    kLakeTamsinElevation = 4101,
    kLakeTamsinRelease = 4102,
    kAirTempCedarRidge = 5101,
    kAirTempHarborPoint = 5102,
    kHumidityHarborPoint = 5103,
    kPressureHarborPoint = 5104,
    kWindDirectionHarborPoint = 6101,
    kWindSpeedHarborPoint = 6102,
    kEvapotranspirationCedarRidge = 7101,
};

// How unit values become hourly and daily values: the loader's rule.
using series_tables::Aggregation;

// A step of the grid where no row is written.
inline constexpr double kNoRow = std::numeric_limits<double>::quiet_NaN();
inline bool HasRow(double v) { return !std::isnan(v); }

struct Row {
    Minutes time = 0;
    double value = 0;
};

// How stored values are rounded.
struct Rounding {
    int decimals = 2;     // decimal places, or
    int significant = 0;  // significant digits when not 0 (flows)
};

struct SeriesInfo {
    int dsid = 0;
    std::string siteName;
    int datatypeId = 0;
    std::string datatypeName;
    std::string unitName;
    int stationId = 0;
    Aggregation aggregation = Aggregation::Mean;
    Rounding rounding;
    bool forecast = false;       // rows continue into the future days
    bool dailyExtremes = false;  // rdaymax / rdaymin rows
};

const std::vector<SeriesInfo>& DemoSeries();
const SeriesInfo& SeriesById(int dsid);

double RoundStored(double value, const Rounding& rounding);

// The 5-minute grid of one demo: observed rows run from the first step to `now`,
// forecast rows on to `now` + 2 days. The models start `spinUpDays` earlier so the
// first written day already has settled soil moisture and baseflow, and run
// `modelTailDays` past the end so model runs made today reach three days ahead.
struct Timeline {
    static constexpr int kHistoryDays = 60;
    static constexpr int kForecastDays = 2;
    static constexpr int kSpinUpDays = 20;
    static constexpr int kModelTailDays = 2;

    Minutes now = 0;
    Minutes first = 0;  // midnight starting the 60 days that end today

    explicit Timeline(Minutes nowMinutes);

    // Written steps: index 0 is `first`.
    int NowIndex() const { return static_cast<int>((now - first) / kStepMinutes); }
    int EndIndex() const { return NowIndex() + kForecastDays * kStepsPerDay; }
    Minutes TimeAt(int index) const { return first + static_cast<Minutes>(index) * kStepMinutes; }

    // Model grid: index 0 is `first` - spin-up.
    int ModelOffset() const { return kSpinUpDays * kStepsPerDay; }
    int ModelLength() const { return ModelOffset() + EndIndex() + kModelTailDays * kStepsPerDay + 1; }
    Minutes ModelTimeAt(int modelIndex) const { return TimeAt(modelIndex - ModelOffset()); }
    int ModelIndexOf(Minutes t) const { return static_cast<int>((t - first) / kStepMinutes) + ModelOffset(); }
};

}  // namespace tidemark::demo
