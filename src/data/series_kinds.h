#pragma once
// The kinds of series a graph can show, how a graph's kind is decided, the names its
// series are shown under, and the per-row shaping of the kinds that convert or
// accumulate what the database returns.
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/frequency.h"
#include "data/program_state.h"
#include "setup/setup_model.h"
#include "setup/site_catalogue.h"

namespace tidemark {

// How the rows of a graph's main statement are shaped into its points.
enum class SeriesKind {
    MonthlyCumulative,    // running total since the start of the month
    DepthDurationMaxima,  // (duration, recurrence interval) per row of the frequency table
    RecurrenceInterval,   // (date, recurrence interval)
    Plain,                // (date, value)
};

// The kind, decided in this order: monthly (by its parameter name), depth-duration,
// recurrence interval, plain.
SeriesKind KindOf(const GraphDef& graph);

// Which rows a graph's main statement reads.
struct SeriesSource {
    // The unit-values statement (a 5-minute time step), else the hourly one (60 minutes).
    bool unitValues = false;
    // The unit-values statement turned to hourly values: a page marked `unitsoff` plots
    // hourly values, except for graphs that work with the frequency table.
    bool unitsToHours = false;
    // The hourly statement with the daily maxima and minima merged in.
    bool dailyMaxMin = false;

    int TimeStepMinutes() const { return unitValues ? 5 : 60; }
};

// The one set of rules for the statement of every kind: depth-duration graphs read unit
// values whatever the settings; monthly totals never take in the daily extremes.
SeriesSource SourceOf(const GraphDef& graph, const SetupSettings& settings, const PageRec& page);

// True when slot g + 12 holds points that are drawn with graph g: the graph names a
// second series, or it is a depth-duration graph, which keeps its largest depths there.
bool HoldsSecondSeries(const GraphDef& graph, const GraphDef& second);

// Catalogue data types whose values are totals.
bool IsRainfallDataType(int32_t datatypeid);

// Legend entries 1-3 and the unit label of a graph, from its catalogue entry (the first
// entry with the graph's dsid; none gives an empty unit name and no rainfall type).
SeriesLabels SeriesLabelsFor(const GraphDef& graph, const SiteCatalogue& catalogue, const SetupSettings& settings,
                             const PageRec& page);

// Minute boundaries crossed going from a to b (negative when b < a).
long long MinuteBoundaries(double a, double b);

// The time step a recurrence-interval row is read with, from the minutes since the
// previous row: 5, 10, 15, 30 or 60.
int RecurrenceTimeStep(long long minutes);

// Depth-duration maxima: spreads each unit-value row over 5-minute steps and keeps,
// per duration row of the frequency table, the largest total that fell within any
// window of that duration. The 5-minute amounts are kept in `amounts` (the graph's own
// points in the program's fetch).
class DepthDurationMaxima {
public:
    explicit DepthDurationMaxima(const FrequencyTable& table);

    // Steps the row at `minutesSincePrevious` spreads over.
    static long long StepsFor(long long minutesSincePrevious);

    // One spread step: `step` is the running 5-minute index (1-based) and amount(k)
    // must give the amount stored at step k < step.
    template <class AmountAt>
    void AddStep(long long step, double amount, AmountAt amountAt) {
        for (size_t w = 0; w < acc_.size(); ++w) {
            acc_[w] += amount;
            long long back = steps_[w];
            if (back < step) acc_[w] -= amountAt(step - back);
            if (acc_[w] > max_[w]) max_[w] = acc_[w];
        }
    }

    struct Row {
        int minutes = 0;
        double depth = 0;     // largest total, rounded to 2 decimals
        double interval = 0;  // its recurrence interval in years
    };
    // Per duration row in table order; `best` receives the largest interval.
    std::vector<Row> Finish(double& best) const;

private:
    const FrequencyTable& table_;
    std::vector<long long> steps_;
    std::vector<double> acc_;
    std::vector<double> max_;
};

}  // namespace tidemark
