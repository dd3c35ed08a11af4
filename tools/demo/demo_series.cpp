#include "demo_series.h"

#include <cmath>
#include <stdexcept>

namespace tidemark::demo {
namespace {

enum Station : int {
    kCedarRidge = 11,
    kHollowPine = 12,
    kMillFalls = 13,
    kHarborPoint = 14,
    kLakeTamsin = 15,
    kCedarCreekGauge = 16,
    kRiverForecastCentre = 17,
};

SeriesInfo Make(int dsid, const char* site, int datatype, const char* datatypeName, const char* unit, int station,
                Aggregation aggregation, Rounding rounding, bool forecast, bool extremes) {
    SeriesInfo s;
    s.dsid = dsid;
    s.siteName = site;
    s.datatypeId = datatype;
    s.datatypeName = datatypeName;
    s.unitName = unit;
    s.stationId = station;
    s.aggregation = aggregation;
    s.rounding = rounding;
    s.forecast = forecast;
    s.dailyExtremes = extremes;
    return s;
}

std::vector<SeriesInfo> BuildSeries() {
    const Rounding two{2, 0}, one{1, 0}, whole{0, 0}, four{4, 0}, flow{0, 3};
    using A = Aggregation;
    return {
        Make(kRainCedarRidge, "Cedar Ridge", 10, "Precipitation", "inches", kCedarRidge, A::Sum, two, false, false),
        Make(kRainHollowPine, "Hollow Pine", 10, "Precipitation", "inches", kHollowPine, A::Sum, two, false, false),
        Make(kRainMillFalls, "Mill Falls", 10, "Precipitation", "inches", kMillFalls, A::Sum, two, false, false),
        Make(kRainHarborPoint, "Harbor Point", 10, "Precipitation", "inches", kHarborPoint, A::Sum, two, false, false),
        Make(kRadarCedarRidge, "Cedar Ridge Radar Estimate", 10, "Precipitation", "inches", kCedarRidge, A::Sum, two,
             false, false),
        Make(kStageMillFalls, "Willow River at Mill Falls", 65, "Gage Height", "ft", kMillFalls, A::Mean, two, false,
             true),
        Make(kStageCedarCreek, "Cedar Creek near Hollow Pine", 65, "Gage Height", "ft", kCedarCreekGauge, A::Mean, two,
             false, true),
        Make(kStageHarborPoint, "Willow River at Harbor Point", 65, "Gage Height", "ft", kHarborPoint, A::Mean, two,
             false, true),
        Make(kForecastStageMillFalls, "Willow River at Mill Falls Forecast", 66, "Forecast Gage Height", "ft",
             kRiverForecastCentre, A::Mean, one, true, false),
        Make(kFlowMillFalls, "Willow River at Mill Falls", 19, "Discharge", "cfs", kMillFalls, A::Mean, flow, false,
             true),
        Make(kFlowCedarCreek, "Cedar Creek near Hollow Pine", 19, "Discharge", "cfs", kCedarCreekGauge, A::Mean, flow,
             false, true),
        Make(kLakeTamsinElevation, "Lake Tamsin", 49, "Reservoir Elevation", "ft", kLakeTamsin, A::Mean, two, false,
             true),
        Make(kLakeTamsinRelease, "Lake Tamsin Release", 19, "Discharge", "cfs", kLakeTamsin, A::Mean, flow, false,
             false),
        Make(kAirTempCedarRidge, "Cedar Ridge", 1, "Air Temperature", "deg F", kCedarRidge, A::Mean, one, false, true),
        Make(kAirTempHarborPoint, "Harbor Point", 1, "Air Temperature", "deg F", kHarborPoint, A::Mean, one, false,
             true),
        Make(kHumidityHarborPoint, "Harbor Point", 28, "Relative Humidity", "%", kHarborPoint, A::Mean, whole, false,
             true),
        Make(kPressureHarborPoint, "Harbor Point", 29, "Barometric Pressure", "in Hg", kHarborPoint, A::Mean, two,
             false, false),
        Make(kWindDirectionHarborPoint, "Harbor Point", 47, "Wind Direction", "direction", kHarborPoint, A::Direction,
             two, false, false),
        Make(kWindSpeedHarborPoint, "Harbor Point", 46, "Wind Speed", "mph", kHarborPoint, A::Mean, one, false, true),
        Make(kEvapotranspirationCedarRidge, "Cedar Ridge", 27, "Evapotranspiration", "inches", kCedarRidge, A::Sum,
             four, false, false),
    };
}

}  // namespace

const std::vector<SeriesInfo>& DemoSeries() {
    static const std::vector<SeriesInfo> series = BuildSeries();
    return series;
}

const SeriesInfo& SeriesById(int dsid) {
    for (const auto& s : DemoSeries())
        if (s.dsid == dsid) return s;
    throw std::out_of_range("no demo series " + std::to_string(dsid));
}

double RoundStored(double value, const Rounding& rounding) {
    if (rounding.significant > 0) {
        if (value == 0) return 0;
        int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
        int decimals = rounding.significant - 1 - magnitude;
        if (decimals < 0) {
            double scale = std::pow(10.0, -decimals);
            return std::round(value / scale) * scale;
        }
        if (decimals > 2) decimals = 2;  // small flows keep two decimals at most
        double scale = std::pow(10.0, decimals);
        return std::round(value * scale) / scale;
    }
    double scale = std::pow(10.0, rounding.decimals);
    double r = std::round(value * scale) / scale;
    return r == 0 ? 0 : r;  // no negative zero in the database
}

Timeline::Timeline(Minutes nowMinutes) : now(nowMinutes) {
    first = MidnightOf(now) - static_cast<Minutes>(kHistoryDays - 1) * kMinutesPerDay;
}

}  // namespace tidemark::demo
