#include "render/chart_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "analysis/axis.h"
#include "core/vbtext.h"

namespace tidemark {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kGap = 45;  // between tick marks and labels, labels and titles
constexpr int kMaxMajorDivisions = 1000;
constexpr int kMaxMinorTicks = 5000;

struct DataRange {
    double min = kInf, max = -kInf;
    bool Any() const { return min <= max; }
    void Add(double v) {
        min = std::min(min, v);
        max = std::max(max, v);
    }
};

bool SeriesDrawn(const ChartSeries& s) { return (s.showLine && s.pen.style != PenStyle::None) || s.marker.visible; }

// The ranges of the points that are drawn, for the axes that choose their own scale.
void CollectRanges(const ChartSurface& surface, bool xLog, bool yLog, DataRange& xr, DataRange& yr) {
    for (int xColumn = 1; xColumn + 1 <= surface.ColumnCount(); xColumn += 2) {
        if (!SeriesDrawn(surface.Series(xColumn))) continue;
        std::span<const double> xs = surface.ColumnValues(xColumn);
        std::span<const double> ys = surface.ColumnValues(xColumn + 1);
        for (size_t r = 0; r < std::min(xs.size(), ys.size()); ++r) {
            double x = xs[r], y = ys[r];
            if (std::isnan(x) || std::isnan(y)) continue;
            if ((xLog && x <= 0) || (yLog && y <= 0)) continue;
            xr.Add(x);
            yr.Add(y);
        }
    }
}

struct ResolvedScale {
    double min = 0, max = 1;
    int major = 1, minor = 0;
    bool log = false;
    std::vector<double> majorValues, minorValues;
};

int ClampDivisions(double n, int fallback) {
    if (!std::isfinite(n) || n < 1) return fallback;
    return static_cast<int>(std::lround(std::min<double>(n, kMaxMajorDivisions)));
}

ResolvedScale ResolveLinear(const ChartValueScale& scale, const DataRange& data) {
    ResolvedScale r;
    if (!scale.automatic) {
        r.min = scale.minimum;
        r.max = scale.maximum > scale.minimum ? scale.maximum : scale.minimum + 1;
        r.major = std::clamp(scale.majorDivisions, 1, kMaxMajorDivisions);
        r.minor = std::max(scale.minorDivisions, 0);
    } else {
        double lo = data.Any() ? data.min : 0, hi = data.Any() ? data.max : 1;
        NiceAxisResult nice = Niceaxis(lo, hi);
        if (std::isfinite(nice.min) && std::isfinite(nice.max) && nice.max > nice.min && nice.step > 0) {
            r.min = nice.min;
            r.max = nice.max;
            r.major = ClampDivisions((r.max - r.min) / nice.step, 5);
        } else {
            r.min = lo;
            r.max = hi > lo ? hi : lo + 1;
            r.major = 5;
        }
    }
    double step = (r.max - r.min) / r.major;
    for (int k = 0; k <= r.major; ++k) r.majorValues.push_back(r.min + k * step);
    if (r.minor > 1 && static_cast<long long>(r.major) * r.minor <= kMaxMinorTicks)
        for (int k = 0; k < r.major; ++k)
            for (int j = 1; j < r.minor; ++j) r.minorValues.push_back(r.min + (k + double(j) / r.minor) * step);
    return r;
}

ResolvedScale ResolveLog(const ChartValueScale& scale, const DataRange& data) {
    ResolvedScale r;
    r.log = true;
    if (!scale.automatic && scale.minimum > 0 && scale.maximum > scale.minimum) {
        r.min = scale.minimum;
        r.max = scale.maximum;
    } else if (data.Any()) {
        r.min = std::pow(10.0, std::floor(std::log10(data.min)));
        r.max = std::pow(10.0, std::ceil(std::log10(data.max)));
        if (r.max <= r.min) r.max = r.min * 10;
    } else {
        r.min = 1;
        r.max = 10;
    }
    double lo = std::log10(r.min), hi = std::log10(r.max);
    r.major = std::max(1, static_cast<int>(std::lround(hi - lo)));
    int first = static_cast<int>(std::ceil(lo - 1e-9)), last = static_cast<int>(std::floor(hi + 1e-9));
    for (int k = first; k <= last; ++k) r.majorValues.push_back(std::pow(10.0, k));
    if (r.majorValues.size() < 2) {
        // Less than a decade: mark the ends so the axis still reads.
        r.majorValues.insert(r.majorValues.begin(), r.min);
        r.majorValues.push_back(r.max);
        std::sort(r.majorValues.begin(), r.majorValues.end());
        r.majorValues.erase(std::unique(r.majorValues.begin(), r.majorValues.end()), r.majorValues.end());
    }
    for (int k = static_cast<int>(std::floor(lo)); k <= static_cast<int>(std::ceil(hi)); ++k)
        for (int j = 2; j <= 9; ++j) {
            double v = j * std::pow(10.0, k);
            if (v > r.min && v < r.max) r.minorValues.push_back(v);
        }
    return r;
}

ResolvedScale Resolve(const ChartAxis& axis, const DataRange& data) {
    return axis.scaleType == ScaleType::Logarithmic ? ResolveLog(axis.scale, data) : ResolveLinear(axis.scale, data);
}

// The value on the other axis where this axis' line lies.
double CrossingValue(const ChartAxis& axis, const ResolvedScale& other) {
    if (axis.crossingAutomatic) {
        if (!other.log && other.min < 0 && other.max > 0) return 0;
        return other.min;
    }
    double v = axis.crossingPoint;
    if (other.log && v <= 0) return other.min;
    return std::clamp(v, other.min, other.max);
}

int DecimalsFor(double v) {
    v = std::fabs(v);
    if (!std::isfinite(v) || v == 0) return 0;
    for (int d = 0; d <= 10; ++d) {
        double scaled = v * std::pow(10.0, d);
        if (std::fabs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, scaled)) return d;
    }
    return 10;
}

