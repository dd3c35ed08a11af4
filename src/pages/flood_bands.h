#pragma once
// Flood categories of a colour-band graph: major, moderate, minor and action bands laid
// from the top of the plot downwards, each directly under the one before, so a level
// above the axis removes its band and one below it clips its band at the plot's bottom.
// Pure geometry in the chart's pixels; the chart view paints what this returns.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pages/layout.h"

namespace tidemark {

enum class FloodCategory { Major, Moderate, Minor, Action };

// A rectangle in the chart's pixels (origin top-left, y down), fractional so bands keep
// their proportions at any size.
struct PixelBox {
    double left = 0, top = 0, width = 0, height = 0;
    double Bottom() const { return top + height; }
};

struct FloodBand {
    FloodCategory category = FloodCategory::Major;
    PixelBox box;
    int32_t color = 0;              // red + 256 green + 65536 blue; painted with kFloodBandAlpha
    std::string label;              // "Major 18'"
    double labelX = 0, labelY = 0;  // top-left of the label text
};

inline constexpr int kFloodBandAlpha = 100;
inline constexpr double kFloodLabelPoints = 8;

int32_t FloodCategoryColor(FloodCategory category);

// The action level: the graph's high watch level, else one below the minor level for
// series numbered in the 2000s and 3000s, else one Y division below it.
double FloodActionLevel(const FloodBandRequest& request);

// The category a colour-band graph's value lies in: at or above the major level Major,
// and so on down to the action level; none below it, for a missing value, or where the
// level that would bound it is not set (0).
std::optional<FloodCategory> FloodCategoryOf(double value, const FloodBandRequest& request);

// How the chart drew its Y axis. A logarithmic axis picks its own range (whole decades
// around the data), so its drawn ends come with it; a linear one spans the request's.
struct FloodAxis {
    bool logarithmic = false;
    double minimum = 0, maximum = 0;  // the drawn range of a logarithmic axis
};

// The bands to paint over the plot area `plot`, each edge where the axis puts its level;
// none when the Y axis has no divisions or no height.
std::vector<FloodBand> FloodCategoryBands(const FloodBandRequest& request, const PixelBox& plot,
                                          const FloodAxis& axis = {});

}  // namespace tidemark
