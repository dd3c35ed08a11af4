#pragma once
// Rain to river: a soil-moisture loss model and a gamma unit hydrograph per basin, a
// linear groundwater store for baseflow, Lake Tamsin with its release rule, and the
// rating curves that turn flow into stage. All vectors are on the model grid.
#include <vector>

#include "demo_series.h"
#include "weather.h"

namespace tidemark::demo {

struct BasinParameters {
    double areaSqMi = 100;
    double peakHours = 6;  // time to peak of the unit hydrograph
    double gammaShape = 3.5;
    double soilCapacity = 3.0;  // inches
    double soilStart = 1.2;
    double percolationPerDay = 0.04;
    double soilDryingPerDay = 0.06;
    double groundwaterDays = 30;  // baseflow recession constant
    double baseflowCfs = 50;      // baseflow the groundwater store starts at
};

// Flow in cfs from basin-average rain (inches per 5-minute step).
std::vector<double> SimulateBasinFlow(const std::vector<double>& rain, const BasinParameters& p);

// A power-law rating Q = C (h - h0)^b.
struct Rating {
    double coefficient, offset, exponent;
    double Flow(double stage) const;
    double Stage(double flow) const;
};

inline constexpr Rating kMillFallsRating{38.0, 0.8, 1.85};
inline constexpr Rating kCedarCreekRating{60.0, 0.5, 1.9};

// One run of the river system. Rain after `changeFrom` (a model index) is multiplied by
// `rainFactor`: the quantitative precipitation forecast of a forecast or model trace.
struct RiverRun {
    std::vector<double> cedarCreekFlow;
    std::vector<double> lakeElevation;
    std::vector<double> lakeRelease;
    std::vector<double> millFallsFlow;
    std::vector<double> harborPointStage;
};

RiverRun RunRiver(const Timeline& timeline, const Weather& weather, int changeFrom, double rainFactor);

// Mill Falls flood categories (ft).
inline constexpr double kMillFallsAction = 11.0;
inline constexpr double kMillFallsMinor = 12.0;
inline constexpr double kMillFallsModerate = 15.0;
inline constexpr double kMillFallsMajor = 18.0;

}  // namespace tidemark::demo
