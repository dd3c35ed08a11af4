#include "analysis/axis.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/vbtext.h"

namespace tidemark {
namespace {

// The runtime's logarithm constant; kept so that scales and cleaning agree with the
// numbers the program has always shown.
constexpr double kLog10OfE = 0.4342945;

bool EndsInNoiseDigit(const std::string& text) { return text[8] == '9' || text[8] == '1'; }

}  // namespace

double Cleanvalue(double x) {
    if (!std::isfinite(x)) return x;
    std::string text = Str(x);
    // Noise shows as a seven-digit text form ending in 9 or 1 (" .1499999"), or as a long
    // mantissa in exponent form.
    bool noisy = false;
    if (text.size() == 9 && EndsInNoiseDigit(text)) noisy = true;
    size_t exponent = text.find('E');
    if (exponent != std::string::npos && exponent >= 9 && EndsInNoiseDigit(text)) noisy = true;
    if (noisy) {
        double magnitude = std::fabs(x);
        auto digits = CInt(5 - Int(std::log(magnitude) * kLog10OfE));
        if (digits) {
            double scale = std::pow(10.0, *digits);
            double rounded = Int(scale * magnitude + 0.5) * (x < 0 ? -1 : 1) / scale;
            // Magnitudes near the ends of the double range cannot be scaled; keep them.
            if (std::isfinite(rounded) && std::isfinite(scale) && scale > 0) x = rounded;
        }
    }
    return Val(Str(x));
}

double Roundsig(double& x) {
    double magnitude = std::fabs(x);
    if (magnitude >= 999.5) {
        x = Int(x / 10 + 0.5) * 10;
    } else if (magnitude >= 9.95) {
        x = FormatRound(x, "########0");
    } else if (magnitude >= 0.995) {
        x = FormatRound(x, "#######0.0");
    } else if (magnitude >= 0.0995) {
        x = FormatRound(x, "########0.00");
    } else if (!std::isnan(x)) {
        x = FormatRound(x, "########0.000");
    }
    return x;
}

NiceAxisResult Niceaxis(double min, double& max) {
    if (max - min == 0) max = min + 1;
    // A reversed range would take the logarithm of a negative width; scale the span.
    double low = std::min(min, max), high = std::max(min, max);
    double range = high - low;
    // No finite span to divide: a unit axis keeps the chart's arithmetic finite.
    if (!std::isfinite(min) || !std::isfinite(max) || !std::isfinite(range)) return NiceAxisResult{0, 0.2, 1};
    double scale = std::pow(10.0, Int(std::log(range) * kLog10OfE) + 1);
    double factor = 0.2;
    for (double candidate : {0.02, 0.05, 0.1, 0.2}) {
        double steps = (range / scale) / candidate + 1;
        if (steps >= 5 && steps < 12) {
            factor = candidate;
            break;
        }
    }
    NiceAxisResult axis;
    axis.step = Cleanvalue(factor * scale);
    axis.min = Cleanvalue(Int(Cleanvalue(low / axis.step)) * axis.step);
    axis.max = Cleanvalue(Int((high + axis.step) / axis.step) * axis.step);
    // A maximum already on a step boundary is not extended by a further step.
    if (Str(Cleanvalue(axis.max - axis.step)) == Str(high)) axis.max = high;
    return axis;
}

}  // namespace tidemark
