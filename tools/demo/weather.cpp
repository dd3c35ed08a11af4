#include "weather.h"

#include <algorithm>
#include <cmath>

namespace tidemark::demo {

int FloodStormStart(const Timeline& timeline) { return timeline.ModelIndexOf(timeline.now) - 34 * kStepsPerHour; }

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kHour = kStepsPerHour;
constexpr int kDay = kStepsPerDay;

double HourOfDay(const Timeline& tl, int modelIndex) {
    Minutes t = tl.ModelTimeAt(modelIndex);
    return static_cast<double>(t - MidnightOf(t)) / 60.0;
}

// Rain shape of one storm, normalised to its depth: one or more bursts over a steady
// background, with correlated multiplicative noise from step to step.
std::vector<double> StormProfile(const Storm& s, Random& r) {
    std::vector<double> p(static_cast<size_t>(s.length), 0.0);
    const double n = s.length;
    int bursts = s.convective ? 1 : 1 + static_cast<int>(r.Uniform() * 3);
    double background = s.convective ? 0.03 : 0.25;
    struct Burst {
        double centre, width, amplitude;
    };
    std::vector<Burst> list;
    for (int b = 0; b < bursts; ++b) {
        if (s.convective)
            list.push_back({r.Uniform(0.3, 0.6) * n, r.Uniform(0.15, 0.25) * n, 1.0});
        else
            list.push_back({r.Uniform(0.15, 0.85) * n, r.Uniform(0.06, 0.2) * n, r.Uniform(0.5, 1.5)});
    }
    double noise = 0;
    for (int i = 0; i < s.length; ++i) {
        double e = background;
        for (const auto& b : list) {
            double z = (i + 0.5 - b.centre) / b.width;
            e += b.amplitude * std::exp(-0.5 * z * z);
        }
        noise = 0.75 * noise + 0.45 * r.Normal();
        p[static_cast<size_t>(i)] = e * std::exp(noise);
    }
    double sum = 0;
    for (double v : p) sum += v;
    for (double& v : p) v *= s.depth / sum;
    return p;
}

bool Overlaps(const Storm& s, int from, int to) { return s.start < to && s.start + s.length > from; }

std::vector<Storm> PlanStorms(const Timeline& tl, Random& r) {
    const int length = tl.ModelLength();
    const int now = tl.ModelIndexOf(tl.now);
    std::vector<Storm> storms;
    double t = r.Exponential(3.0) * kDay;
    while (t < length) {
        Storm s;
        s.start = static_cast<int>(t);
        s.convective = r.Chance(0.3);
        if (s.convective) {
            s.length = static_cast<int>(r.Uniform(1.0, 3.5) * kHour);
            s.depth = std::clamp(r.LogNormal(0.4, 0.6), 0.05, 1.5);
        } else {
            s.length = static_cast<int>(std::clamp(r.LogNormal(9.0, 0.45), 3.0, 30.0) * kHour);
            s.depth = std::clamp(r.LogNormal(0.42, 0.65), 0.04, 2.0);
        }
        storms.push_back(s);
        t += s.length + r.Exponential(3.0) * kDay;
    }
    // A dry spell a month back, and the last week kept for the storms the demo needs
    // to show: a shower, a flood cresting on the river now and a smaller storm in the
    // forecast.
    std::erase_if(storms, [&](const Storm& s) {
        return Overlaps(s, now - 38 * kDay, now - 27 * kDay) || Overlaps(s, now - 8 * kDay, length);
    });
    storms.push_back(Storm{now - 84 * kHour, 3 * kHour, 0.15 + r.Uniform(0, 0.1), false});
    storms.push_back(Storm{FloodStormStart(tl), 11 * kHour, 2.1 + r.Uniform(0, 0.4), false});
    storms.push_back(Storm{now + 20 * kHour, 9 * kHour, 0.9 + r.Uniform(0, 0.4), false});
    std::sort(storms.begin(), storms.end(), [](const Storm& a, const Storm& b) { return a.start < b.start; });
    return storms;
}

struct GaugeBias {
    double factor;
};
constexpr GaugeBias kGaugeBias[kGaugeCount] = {{1.12}, {1.0}, {0.95}, {0.9}};

void SpreadRain(const Timeline& tl, Weather& w, Random& r, double floodScale) {
    const int length = tl.ModelLength();
    for (auto& v : w.rainTrue) v.assign(static_cast<size_t>(length), 0.0);
    std::vector<double> radarTrue(static_cast<size_t>(length), 0.0);
    for (const Storm& s : w.storms) {
        std::vector<double> profile = StormProfile(s, r);
        // The flood storm carries a thunderstorm cell near its end: the short-duration
        // depths the frequency graphs rank.
        bool flood = s.start == FloodStormStart(tl);
        if (flood) {
            double cell = 0.8 + r.Uniform(0, 0.25);
            for (double& v : profile) v *= (s.depth - cell) / s.depth;
            int centre = static_cast<int>(s.length * 0.6);
            double sum = 0;
            std::vector<double> add(profile.size(), 0.0);
            for (size_t i = 0; i < profile.size(); ++i) {
                double z = (static_cast<double>(i) - centre) / 2.5;
                add[i] = std::exp(-0.5 * z * z);
                sum += add[i];
            }
            for (size_t i = 0; i < profile.size(); ++i) profile[i] = (profile[i] + cell * add[i] / sum) * floodScale;
        }
        int move = 1 + static_cast<int>(r.Uniform() * 5);
        double spread = flood ? 0.08 : (s.convective ? 0.6 : 0.25);
        double radarBias = r.LogNormal(0.88, 0.2);
        for (int g = 0; g < kGaugeCount; ++g) {
            double factor = kGaugeBias[g].factor * std::clamp(r.LogNormal(1.0, spread), 0.55, 1.6);
            for (int i = 0; i < s.length; ++i) {
                int at = s.start + i + g * move;
                if (at < 0 || at >= length) continue;
                double v = profile[static_cast<size_t>(i)] * factor * r.LogNormal(1.0, 0.25);
                w.rainTrue[static_cast<size_t>(g)][static_cast<size_t>(at)] += v;
                if (g == kCedarRidgeGauge) radarTrue[static_cast<size_t>(at)] += v * radarBias * r.LogNormal(1.0, 0.35);
            }
        }
    }
    for (int g = 0; g < kGaugeCount; ++g)
        w.rainGauge[static_cast<size_t>(g)] = RecordAsTips(w.rainTrue[static_cast<size_t>(g)]);
    w.radarRain = RecordAsTips(radarTrue);
}

// Cloud cover follows the storms: it thickens over a few hours before the rain and
// clears over a few hours after.
void ComputeCloud(const Timeline& tl, Weather& w) {
    const int length = tl.ModelLength();
    std::vector<double> active(static_cast<size_t>(length), 0.0);
    for (const Storm& s : w.storms)
        for (int i = std::max(0, s.start); i < std::min(length, s.start + s.length); ++i)
            active[static_cast<size_t>(i)] = 1.0;
    std::vector<double> after(active.size()), before(active.size());
    const double clear = 1.0 - std::exp(-1.0 / (4.0 * kHour));
    const double build = 1.0 - std::exp(-1.0 / (3.0 * kHour));
    double c = 0;
    for (size_t i = 0; i < active.size(); ++i) after[i] = c = c + (active[i] - c) * clear;
    c = 0;
    for (size_t i = active.size(); i-- > 0;) before[i] = c = c + (active[i] - c) * build;
    w.cloud.resize(active.size());
    for (size_t i = 0; i < active.size(); ++i) w.cloud[i] = std::max({active[i], after[i], before[i]});
}

// Strength of the nearest storm's passage at step i: negative ahead of its centre,
// positive behind it, scaled by its depth.
double StormPassage(const std::vector<Storm>& storms, int i) {
    double best = 0;
    for (const Storm& s : storms) {
        double hours = static_cast<double>(i - s.Middle()) / kHour;
        if (std::fabs(hours) > 30) continue;
        double weight = std::exp(-(hours / 10) * (hours / 10)) * std::min(1.0, s.depth / 0.5);
        double signedWeight = hours < 0 ? -weight : weight;
        if (std::fabs(signedWeight) > std::fabs(best)) best = signedWeight;
    }
    return best;
}

void ComputeTemperatureAndAir(const Timeline& tl, Weather& w, Random& r) {
    const size_t length = static_cast<size_t>(tl.ModelLength());
    w.airTempCedarRidge.resize(length);
    w.airTempHarborPoint.resize(length);
    w.humidity.resize(length);
    w.pressure.resize(length);
    double synoptic = r.Normal(0, 3.5), pressureDrift = r.Normal(0, 0.1), dewNoise = 0;
    for (size_t i = 0; i < length; ++i) {
        int index = static_cast<int>(i);
        Minutes t = tl.ModelTimeAt(index);
        double doy = DayOfYear(t);
        double hour = HourOfDay(tl, index);
        double seasonal = 54.0 + 22.0 * std::cos(2 * kPi * (doy - 200) / 365.25);
        synoptic = 0.9985 * synoptic + 0.2 * r.Normal();
        double c = w.cloud[i];
        double diurnal = std::cos(2 * kPi * (hour - 15.0) / 24.0) + 0.25 * std::cos(4 * kPi * (hour - 13.0) / 24.0);
        double inland = seasonal - 4.0 + synoptic + 9.5 * diurnal * (1 - 0.7 * c) - 3.0 * c;
        double coast = seasonal + 1.5 + 0.7 * synoptic + 5.0 * diurnal * (1 - 0.7 * c) - 2.0 * c;
        w.airTempCedarRidge[i] = RoundStored(inland + r.Normal(0, 0.1), {1, 0});
        w.airTempHarborPoint[i] = RoundStored(coast + r.Normal(0, 0.1), {1, 0});

        // Humidity from a dew point that rises toward the air temperature in rain.
        dewNoise = 0.995 * dewNoise + 0.2 * r.Normal();
        double dewF = seasonal + 0.7 * synoptic - 12.0 + 11.0 * c + dewNoise;
        double tC = (coast - 32) / 1.8, dC = (std::min(dewF, coast) - 32) / 1.8;
        double rh = 100.0 * std::exp(17.625 * dC / (243.04 + dC) - 17.625 * tC / (243.04 + tC));
        w.humidity[i] = RoundStored(std::clamp(rh + r.Normal(0, 0.8), 8.0, 100.0), {0, 0});

        pressureDrift = 0.9995 * pressureDrift + 0.004 * r.Normal();
        double dip = 0;
        for (const Storm& s : w.storms) {
            double hours = static_cast<double>(index - s.Middle()) / kHour;
            if (std::fabs(hours) < 48) dip += 0.12 * std::min(s.depth, 2.5) * std::exp(-(hours / 14) * (hours / 14));
        }
        double p = 30.02 + pressureDrift - dip + 0.02 * std::cos(4 * kPi * (hour - 10.0) / 24.0);
        w.pressure[i] = RoundStored(p + r.Normal(0, 0.003), {2, 0});
    }
}

void ComputeWind(const Timeline& tl, Weather& w, Random& r) {
    const size_t length = static_cast<size_t>(tl.ModelLength());
    w.windDirection.resize(length);
    w.windSpeed.resize(length);
    double angle = 3.0, gust = 0, swing = r.Normal(0, 0.6);
    for (size_t i = 0; i < length; ++i) {
        int index = static_cast<int>(i);
        double hour = HourOfDay(tl, index);
        double passage = StormPassage(w.storms, index);
        // Ahead of a storm the wind backs to the south-southeast; behind it, it veers to
        // the west-northwest; otherwise it settles back to the prevailing westerly.
        // Between storms the prevailing direction swings slowly with the weather pattern.
        swing = 0.999 * swing + 0.027 * r.Normal();
        double prevailing = 3.0 + std::clamp(swing, -1.6, 1.2);
        double target = passage < 0 ? prevailing + 1.3 * passage : prevailing + 0.45 * passage;
        double diff = std::remainder(target - angle, 4.0);
        gust = 0.97 * gust + 0.5 * r.Normal();
        double speed = 5.5 + 3.5 * std::max(0.0, std::cos(2 * kPi * (hour - 15.0) / 24.0)) +
                       14.0 * std::fabs(passage) * w.cloud[i] + gust;
        speed = std::max(0.0, speed);
        double wander = speed < 3 ? 0.12 : 0.04;
        angle += 0.02 * diff + r.Normal(0, wander);
        angle = std::fmod(angle, 4.0);
        if (angle < 0) angle += 4.0;
        double stored = RoundStored(angle, {2, 0});
        w.windDirection[i] = stored >= 4.0 ? 0.0 : stored;
        w.windSpeed[i] = RoundStored(speed, {1, 0});
    }
}

// Hargreaves reference ET from each day's temperature range, spread over daylight.
void ComputeEvapotranspiration(const Timeline& tl, Weather& w) {
    const int length = tl.ModelLength();
    w.evapotranspiration.assign(static_cast<size_t>(length), 0.0);
    int firstMidnight = tl.ModelIndexOf(MidnightOf(tl.ModelTimeAt(0)));
    for (int day = firstMidnight; day < length; day += kDay) {
        int end = std::min(length, day + kDay);
        double tmax = -1e9, tmin = 1e9, cloudSum = 0;
        for (int i = std::max(day, 0); i < end; ++i) {
            tmax = std::max(tmax, w.airTempCedarRidge[static_cast<size_t>(i)]);
            tmin = std::min(tmin, w.airTempCedarRidge[static_cast<size_t>(i)]);
            cloudSum += w.cloud[static_cast<size_t>(i)];
        }
        if (end - std::max(day, 0) <= 0) continue;
        double cloudMean = cloudSum / (end - std::max(day, 0));
        Minutes t = tl.ModelTimeAt(std::max(day, 0));
        double doy = DayOfYear(t);
        double ra = 10.5 + 5.5 * std::cos(2 * kPi * (doy - 172) / 365.25);  // mm/day of evaporation
        double meanC = ((tmax + tmin) / 2 - 32) / 1.8;
        double rangeC = std::max(0.0, (tmax - tmin) / 1.8);
        double et0 = 0.0023 * ra * (meanC + 17.8) * std::sqrt(rangeC) / 25.4;
        et0 = std::max(0.005, et0 * (1 - 0.6 * cloudMean));
        double dayLength = 12.0 + 2.8 * std::cos(2 * kPi * (doy - 172) / 365.25);
        double sunrise = 13.0 - dayLength / 2;
        std::vector<double> shape(kDay, 0.0);
        double sum = 0;
        for (int k = 0; k < kDay; ++k) {
            double h = (k + 0.5) / kStepsPerHour;
            if (h > sunrise && h < sunrise + dayLength)
                shape[static_cast<size_t>(k)] = std::sin(kPi * (h - sunrise) / dayLength);
            sum += shape[static_cast<size_t>(k)];
        }
        for (int k = 0; k < kDay && day + k < length; ++k) {
            if (day + k < 0) continue;
            w.evapotranspiration[static_cast<size_t>(day + k)] =
                RoundStored(et0 * shape[static_cast<size_t>(k)] / sum, {4, 0});
        }
    }
}

}  // namespace