bool IsNumberMask(const std::string& format) {
    return !format.empty() && format.find_first_not_of("#0.,%") == std::string::npos;
}

void FillAxis(AxisLayout& out, const ChartAxis& axis, const ResolvedScale& r) {
    out.minimum = r.min;
    out.maximum = r.max;
    out.logarithmic = r.log;
    out.majorDivisions = r.major;
    out.minorDivisions = r.minor;
    out.labelFontTwips = axis.labelFont.size * kTwipsPerPoint;
}

void SetMapping(AxisLayout& a, double from, double length, bool upward) {
    double t0 = a.logarithmic ? std::log10(a.minimum) : a.minimum;
    double t1 = a.logarithmic ? std::log10(a.maximum) : a.maximum;
    a.scale = (upward ? -length : length) / (t1 - t0);
    a.origin = from - t0 * a.scale;
}

// Keeps every k-th label so that neighbours do not overlap.
void ThinLabels(std::vector<AxisLabel>& labels, const std::vector<double>& sizes, double gap) {
    if (labels.size() < 2) return;
    double spacing = kInf, need = 0;
    for (size_t i = 0; i + 1 < labels.size(); ++i)
        spacing = std::min(spacing, std::fabs(labels[i + 1].position - labels[i].position));
    for (double s : sizes) need = std::max(need, s + gap);
    if (spacing >= need || spacing <= 0) return;
    size_t k = static_cast<size_t>(std::ceil(need / spacing));
    std::vector<AxisLabel> kept;
    for (size_t i = 0; i < labels.size(); i += k) kept.push_back(std::move(labels[i]));
    labels = std::move(kept);
}

}  // namespace

double AxisLayout::Map(double value) const {
    if (std::isnan(value)) return kNaN;
    if (logarithmic) {
        if (value <= 0) return kNaN;
        return origin + scale * std::log10(value);
    }
    return origin + scale * value;
}

std::string FormatAxisLabel(const ChartAxis& axis, double value, double step) {
    const std::string& format = axis.labelFormat;
    if (format.empty()) {
        int decimals = std::max(DecimalsFor(step), DecimalsFor(value));
        if (std::fabs(value) < 1e-12 * std::max(1.0, std::fabs(step))) value = 0;
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
        std::string text = buffer;
        if (text.find_first_not_of("-0.") == std::string::npos && text[0] == '-') text.erase(0, 1);
        return text;
    }
    if (IsNumberMask(format)) return Format(value, format);
    return FormatDate(value, format);
}

std::vector<std::string> SplitTitleLines(const std::string& text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    lines.push_back(line);
    return lines;
}

double EstimateTextWidth(const std::string& text, double fontTwips, int style) {
    // Sans-serif digits are 0.56 em wide and most letters narrower; 0.6 em keeps the
    // estimate on the safe side for the axis texts.
    double em = (style & kFontBold) ? 0.66 : 0.6;
    return static_cast<double>(text.size()) * em * fontTwips;
}

