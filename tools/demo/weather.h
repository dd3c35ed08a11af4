#pragma once
// Weather over the model grid: storms and their rain at four gauges (with a radar
// estimate), air temperature, humidity, pressure, wind and evapotranspiration. Every
// vector has Timeline::ModelLength() entries, one per 5-minute step.
#include <array>
#include <vector>

#include "demo_random.h"
#include "demo_series.h"

namespace tidemark::demo {

struct Storm {
    int start = 0;     // model index of the first wet step
    int length = 0;    // steps
    double depth = 0;  // basin-mean inches
    bool convective = false;
    int Middle() const { return start + length / 2; }
};

// Gauge order along the usual storm track, west to east.
enum Gauge { kCedarRidgeGauge, kHollowPineGauge, kMillFallsGauge, kHarborPointGauge, kGaugeCount };

struct Weather {
    std::vector<Storm> storms;
    std::array<std::vector<double>, kGaugeCount> rainTrue;   // rain as it fell
    std::array<std::vector<double>, kGaugeCount> rainGauge;  // as tipping buckets record it (0.01 in)
    std::vector<double> radarRain;                           // radar estimate over Cedar Ridge
    std::vector<double> cloud;                               // 0 clear .. 1 overcast and raining
    std::vector<double> airTempCedarRidge, airTempHarborPoint;
    std::vector<double> humidity, pressure, windDirection, windSpeed;
    std::vector<double> evapotranspiration;  // Cedar Ridge, inches per step
};

// Storms and rain only. Every draw comes from the seed's own streams, so calls that
// differ only in `floodScale` (the depth factor of the storm cresting the river now)
// give the same storms otherwise.
Weather SynthesizeRain(const Timeline& timeline, const Random& seedRandom, double floodScale);

// Cloud, air, wind and evapotranspiration, which follow the storms.
void CompleteWeather(const Timeline& timeline, const Random& seedRandom, Weather& weather);

// The start (model index) of the storm cresting the river now.
int FloodStormStart(const Timeline& timeline);

// Adds 5-minute amounts into 0.01-inch tips, as a tipping-bucket gauge records them.
std::vector<double> RecordAsTips(const std::vector<double>& rain);

}  // namespace tidemark::demo
