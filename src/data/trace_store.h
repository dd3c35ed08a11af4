#pragma once
// Model-run traces laid over graphs: forecast runs read from the model tables by the
// trace dialog (or by the loader for graphs that ask for runs). A graph's GraphDef
// counts the traces it shows (`tracecount`); the store keeps every trace ever added, so
// "Clear Last" only lowers the count and the trace's points and label stay here.
#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/series_store.h"
#include "setup/setup_model.h"

namespace tidemark {

struct ModelTrace {
    // Legend text of the trace's line: the run time as "mmmdd hh:mm"; empty for a trace
    // read from a run-number series.
    std::string label;
    // 1 .. the graph's point capacity (element 0 unused); -9999 marks a missing value.
    std::vector<SeriesPoint> points;

    int PointRoom() const { return points.empty() ? 0 : static_cast<int>(points.size()) - 1; }
};

struct GraphTraces {
    std::vector<ModelTrace> traces;  // traces[n - 1] is trace n; never shrinks
    std::string lastRunText;         // "R, K, mmmdd hh:mm" of the last run added
};

class TraceStore {
public:
    // Every graph of every page loses its traces (a load starts them afresh).
    void Clear() { pages_.clear(); }

    // The traces of a graph, created empty on first use.
    GraphTraces& At(int page, int slot) {
        if (page < 0 || slot < 0 || slot >= kGraphsPerPage) throw std::out_of_range("No trace store for that graph");
        if (static_cast<size_t>(page) >= pages_.size()) pages_.resize(static_cast<size_t>(page) + 1);
        return pages_[static_cast<size_t>(page)][static_cast<size_t>(slot)];
    }

    // The traces of a graph, or nothing when none was ever added.
    const GraphTraces* FindGraph(int page, int slot) const {
        if (page < 0 || static_cast<size_t>(page) >= pages_.size() || slot < 0 || slot >= kGraphsPerPage)
            return nullptr;
        return &pages_[static_cast<size_t>(page)][static_cast<size_t>(slot)];
    }

    // Trace n (1-based) of a graph, or nothing when it was never added.
    const ModelTrace* Find(int page, int slot, int n) const {
        if (page < 0 || static_cast<size_t>(page) >= pages_.size() || slot < 0 || slot >= kGraphsPerPage || n < 1)
            return nullptr;
        const GraphTraces& g = pages_[static_cast<size_t>(page)][static_cast<size_t>(slot)];
        if (static_cast<size_t>(n) > g.traces.size()) return nullptr;
        return &g.traces[static_cast<size_t>(n) - 1];
    }

    // Makes room for trace n of a graph with `pointRoom` points, every point (0, -9999),
    // and returns it. The label is kept.
    ModelTrace& Reset(int page, int slot, int n, int pointRoom) {
        GraphTraces& g = At(page, slot);
        if (n < 1) throw std::out_of_range("Traces count from 1");
        if (static_cast<size_t>(n) > g.traces.size()) g.traces.resize(static_cast<size_t>(n));
        ModelTrace& t = g.traces[static_cast<size_t>(n) - 1];
        t.points.assign(static_cast<size_t>(pointRoom < 0 ? 0 : pointRoom) + 1, SeriesPoint{0, kMissing});
        return t;
    }

private:
    std::vector<std::array<GraphTraces, kGraphsPerPage>> pages_;  // index = page number
};

}  // namespace tidemark
