#include "publish/page_readings.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <optional>

#include "core/vbtext.h"
#include "core/windows1252.h"
#include "storage/qt_bridge/qt_text.h"

namespace tidemark {
namespace {

// Where the flood levels of a gauge are set: the graph itself when it is drawn with
// colour bands, else the first colour-band graph of the same series in page order. A
// gauge gets its category by one rule on every page, however each page draws it.
struct FloodLevelsAt {
    const GraphDef* graph = nullptr;
    int page = 0, slot = 0;
};

FloodLevelsAt FloodLevelsOf(const ProgramState& state, const GraphDef& g, int page, int slot) {
    if (g.freqtype == FreqType::ColorBand) return {&g, page, slot};
    for (int p = 1; p <= state.pages.pagecount; ++p) {
        if (!state.pages.ValidPage(p) || static_cast<size_t>(p) >= state.pages.pages.size()) break;
        for (int s = 0; s < kGraphsPerPage; ++s) {
            const GraphDef& other = state.pages.Graph(p, s);
            if (other.dsid == g.dsid && other.IsDrawnGraph() && other.freqtype == FreqType::ColorBand)
                return {&other, p, s};
        }
    }
    return {};
}

std::optional<FloodCategory> FloodOf(const ProgramState& state, const GraphDef& g, const RenderState& render, int page,
                                     int slot, double value) {
    FloodLevelsAt levels = FloodLevelsOf(state, g, page, slot);
    if (!levels.graph) return std::nullopt;
    FloodBandRequest request;
    request.slot = levels.slot;
    if (const YScale* scale = render.FindScale(levels.page, levels.slot)) {
        request.ymin = scale->min;
        request.ymax = scale->max;
        request.divisions = scale->major;
    }
    request.minor = levels.graph->coeff1;
    request.moderate = levels.graph->coeff2;
    request.major = levels.graph->coeff3;
    request.dsid = levels.graph->dsid;
    request.highwatch = levels.graph->highwatch;
    return FloodCategoryOf(value, request);
}

// The station the graph names, without the mark of a switched-off gauge ("OFF "), which
// is the program's note to itself and no part of the name.
std::string StationOf(const GraphDef& g) {
    if (StartsWith(g.stationname, kSwitchedOffPrefix)) return g.stationname.substr(kSwitchedOffPrefix.size());
    return g.stationname;
}

// The point a current value was taken from, looked for among the series' points and then
// its daily points (a series without a recent value shows its last day).
std::optional<double> ValueAt(const SlotSeries& series, double time) {
    for (const PointBuffer* points : {&series.points, &series.dailyPoints}) {
        int last = std::min<int>(points->Room(), points == &series.points ? series.pointCount : points->Room());
        for (int i = last; i >= 1; --i)
            if ((*points)[static_cast<size_t>(i)].time == time) return (*points)[static_cast<size_t>(i)].value;
    }
    return std::nullopt;
}

// Drawing shows a current value rounded to two places; the stored value is that of the
// point it came from, where the drawn value is that point's, rounded (a running total
// or an interval computed for the graph has no stored value of its own).
double StoredValueOf(const ProgramState& state, int page, int slot, double shown, double time) {
    if (IsMissing(shown) || time == 0 || !state.store.Has(page, slot)) return kMissing;
    const SlotSeries& series = state.store.At(page, slot);
    if (series.currentValue != shown || series.currentTime != time) return kMissing;
    std::optional<double> stored = ValueAt(series, time);
    constexpr double kRoundingStep = 0.005 + 1e-9;
    if (!stored || IsMissing(*stored) || std::abs(*stored - shown) > kRoundingStep) return kMissing;
    return *stored;
}

std::string UnitOf(const ProgramState& state, int page, int slot) {
    if (page < 0 || static_cast<size_t>(page) >= state.labels.size()) return {};
    const auto& slots = state.labels[static_cast<size_t>(page)];
    return static_cast<size_t>(slot) < slots.size() ? slots[static_cast<size_t>(slot)].unit : std::string();
}

}  // namespace

std::vector<GraphReading> PageReadings(const ProgramState& state, const RenderState& render, int page) {
    std::vector<GraphReading> out;
    if (!state.pages.ValidPage(page) || static_cast<size_t>(page) >= state.pages.pages.size()) return out;
    for (int s = 0; s < kGraphsPerPage; ++s) {
        const GraphDef& g = state.pages.Graph(page, s);
        if (!g.IsDrawnGraph()) continue;
        const auto i = static_cast<size_t>(s);
        GraphReading r;
        r.page = page;
        r.slot = s;
        r.dsid = g.dsid;
        r.station = StationOf(g);
        r.parameter = g.parametername;
        r.unit = UnitOf(state, page, s);
        r.value = render.currentValues[i];
        r.time = r.HasValue() ? render.currentTimes[i] : 0;
        r.storedValue = StoredValueOf(state, page, s, r.value, r.time);
        r.watch = render.watchCrossings[i];
        r.flood = FloodOf(state, g, render, page, s, r.value);
        out.push_back(std::move(r));
    }
    return out;
}

PublishedPage PublishedPageOf(const ProgramState& state, const RenderState& render, int page) {
    PublishedPage p;
    p.page = page;
    if (state.pages.ValidPage(page) && static_cast<size_t>(page) < state.pages.pages.size())
        p.name = state.pages.Page(page).title;
    p.graphs = PageReadings(state, render, page);
    for (const GraphReading& r : p.graphs) p.dataTime = std::max(p.dataTime, r.time);
    return p;
}

std::string FloodCategoryName(FloodCategory category) {
    switch (category) {
        case FloodCategory::Major: return "Major";
        case FloodCategory::Moderate: return "Moderate";
        case FloodCategory::Minor: return "Minor";
        case FloodCategory::Action: return "Action";
    }
    return {};
}

std::string WatchText(WatchCrossing crossing) {
    switch (crossing) {
        case WatchCrossing::None: return {};
        case WatchCrossing::AboveHigh: return "above the high watch level";
        case WatchCrossing::BelowLow: return "below the low watch level";
        case WatchCrossing::Both: return "above the high watch level and below the low watch level";
    }
    return {};
}

std::string Utf8Text(const std::string& programText) { return ProgramText(programText).toStdString(); }

}  // namespace tidemark