std::vector<double> RecordAsTips(const std::vector<double>& rain) {
    std::vector<double> out(rain.size(), 0.0);
    double bucket = 0;
    for (size_t i = 0; i < rain.size(); ++i) {
        bucket += rain[i];
        int tips = static_cast<int>(std::floor(bucket / 0.01 + 1e-9));
        if (tips > 0) {
            out[i] = tips / 100.0;
            bucket -= tips * 0.01;
        }
    }
    return out;
}

Weather SynthesizeRain(const Timeline& timeline, const Random& seedRandom, double floodScale) {
    Weather w;
    Random stormRandom = seedRandom.Stream(1);
    Random rainRandom = seedRandom.Stream(2);
    w.storms = PlanStorms(timeline, stormRandom);
    for (Storm& s : w.storms)
        if (s.start == FloodStormStart(timeline)) s.depth *= floodScale;
    SpreadRain(timeline, w, rainRandom, floodScale);
    return w;
}

void CompleteWeather(const Timeline& timeline, const Random& seedRandom, Weather& w) {
    Random airRandom = seedRandom.Stream(3);
    Random windRandom = seedRandom.Stream(4);
    ComputeCloud(timeline, w);
    ComputeTemperatureAndAir(timeline, w, airRandom);
    ComputeWind(timeline, w, windRandom);
    ComputeEvapotranspiration(timeline, w);
}

}  // namespace tidemark::demo
