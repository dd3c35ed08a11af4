#include "render/graph_kinds.h"

#include <cmath>
#include <cstdlib>

#include "analysis/frequency.h"
#include "core/color.h"
#include "core/vbtext.h"

namespace tidemark {

bool IsTotalsIdentifier(int id) {
    int a = std::abs(id);
    return a >= 9000 && a <= 9999;
}

int EffectiveOption(const GraphDef& def) {
    if (def.hasdsid2 != 0 || def.freqtype == FreqType::DepthDuration) return kTwoSeriesOption;
    return def.rankcum;
}

void AccumulateColumn(std::vector<double>& values, int first, int last, bool accumulate) {
    RunningTotal total;
    if (first < 0) first = 0;
    for (int r = first; r <= last && r < static_cast<int>(values.size()); ++r) {
        double& v = values[static_cast<size_t>(r)];
        if (!IsMissing(v)) v = total.Add(v, accumulate);
    }
}

double RoundedTotal(double total) { return FormatRound(total, total > 50 ? "0" : "0.00"); }

KindLegends LegendsFor(const GraphDef& def) {
    KindLegends legends;
    int option = EffectiveOption(def);
    bool years = UsesFrequencyTable(def.freqtype);
    if (def.freqtype == FreqType::Recurrence) {
        legends.main = "Frequecy";
        legends.second = "Series 2";
    }
    if (option == RankCum::Ranked) legends.second = "Rank";
    if (option == kTwoSeriesOption && !years) legends.second = "Series 2";
    if (option == kTwoSeriesOption && years) {
        legends.main = "Frequecy";
        if (def.freqtype == FreqType::DepthDuration) legends.second = "Rainfall";
    }
    return legends;
}

double FrequencyFactor(double z, double skew) {
    if (skew == 0) return z;
    double w = 1 + skew * (z - skew / 6) / 6;
    return (w * w * w - 1) * 2 / skew;
}

double DeviateForFactor(double k, double skew) {
    if (skew == 0) return k;
    return 6 / skew * (std::cbrt(1 + skew * k / 2) - 1) + skew / 6;
}

bool ReturnPeriod(double largest, FreqType freqtype, double mean, double sd, double skew, float& years) {
    if (!(largest > 0) || !(sd > 0) || !std::isfinite(mean) || !std::isfinite(skew)) return false;
    // The value exceeded with probability 0.999: the bottom of the fitted distribution.
    double bottom = mean + FrequencyFactor(funk(0.999), skew) * sd;
    if (freqtype == FreqType::LogProbability) bottom = std::pow(10.0, bottom);
    if (largest < bottom) {
        years = static_cast<float>(largest / bottom);
        return std::isfinite(years);
    }
    double y = freqtype == FreqType::LogProbability ? std::log10(largest) : largest;
    double factor = (y - mean) / sd;
    // The standard normal deviate with the same exceedance probability as this factor
    // under the skewed distribution.
    float p = funp(DeviateForFactor(factor, skew));
    years = 1.0f / p;
    return std::isfinite(years);
}

std::string ReturnPeriodText(float years) {
    // Compared in single precision, as the period is held, so that 9.95 shows as 10.
    const char* mask = years >= 9.95f ? "0" : (years >= 2.0f ? "0.0" : "0.00");
    return ", P=" + Format(years, mask) + "yrs";
}

}  // namespace tidemark
