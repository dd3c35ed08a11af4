#pragma once
// The model-error text of graphs that compare a model series (the second series) with
// observations (the main series): the observation-weighted mean absolute error as a
// share of the weighted mean, shown after the graph's title as e.g. "12%  n45".
#include <string>
#include <vector>

#include "data/series_store.h"
#include "setup/setup_model.h"

namespace tidemark {

// The amount at or below which a model value and an observation both count as dry, for
// one page: 0.049999 (inches an hour), a twelfth of it when the page plots 5-minute
// unit values, and in millimetres when the units are metric.
double ModelErrorThreshold(const SetupSettings& settings, const PageRec& page);

class ModelErrorText {
public:
    explicit ModelErrorText(double threshold) : threshold_(threshold) {}

    // Pairs one model row (date-time, value) with the observed point within 0.0007 day
    // of it, searching on from the previous pairing, and counts it unless both are dry.
    // `observed` are the main series' points (index 1 .. observedCount).
    void AddRow(double time, double model, const PointBuffer& observed, int observedCount);

    // "<ratio as 0%>  n<count>", or empty when nothing was counted.
    std::string Text() const;

    long Count() const { return count_; }

private:
    double threshold_;
    int cursor_ = 0;
    double weightedError_ = 0;    // S1
    double weightedSquares_ = 0;  // S2
    long count_ = 0;              // k
};

}  // namespace tidemark
