#include "demo_data.h"

#include <algorithm>
#include <cmath>

#include "hydrology.h"

namespace tidemark::demo {
namespace {

struct TraceKind {
    int trace;
    double rainFactor;
    const char* label;
};
// Traces of each model run: the forecast rain, no more rain, and a wet case.
constexpr TraceKind kTraceKinds[] = {{1, 0.85, "QPF"}, {2, 0.0, "zero QPF"}, {3, 1.5, "QPF x1.5"}};
constexpr int kModelRunDays = 5;
constexpr int kModelRunHour = 6;

class Builder {
public:
    Builder(DemoData& data, const Weather& weather, Random random)
        : d_(data), tl_(data.timeline), w_(weather), r_(random) {}

    void Build() {
        const int nowModel = tl_.ModelIndexOf(tl_.now);
        RiverRun observed = RunRiver(tl_, w_, tl_.ModelLength(), 1.0);
        RiverRun forecast = RunRiver(tl_, w_, nowModel + 1, kTraceKinds[0].rainFactor);
        AddRain();
        AddRiver(observed, forecast);
        AddOfficialForecast(forecast);
        AddWeather();
        AddModelRuns();
    }

private:
    std::vector<double>& Series(int dsid) {
        auto& v = d_.unitValues[dsid];
        v.assign(static_cast<size_t>(tl_.EndIndex() + 1), kNoRow);
        return v;
    }

    // The last step written: a gauge reports up to now; only a forecast looks ahead.
    int LastStep(int dsid) const { return SeriesById(dsid).forecast ? tl_.EndIndex() : tl_.NowIndex(); }

    // Copies model values into the written grid up to and including step `last`.
    void CopyObserved(int dsid, const std::vector<double>& model, int last) {
        auto& out = Series(dsid);
        const Rounding& rounding = SeriesById(dsid).rounding;
        for (int i = 0; i <= last; ++i)
            out[static_cast<size_t>(i)] = RoundStored(model[static_cast<size_t>(i + tl_.ModelOffset())], rounding);
    }

    void AddRain() {
        const int now = tl_.NowIndex();
        CopyObserved(kRainCedarRidge, w_.rainGauge[kCedarRidgeGauge], now);
        CopyObserved(kRainHollowPine, w_.rainGauge[kHollowPineGauge], now);
        CopyObserved(kRainMillFalls, w_.rainGauge[kMillFallsGauge], now);
        CopyObserved(kRadarCedarRidge, w_.radarRain, now);
        // The Harbor Point gauge stopped reporting eight days ago; its graph is switched off.
        d_.harborPointGaugeOffline = MidnightOf(tl_.now) - 8 * kMinutesPerDay + 14 * 60 + 35;
        int last = static_cast<int>((d_.harborPointGaugeOffline - tl_.first) / kStepMinutes);
        CopyObserved(kRainHarborPoint, w_.rainGauge[kHarborPointGauge], std::min(last, now));
    }

    // Observed stage carries sensor noise and flow comes from the rating of the recorded
    // stage, as at a real gauge; forecast values are the smooth model output.
    void AddGauge(int stageDsid, int flowDsid, const Rating& rating, const std::vector<double>& observedFlow,
                  const std::vector<double>& forecastFlow) {
        auto& stage = Series(stageDsid);
        auto& flow = Series(flowDsid);
        const int now = tl_.NowIndex(), end = LastStep(stageDsid);
        for (int i = 0; i <= end; ++i) {
            size_t m = static_cast<size_t>(i + tl_.ModelOffset());
            double h = i <= now ? rating.Stage(observedFlow[m]) + r_.Normal(0, 0.004) : rating.Stage(forecastFlow[m]);
            h = RoundStored(h, {2, 0});
            stage[static_cast<size_t>(i)] = h;
            flow[static_cast<size_t>(i)] = RoundStored(rating.Flow(h), SeriesById(flowDsid).rounding);
        }
    }

    void AddRiver(const RiverRun& observed, const RiverRun& forecast) {
        AddGauge(kStageMillFalls, kFlowMillFalls, kMillFallsRating, observed.millFallsFlow, forecast.millFallsFlow);
        AddGauge(kStageCedarCreek, kFlowCedarCreek, kCedarCreekRating, observed.cedarCreekFlow,
                 forecast.cedarCreekFlow);
        const int now = tl_.NowIndex(), end = LastStep(kStageHarborPoint);
        auto& harbor = Series(kStageHarborPoint);
        auto& lake = Series(kLakeTamsinElevation);
        auto& release = Series(kLakeTamsinRelease);
        for (int i = 0; i <= end; ++i) {
            size_t m = static_cast<size_t>(i + tl_.ModelOffset());
            const RiverRun& run = i <= now ? observed : forecast;
            double noise = i <= now ? 1.0 : 0.0;
            harbor[static_cast<size_t>(i)] = RoundStored(run.harborPointStage[m] + noise * r_.Normal(0, 0.01), {2, 0});
            lake[static_cast<size_t>(i)] = RoundStored(run.lakeElevation[m] + noise * r_.Normal(0, 0.003), {2, 0});
            release[static_cast<size_t>(i)] = RoundStored(run.lakeRelease[m], SeriesById(kLakeTamsinRelease).rounding);
        }
    }

