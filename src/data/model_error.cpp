#include "data/model_error.h"

#include <cmath>

#include "core/vbtext.h"

namespace tidemark {

namespace {
constexpr double kPairingTolerance = 0.0007;  // about a minute
}

double ModelErrorThreshold(const SetupSettings& settings, const PageRec& page) {
    double threshold = 0.049999;
    if (settings.plotunitvalues && !page.unitsoff) threshold /= 12;
    if (settings.metricunits) threshold *= 25.4;
    return threshold;
}

void ModelErrorText::AddRow(double time, double model, const PointBuffer& observed, int observedCount) {
    int last = std::min(observedCount, observed.Room());
    int j = cursor_;
    if (j < 0 || j > last) j = 0;
    while (j >= 0 && j <= observed.Room() &&
           std::fabs(observed[static_cast<size_t>(j)].time - time) >= kPairingTolerance) {
        if (j < last && observed[static_cast<size_t>(j) + 1].time <= time) {
            ++j;
        } else {
            cursor_ = 0;
            return;
        }
    }
    cursor_ = j;
    if (j <= 0 || j > observed.Room()) return;

    double o = observed[static_cast<size_t>(j)].value;
    if (o <= threshold_ && model <= threshold_) return;
    if (o > 0) {
        weightedError_ += std::fabs(model - o) * o;
        weightedSquares_ += o * o;
    } else {
        weightedError_ += model * model;
        weightedSquares_ += model * model;
    }
    ++count_;
}

std::string ModelErrorText::Text() const {
    if (!(weightedSquares_ > 0) || count_ == 0) return {};
    return Format(weightedError_ / weightedSquares_, "0%") + " " + " n" + std::to_string(count_);
}

}  // namespace tidemark
