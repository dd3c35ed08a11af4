#include "data/series_kinds.h"

#include <cmath>

#include "core/vbtext.h"

namespace tidemark {

SeriesKind KindOf(const GraphDef& graph) {
    if (Contains(graph.parametername, "Monthly")) return SeriesKind::MonthlyCumulative;
    if (graph.freqtype == FreqType::DepthDuration) return SeriesKind::DepthDurationMaxima;
    if (graph.freqtype == FreqType::Recurrence) return SeriesKind::RecurrenceInterval;
    return SeriesKind::Plain;
}

SeriesSource SourceOf(const GraphDef& graph, const SetupSettings& settings, const PageRec& page) {
    SeriesKind kind = KindOf(graph);
    SeriesSource source;
    source.unitValues = settings.plotunitvalues || kind == SeriesKind::DepthDurationMaxima;
    source.unitsToHours = source.unitValues && page.unitsoff && !UsesFrequencyTable(graph.freqtype);
    source.dailyMaxMin = !source.unitValues && settings.includedailymaxmin && kind != SeriesKind::MonthlyCumulative;
    return source;
}

bool HoldsSecondSeries(const GraphDef& graph, const GraphDef& second) {
    return second.Kind() != SlotKind::Empty || KindOf(graph) == SeriesKind::DepthDurationMaxima;
}

bool IsRainfallDataType(int32_t datatypeid) { return datatypeid == 10 || datatypeid == 11; }

SeriesLabels SeriesLabelsFor(const GraphDef& graph, const SiteCatalogue& catalogue, const SetupSettings& settings,
                             const PageRec& page) {
    const SiteEntry* entry = nullptr;
    for (const SiteEntry& candidate : catalogue.Entries())
        if (candidate.dsid == graph.dsid) {
            entry = &candidate;
            break;
        }
    bool rainfall = entry && IsRainfallDataType(entry->datatypeid);

    SeriesLabels labels;
    if (rainfall)
        labels.legend1 = "Hourly Total";
    else if (settings.includedailymaxmin)
        labels.legend1 = "Hourly Avg w/Daily MaxMin";
    else
        labels.legend1 = "Hourly Avg";
    if (settings.plotunitvalues && !page.unitsoff) labels.legend1 = "Unit Values";
    labels.legend2 = rainfall ? "Daily Total" : "Daily Avg";
    labels.legend3 = "Watch Level";
    if (UsesFrequencyTable(graph.freqtype))
        labels.unit = "Years";
    else if (entry)
        labels.unit = entry->unitname;
    return labels;
}

long long MinuteBoundaries(double a, double b) {
    auto minuteOf = [](double day) {
        long long seconds = std::llround(day * 86400.0);
        long long q = seconds / 60;
        if (seconds % 60 != 0 && seconds < 0) --q;
        return q;
    };
    return minuteOf(b) - minuteOf(a);
}

int RecurrenceTimeStep(long long minutes) {
    double m = static_cast<double>(minutes);
    if (m < 18) m = 5 * RoundHalfEven(m / 5);
    if (m < 5) m = 5;
    if (m > 15 && m < 45) m = 30;
    if (m > 44) m = 60;
    return static_cast<int>(m);
}

DepthDurationMaxima::DepthDurationMaxima(const FrequencyTable& table) : table_(table) {
    int rows = std::min<int>(table.rows, static_cast<int>(table.steps.size()) - 1);
    for (int r = 1; r <= rows; ++r) steps_.push_back(table.steps[static_cast<size_t>(r)]);
    acc_.assign(steps_.size(), 0.0);
    max_.assign(steps_.size(), 0.0);
}

long long DepthDurationMaxima::StepsFor(long long minutesSincePrevious) {
    long long n = static_cast<long long>(RoundHalfEven(static_cast<double>(minutesSincePrevious) / 5));
    return n == 0 ? 1 : n;
}

std::vector<DepthDurationMaxima::Row> DepthDurationMaxima::Finish(double& best) const {
    best = 0;
    std::vector<Row> rows;
    for (size_t w = 0; w < max_.size(); ++w) {
        Row row;
        row.minutes = table_.minutes[w + 1];
        row.depth = Round(max_[w], 2);
        row.interval = Getfrequency(row.depth, table_, row.minutes);
        if (row.interval > best) best = row.interval;
        rows.push_back(row);
    }
    return rows;
}

}  // namespace tidemark
