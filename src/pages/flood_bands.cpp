#include "pages/flood_bands.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "core/color.h"

namespace tidemark {
namespace {

// Levels are single precision in the setup file; the label shows the shortest text that
// reads back as that single, so 12.3 is "12.3" and not its double expansion.
std::string LevelText(double level) {
    char buffer[32];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(level)).ptr;
    return std::string(buffer, end);
}

const char* CategoryName(FloodCategory category) {
    switch (category) {
        case FloodCategory::Major: return "Major ";
        case FloodCategory::Moderate: return "Moderate ";
        case FloodCategory::Minor: return "Minor ";
        case FloodCategory::Action: return "Action ";
    }
    return "";
}

// Lays the bands one under the other from the top of the plot, each as high as the axis
// makes its range of values.
class BandStack {
public:
    BandStack(const FloodBandRequest& r, const PixelBox& plot, bool logarithmic)
        : ymin_(r.ymin), ymax_(r.ymax), plot_(plot), logarithmic_(logarithmic) {}

    // A band whose value range is [lower, upper]; only drawn when its lower edge lies on
    // the axis. The height is kept in the stack either way (0 when not drawn).
    void Add(FloodCategory category, double level, double lower, double upper, std::vector<FloodBand>& out) {
        if (!(lower >= ymin_ && lower < ymax_)) return;
        double height = std::max(0.0, Y(lower) - Y(std::min(upper, ymax_)));
        // Nothing may spill below the plot, whatever the levels say.
        height = std::min(height, plot_.Bottom() - nextTop_);
        if (height <= 0) return;
        FloodBand band;
        band.category = category;
        band.box = {plot_.left, nextTop_, plot_.width, height};
        band.color = FloodCategoryColor(category);
        band.label = CategoryName(category) + LevelText(level) + "'";
        band.labelX = plot_.left + 10;
        band.labelY = band.box.Bottom() - 13;
        nextTop_ += height;
        out.push_back(std::move(band));
    }

private:
    double Scaled(double v) const { return logarithmic_ ? std::log10(v) : v; }
    // Pixels down from the plot's top where the axis puts `v` (on the axis: ymin <= v).
    double Y(double v) const { return plot_.height * (Scaled(ymax_) - Scaled(v)) / (Scaled(ymax_) - Scaled(ymin_)); }

    double ymin_, ymax_;
    PixelBox plot_;
    bool logarithmic_;
    double nextTop_ = plot_.top;
};

// Series numbered 2000 to 3999 put the action level one unit below minor; the others one
// Y division below it.
bool ActionIsOneBelowMinor(const FloodBandRequest& r) {
    int thousands = std::abs(static_cast<int>(r.dsid)) / 1000;
    return thousands == 2 || thousands == 3;
}

}  // namespace

int32_t FloodCategoryColor(FloodCategory category) {
    switch (category) {
        case FloodCategory::Major: return 0xFF8EE2;     // violet
        case FloodCategory::Moderate: return 0x7272FF;  // red
        case FloodCategory::Minor: return 0x72C6FF;     // orange
        case FloodCategory::Action: return 0x72FFFF;    // yellow
    }
    return 0;
}

double FloodActionLevel(const FloodBandRequest& r) {
    if (r.highwatch != 0) return r.highwatch;
    if (ActionIsOneBelowMinor(r)) return r.minor - 1;
    return r.minor - (r.ymax - r.ymin) / r.divisions;
}

std::optional<FloodCategory> FloodCategoryOf(double value, const FloodBandRequest& r) {
    if (IsMissing(value) || !std::isfinite(value)) return std::nullopt;
    if (r.major != 0 && value >= r.major) return FloodCategory::Major;
    if (r.moderate != 0 && value >= r.moderate) return FloodCategory::Moderate;
    if (r.minor == 0) return std::nullopt;
    if (value >= r.minor) return FloodCategory::Minor;
    // Without Y divisions the action level of a plain series has no step to stand on.
    if (r.highwatch == 0 && !ActionIsOneBelowMinor(r) && r.divisions == 0) return std::nullopt;
    double action = FloodActionLevel(r);
    if (action != 0 && value >= action) return FloodCategory::Action;
    return std::nullopt;
}

std::vector<FloodBand> FloodCategoryBands(const FloodBandRequest& request, const PixelBox& plot,
                                          const FloodAxis& axis) {
    std::vector<FloodBand> bands;
    if (request.divisions == 0 || !(request.ymax > request.ymin) || plot.height <= 0 || plot.width <= 0) return bands;
    // The action level's step is the setup's Y division, whatever scale the axis shows.
    const double action = FloodActionLevel(request);
    FloodBandRequest r = request;
    if (axis.logarithmic) {
        if (!(axis.minimum > 0 && axis.maximum > axis.minimum)) return bands;
        r.ymin = axis.minimum;
        r.ymax = axis.maximum;
    }
    BandStack stack(r, plot, axis.logarithmic);

    double major = std::max(r.major, r.ymin);
    stack.Add(FloodCategory::Major, r.major, major, r.ymax, bands);

    double moderate = r.moderate < r.ymin && r.ymin < major ? r.ymin : r.moderate;
    stack.Add(FloodCategory::Moderate, r.moderate, moderate, major > r.ymax ? r.ymax : r.major, bands);

    double minor = r.minor < r.ymin && r.ymin < moderate ? r.ymin : r.minor;
    stack.Add(FloodCategory::Minor, r.minor, minor, moderate > r.ymax ? r.ymax : r.moderate, bands);

    if (action != 0 && action < r.ymax) {
        double lower = action < r.ymin && r.ymin < r.minor ? r.ymin : action;
        stack.Add(FloodCategory::Action, action, lower, r.minor, bands);
    }
    return bands;
}

}  // namespace tidemark