    // The river forecast centre's latest Mill Falls forecast, issued at the last 00, 06,
    // 12 or 18 o'clock: the day before the issue as simulated, then the forecast with
    // an error that grows with lead time, to the end of the forecast days.
    void AddOfficialForecast(const RiverRun& forecast) {
        Minutes issued = tl_.now - (tl_.now - MidnightOf(tl_.now)) % (6 * 60);
        d_.forecastIssued = issued;
        auto& out = Series(kForecastStageMillFalls);
        double bias = r_.Normal(0.3, 0.4);
        int from = std::max(0, static_cast<int>((issued - 24 * 60 - tl_.first) / kStepMinutes));
        for (int i = from; i <= tl_.EndIndex(); ++i) {
            Minutes t = tl_.TimeAt(i);
            double lead = std::max<double>(0, static_cast<double>(t - issued) / (48.0 * 60));
            double h = kMillFallsRating.Stage(forecast.millFallsFlow[static_cast<size_t>(i + tl_.ModelOffset())]);
            out[static_cast<size_t>(i)] = RoundStored(h + bias * lead, {1, 0});
        }
    }

    void AddWeather() {
        const int now = tl_.NowIndex();
        CopyObserved(kAirTempCedarRidge, w_.airTempCedarRidge, now);
        CopyObserved(kAirTempHarborPoint, w_.airTempHarborPoint, now);
        CopyObserved(kHumidityHarborPoint, w_.humidity, now);
        CopyObserved(kPressureHarborPoint, w_.pressure, now);
        CopyObserved(kWindDirectionHarborPoint, w_.windDirection, now);
        CopyObserved(kWindSpeedHarborPoint, w_.windSpeed, now);
        CopyObserved(kEvapotranspirationCedarRidge, w_.evapotranspiration, now);
    }

    // Model runs at 06:00 on each of the last days (today's only once it has been made),
    // run numbers being days of the year. Each trace holds a day of history before the
    // run and three days ahead; hourly values in mhour, 15-minute values in munit.
    void AddModelRuns() {
        Minutes latest = MidnightOf(tl_.now) + kModelRunHour * 60;
        if (latest > tl_.now) latest -= kMinutesPerDay;
        for (int k = kModelRunDays - 1; k >= 0; --k) {
            Minutes runTime = latest - k * kMinutesPerDay;
            int runIndex = tl_.ModelIndexOf(runTime);
            for (const TraceKind& kind : kTraceKinds) {
                RiverRun run = RunRiver(tl_, w_, runIndex + 1, kind.rainFactor);
                AddTrace(runTime, kind, kStageMillFalls, run, true);
                AddTrace(runTime, kind, kFlowMillFalls, run, false);
            }
        }
    }

    void AddTrace(Minutes runTime, const TraceKind& kind, int dsid, const RiverRun& run, bool stage) {
        ModelTrace t;
        t.runId = DayOfYear(runTime);
        t.trace = kind.trace;
        t.runTime = runTime;
        t.dsid = dsid;
        t.setupString = std::string("Willow basin model; rain after run: ") + kind.label;
        const Rounding& rounding = SeriesById(dsid).rounding;
        auto valueAt = [&](Minutes time) {
            double q = run.millFallsFlow[static_cast<size_t>(tl_.ModelIndexOf(time))];
            return RoundStored(stage ? kMillFallsRating.Stage(q) : q, rounding);
        };
        for (Minutes time = runTime - 24 * 60; time <= runTime + 72 * 60; time += 15) {
            if (time < tl_.ModelTimeAt(0) || tl_.ModelIndexOf(time) >= tl_.ModelLength()) continue;
            t.unit.push_back(Row{time, valueAt(time)});
            if ((time - runTime) % 60 == 0) t.hourly.push_back(Row{time, valueAt(time)});
        }
        d_.modelTraces.push_back(std::move(t));
    }

    DemoData& d_;
    const Timeline& tl_;
    const Weather& w_;
    Random r_;
};

// Depth factor of the flood storm that makes Mill Falls crest at the target stage:
// how wet the ground already was varies from seed to seed, and the demo should always
// show the river in its moderate flood band.
double CalibrateFloodStorm(const Timeline& tl, const Random& random) {
    const double target = 0.5 * (kMillFallsModerate + kMillFallsMajor) - 0.5;
    const int from = FloodStormStart(tl), to = tl.ModelIndexOf(tl.now);
    double low = 0.3, high = 3.0;
    for (int iteration = 0; iteration < 9; ++iteration) {
        double scale = 0.5 * (low + high);
        Weather w = SynthesizeRain(tl, random, scale);
        RiverRun run = RunRiver(tl, w, tl.ModelLength(), 1.0);
        double crest = 0;
        for (int i = from; i <= to; ++i) crest = std::max(crest, run.millFallsFlow[static_cast<size_t>(i)]);
        (kMillFallsRating.Stage(crest) < target ? low : high) = scale;
    }
    return 0.5 * (low + high);
}

}  // namespace

DemoData BuildDemoData(Minutes now, uint64_t seed) {
    DemoData data(now);
    Random random(seed);
    Weather weather = SynthesizeRain(data.timeline, random, CalibrateFloodStorm(data.timeline, random));
    CompleteWeather(data.timeline, random, weather);
    Builder(data, weather, random.Stream(5)).Build();
    return data;
}

}  // namespace tidemark::demo