ChartLayout LayoutChart(const ChartSurface& surface, double widthTwips, double heightTwips) {
    ChartLayout L;
    L.width = widthTwips;
    L.height = heightTwips;
    const ChartAxis& xAxis = surface.XAxis();
    const ChartAxis& yAxis = surface.YAxis();

    DataRange xData, yData;
    CollectRanges(surface, xAxis.scaleType == ScaleType::Logarithmic, yAxis.scaleType == ScaleType::Logarithmic, xData,
                  yData);
    ResolvedScale xs = Resolve(xAxis, xData);
    ResolvedScale ys = Resolve(yAxis, yData);
    FillAxis(L.x, xAxis, xs);
    FillAxis(L.y, yAxis, ys);

    // The plot rectangle, turned to y-down.
    ChartRect pr =
        surface.HasCustomPlotRect() ? surface.PlotRect() : AutomaticPlotRect(surface, widthTwips, heightTwips);
    L.plotRect = {pr.minX, heightTwips - pr.maxY, pr.Width(), pr.Height()};

    // Label texts first: their sizes decide how much of the plot rectangle they take.
    auto labelTexts = [](const ChartAxis& axis, const ResolvedScale& r) {
        std::vector<std::string> texts;
        double step = r.log ? 0 : (r.max - r.min) / r.major;
        for (double v : r.majorValues) texts.push_back(FormatAxisLabel(axis, v, r.log ? v : step));
        return texts;
    };
    std::vector<std::string> xTexts = labelTexts(xAxis, xs), yTexts = labelTexts(yAxis, ys);
    std::vector<double> xWidths, yWidths;
    for (const auto& t : xTexts) xWidths.push_back(EstimateTextWidth(t, L.x.labelFontTwips, xAxis.labelFont.style));
    for (const auto& t : yTexts) yWidths.push_back(EstimateTextWidth(t, L.y.labelFontTwips, yAxis.labelFont.style));
    double yLabelWidth = yWidths.empty() ? 0 : *std::max_element(yWidths.begin(), yWidths.end());

    bool yTitle = yAxis.title.visible && !yAxis.title.text.empty();
    bool xTitle = xAxis.title.visible && !xAxis.title.text.empty();
    double yTitleFont = yAxis.title.font.size * kTwipsPerPoint;
    double xTitleFont = xAxis.title.font.size * kTwipsPerPoint;

    double left =
        (yAxis.labelsInsidePlot ? 0 : yLabelWidth + kGap + kMajorTickTwips) + (yTitle ? yTitleFont * 1.25 + kGap : 0);
    double bottom = (xAxis.labelsInsidePlot ? 0 : L.x.labelFontTwips * 1.25 + kMajorTickTwips + kGap / 2) +
                    (xTitle ? xTitleFont * 1.25 + kGap : 0);
    double top = L.y.labelFontTwips * 0.6;
    double right = (xAxis.labelsInsidePlot || xWidths.empty()) ? 0 : xWidths.back() / 2;

    const LayoutRect& p = L.plotRect;
    L.plotArea.left = p.left + left;
    L.plotArea.top = p.top + top;
    L.plotArea.width = std::max(kTwipsPerPixel, p.width - left - right);
    L.plotArea.height = std::max(kTwipsPerPixel, p.height - top - bottom);
    const LayoutRect& a = L.plotArea;

    SetMapping(L.x, a.left, a.width, false);
    SetMapping(L.y, a.Bottom(), a.height, true);
    L.x.linePosition = L.y.Map(CrossingValue(xAxis, ys));
    L.y.linePosition = L.x.Map(CrossingValue(yAxis, xs));

    for (double v : xs.majorValues) L.x.majorPositions.push_back(L.x.Map(v));
    for (double v : xs.minorValues) L.x.minorPositions.push_back(L.x.Map(v));
    for (double v : ys.majorValues) L.y.majorPositions.push_back(L.y.Map(v));
    for (double v : ys.minorValues) L.y.minorPositions.push_back(L.y.Map(v));
    for (size_t i = 0; i < xTexts.size(); ++i) L.x.labels.push_back({L.x.majorPositions[i], xTexts[i]});
    for (size_t i = 0; i < yTexts.size(); ++i) L.y.labels.push_back({L.y.majorPositions[i], yTexts[i]});
    ThinLabels(L.x.labels, xWidths, 4 * kTwipsPerPixel);
    std::vector<double> yHeights(yTexts.size(), L.y.labelFontTwips * 1.1);
    ThinLabels(L.y.labels, yHeights, 0);

    L.yTitleCenterX = p.left + yTitleFont * 0.6;
    L.xTitleCenterY = p.Bottom() - xTitleFont * 0.6;

    const ChartTitle& title = surface.Title();
    L.titleLines = SplitTitleLines(title.text);
    L.titleFontTwips = title.font.size * kTwipsPerPoint;
    if (title.customLocation) {
        const ChartRect& t = title.rect;
        L.titleRect = {t.minX, heightTwips - t.maxY, t.Width(), t.Height()};
    } else {
        L.titleRect = {0, 60, widthTwips, L.titleLines.size() * L.titleFontTwips * 1.2};
    }
    return L;
}

ChartRect AutomaticPlotRect(const ChartSurface& surface, double widthTwips, double heightTwips) {
    // A margin all round, and room at the top for a title that is not placed by hand.
    constexpr double kMargin = 100;
    double top = heightTwips - kMargin;
    const ChartTitle& title = surface.Title();
    if (!title.customLocation && !title.text.empty())
        top -= SplitTitleLines(title.text).size() * title.font.size * kTwipsPerPoint * 1.2 + 60;
    ChartRect r{kMargin, kMargin, widthTwips - kMargin, top};
    if (r.maxX <= r.minX) r.maxX = r.minX + 1;
    if (r.maxY <= r.minY) r.maxY = r.minY + 1;
    return r;
}

}  // namespace tidemark
