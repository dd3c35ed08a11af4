#pragma once
// What drawing a page leaves for the window: the 12 chart surfaces, and per graph its
// current value, title text and warning flag, and the Y scale it was given (kept per
// page, read again by the page layout and the graph menu). Owned by the main window.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/color.h"
#include "render/chart_surface.h"
#include "setup/setup_model.h"

namespace tidemark {

// The Y axis of one graph as drawing rounded it.
struct YScale {
    double min = 0;  // rounded minimum
    double max = 0;  // rounded maximum
    double step = 0;
    int16_t major = 0;  // major divisions between min and max
    bool operator==(const YScale&) const = default;
};

// Pen widths of the main and the daily series, in twips.
struct PenWidths {
    int16_t main = 0;
    int16_t daily = 0;
    bool operator==(const PenWidths&) const = default;
};

// A slot's warning flag.
inline constexpr int16_t kWarningClear = 0;
inline constexpr int16_t kWarningRaised = -1;

// Which watch level raised a slot's warning: the published text says which way the
// value went, which the one flag cannot tell.
enum class WatchCrossing : uint8_t { None, AboveHigh, BelowLow, Both };

struct RenderState {
    std::array<ChartSurface, kGraphsPerPage> charts;
    // Latest value of each graph's main series, -9999 when missing or stale.
    std::array<double, kGraphsPerPage> currentValues{};
    // Title text per slot 0-12: station name, CR LF, value, unit and time.
    std::array<std::string, kGraphsPerPage + 1> titles;
    // kWarningRaised when a watch level is crossed; drives the slot's blinking "WARNING!" box.
    std::array<int16_t, kGraphsPerPage> warningFlags{};
    std::array<WatchCrossing, kGraphsPerPage> watchCrossings{};
    // The time of each graph's current value (0 when it has none).
    std::array<double, kGraphsPerPage> currentTimes{};

    // The widths drawing chose for a setup that sets none, by the screen size class of
    // the first graph drawn; they stay while the window moves between screens. The
    // setup itself keeps its "not set".
    std::optional<PenWidths> defaultPens;

    // What went wrong on the page drawn last, one line per graph that could not be drawn
    // ("Page p, Chart g: why"): unattended runs show no message, yet a one-shot render
    // must say which page failed.
    std::vector<std::string> pageFaults;

    RenderState() { currentValues.fill(kMissing); }

    // The Y scale of graph `slot` on `page`; the table grows to the page on first use.
    YScale& Scale(int page, int slot) {
        if (page < 0) page = 0;
        if (static_cast<size_t>(page) >= yScales.size()) yScales.resize(static_cast<size_t>(page) + 1);
        return yScales[static_cast<size_t>(page)].at(static_cast<size_t>(slot));
    }
    const YScale* FindScale(int page, int slot) const {
        if (page < 0 || static_cast<size_t>(page) >= yScales.size() || slot < 0 || slot >= kGraphsPerPage)
            return nullptr;
        return &yScales[static_cast<size_t>(page)][static_cast<size_t>(slot)];
    }

    std::vector<std::array<YScale, kGraphsPerPage>> yScales;  // index = page number
};

}  // namespace tidemark
