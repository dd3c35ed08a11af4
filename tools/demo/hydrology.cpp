#include "hydrology.h"

#include <algorithm>
#include <cmath>

namespace tidemark::demo {
namespace {

constexpr double kSquareFeetPerSquareMile = 27878400.0;
constexpr double kSecondsPerStep = kStepMinutes * 60.0;
constexpr double kPi = 3.14159265358979323846;

// cfs from a depth in inches per step over the basin.
double DepthPerStepToCfs(double inches, double areaSqMi) {
    return inches / 12.0 * areaSqMi * kSquareFeetPerSquareMile / kSecondsPerStep;
}

std::vector<double> UnitHydrograph(double peakHours, double shape) {
    const double scale = peakHours / (shape - 1.0);  // mode of the gamma density
    std::vector<double> w;
    double sum = 0;
    for (int j = 0;; ++j) {
        double hours = (j + 0.5) / kStepsPerHour;
        double v = std::pow(hours / scale, shape - 1.0) * std::exp(-hours / scale);
        w.push_back(v);
        sum += v;
        if (hours > peakHours * 2 && v < 1e-4 * w[static_cast<size_t>(peakHours * kStepsPerHour)]) break;
    }
    for (double& v : w) v /= sum;
    return w;
}

// Mean of a vector's values over `steps` steps ending at index i.
double TrailingMean(const std::vector<double>& v, int i, int steps) {
    double sum = 0;
    int n = 0;
    for (int k = std::max(0, i - steps + 1); k <= i; ++k, ++n) sum += v[static_cast<size_t>(k)];
    return n ? sum / n : 0;
}

}  // namespace

std::vector<double> SimulateBasinFlow(const std::vector<double>& rain, const BasinParameters& p) {
    const size_t n = rain.size();
    const std::vector<double> uh = UnitHydrograph(p.peakHours, p.gammaShape);
    std::vector<double> flow(n, 0.0);
    const double perc = p.percolationPerDay / kStepsPerDay;
    const double drying = p.soilDryingPerDay / kStepsPerDay;
    const double recession = 1.0 / (p.groundwaterDays * kStepsPerDay);
    double soil = p.soilStart;
    double groundwater = p.baseflowCfs / DepthPerStepToCfs(1.0, p.areaSqMi) / recession;
    for (size_t i = 0; i < n; ++i) {
        double rainNow = rain[i];
        double wetness = soil / p.soilCapacity;
        double quick = rainNow * (0.02 + 0.45 * wetness * wetness);
        soil += rainNow - quick;
        if (soil > p.soilCapacity) {
            quick += soil - p.soilCapacity;
            soil = p.soilCapacity;
        }
        double down = soil * perc;
        soil -= down + soil * drying;
        groundwater += down;
        double base = groundwater * recession;
        groundwater -= base;
        flow[i] += DepthPerStepToCfs(base, p.areaSqMi);
        if (quick > 0) {
            double q = DepthPerStepToCfs(quick, p.areaSqMi);
            for (size_t j = 0; j < uh.size() && i + j < n; ++j) flow[i + j] += q * uh[j];
        }
    }
    return flow;
}

double Rating::Flow(double stage) const {
    return stage <= offset ? 0.0 : coefficient * std::pow(stage - offset, exponent);
}

double Rating::Stage(double flow) const { return offset + std::pow(std::max(0.0, flow) / coefficient, 1.0 / exponent); }

RiverRun RunRiver(const Timeline& tl, const Weather& w, int changeFrom, double rainFactor) {
    const int length = tl.ModelLength();
    auto rainAt = [&](int gauge, int i) {
        double v = w.rainTrue[static_cast<size_t>(gauge)][static_cast<size_t>(i)];
        return i >= changeFrom ? v * rainFactor : v;
    };
    std::vector<double> cedarRain(static_cast<size_t>(length)), willowRain(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) {
        cedarRain[static_cast<size_t>(i)] = 0.55 * rainAt(kCedarRidgeGauge, i) + 0.45 * rainAt(kHollowPineGauge, i);
        willowRain[static_cast<size_t>(i)] =
            0.3 * rainAt(kCedarRidgeGauge, i) + 0.3 * rainAt(kHollowPineGauge, i) + 0.4 * rainAt(kMillFallsGauge, i);
    }
    RiverRun run;
    BasinParameters cedar{64, 5.0, 3.2, 3.0, 1.3, 0.04, 0.06, 25, 38};
    BasinParameters willow{250, 15.0, 3.6, 3.5, 1.5, 0.035, 0.05, 35, 160};
    run.cedarCreekFlow = SimulateBasinFlow(cedarRain, cedar);
    std::vector<double> willowLocal = SimulateBasinFlow(willowRain, willow);

    // Lake Tamsin: 1850 acres at the guide elevation; the gates are set each morning at
    // 08:00 from the last day's inflow and the lake's height over the guide curve; above
    // the spillway crest the emergency spillway adds its own outflow.
    const double lakeArea = 1850.0 * 43560.0;
    const double guide = 1246.0, crest = 1248.5;
    run.lakeElevation.resize(static_cast<size_t>(length));
    run.lakeRelease.resize(static_cast<size_t>(length));
    std::vector<double> inflow(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) inflow[static_cast<size_t>(i)] = 1.25 * run.cedarCreekFlow[static_cast<size_t>(i)];
    double elevation = 1245.7;
    double gate = 50;
    for (int i = 0; i < length; ++i) {
        Minutes t = tl.ModelTimeAt(i);
        if (i == 0 || (HourOf(t) == 8 && MinuteOfHour(t) == 0)) {
            // Operators move the gates gradually: at most 40% (or 50 cfs) a day.
            double want = TrailingMean(inflow, i, 2 * kStepsPerDay) + (elevation - guide) * 400.0;
            double step = std::max(50.0, 0.4 * gate);
            if (i > 0) want = std::clamp(want, gate - step, gate + step);
            gate = std::round(std::clamp(want, 35.0, 1500.0) / 5.0) * 5.0;
        }
        double spill = elevation > crest ? 3000.0 * std::pow(elevation - crest, 1.5) : 0.0;
        double out = gate + spill;
        elevation += (inflow[static_cast<size_t>(i)] - out) * kSecondsPerStep / lakeArea;
        run.lakeElevation[static_cast<size_t>(i)] = elevation;
        run.lakeRelease[static_cast<size_t>(i)] = out;
    }

    // Mill Falls: the local basin plus the lake's release, six hours down the river.
    const int releaseLag = 6 * kStepsPerHour;
    run.millFallsFlow.resize(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) {
        double release = run.lakeRelease[static_cast<size_t>(std::max(0, i - releaseLag))];
        run.millFallsFlow[static_cast<size_t>(i)] = willowLocal[static_cast<size_t>(i)] + release;
    }

    // Harbor Point: eight hours further down, where the tide sets the level at low flow.
    const int harborLag = 8 * kStepsPerHour;
    run.harborPointStage.resize(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) {
        double q = 1.12 * run.millFallsFlow[static_cast<size_t>(std::max(0, i - harborLag))];
        double hours = static_cast<double>(tl.ModelTimeAt(i) - tl.first) / 60.0;
        double tide = 1.1 * std::cos(2 * kPi * (hours - 3.2) / 12.42) + 0.25 * std::cos(2 * kPi * (hours - 1.0) / 12.0);
        run.harborPointStage[static_cast<size_t>(i)] = 2.0 + std::pow(q / 95.0, 0.55) + tide;
    }
    return run;
}

}  // namespace tidemark::demo
