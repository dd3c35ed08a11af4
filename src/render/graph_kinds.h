#pragma once
// The special graph kinds drawing knows besides the plain time series: ranked and
// cumulative series, frequency graphs, probability annotations and model-error texts.
// Pure functions; graph drawing applies them to the chart.
#include <cstdint>
#include <string>
#include <vector>

#include "setup/setup_model.h"

namespace tidemark {

// Identifiers from 9000 to 9999 (either sign) name series that are already totals:
// cumulative drawing copies their values instead of adding them up.
bool IsTotalsIdentifier(int id);

// What EffectiveOption gives for a graph with a second series or depth-duration maxima.
inline constexpr int kTwoSeriesOption = -2;

// `rankcum` (a RankCum code), or kTwoSeriesOption.
int EffectiveOption(const GraphDef& def);

// A running total over the present values of a series.
class RunningTotal {
public:
    // Adds a present value and returns what is drawn for it: the new total, or with
    // `accumulate` off the value itself, which then becomes the total.
    double Add(double value, bool accumulate) {
        total_ = accumulate ? total_ + value : value;
        started_ = true;
        return total_;
    }
    bool Started() const { return started_; }
    double Value() const { return total_; }

private:
    double total_ = 0;
    bool started_ = false;
};

// Turns the present values of values[first..last] into running totals (see RunningTotal).
void AccumulateColumn(std::vector<double>& values, int first, int last, bool accumulate);

// A running total as the current-value box shows it: whole above 50, else 2 decimals.
double RoundedTotal(double total);

// Legend texts of series 1 and 5 for the graph's kind (empty = none).
struct KindLegends {
    std::string main;
    std::string second;
};
KindLegends LegendsFor(const GraphDef& def);

// Pearson type III frequency factor of a standard normal deviate z for a skew
// coefficient (Wilson-Hilferty); z itself for skew 0.
double FrequencyFactor(double z, double skew);
// The standard normal deviate whose frequency factor is k: the inverse of the above.
double DeviateForFactor(double k, double skew);

// Return period in years of the largest value of a probability graph (the fitted
// distribution is of log10 values or of the values themselves), from the mean, standard
// deviation and skew. Below the value exceeded with probability 0.999 it is the ratio
// of the largest value to that value. Nothing when there is no period to show: the
// largest value is not above 0, or the standard deviation is not positive.
bool ReturnPeriod(double largest, FreqType freqtype, double mean, double sd, double skew, float& years);

// ", P=" + the period as "0", "0.0" or "0.00" by its size + "yrs".
std::string ReturnPeriodText(float years);

}  // namespace tidemark
