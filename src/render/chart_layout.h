#pragma once
// Where everything of a ChartSurface goes at a given size: the resolved axis scales,
// their ticks and labels, the plot area and the title. Painting and hit testing both
// work from this, so what is clicked is what was drawn.
//
// All positions are chart twips with the origin at the top-left and y down (the chart
// rectangles of the surface have y up; they are turned over here). Text sizes are
// estimated from the font size, wide enough for the fonts the program uses, so the
// layout needs no font machinery.
#include <string>
#include <vector>

#include "core/units.h"

#include "render/chart_surface.h"

namespace tidemark {

struct LayoutRect {
    double left = 0, top = 0, width = 0, height = 0;
    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
};

struct AxisLabel {
    double position = 0;  // along the axis: x for the X axis, y for the Y axis
    std::string text;
};

struct AxisLayout {
    // The range drawn, after automatic choices.
    double minimum = 0, maximum = 1;
    bool logarithmic = false;
    int majorDivisions = 1;
    int minorDivisions = 0;
    std::vector<double> majorPositions;  // along the axis, in twips
    std::vector<double> minorPositions;
    std::vector<AxisLabel> labels;  // thinned so they do not overlap
    double linePosition = 0;        // across the axis: y of the X axis line, x of the Y axis line
    double labelFontTwips = 160;

    // Position along the axis of a value; NaN when the value cannot be shown (not a
    // number, or not above 0 on a logarithmic axis). Values outside the range map
    // outside the plot area.
    double Map(double value) const;

    // Set by the layout: position = origin + scale * (value or its log10).
    double origin = 0, scale = 1;
};

struct ChartLayout {
    double width = 0, height = 0;  // the chart
    LayoutRect plotRect;           // plot area with the axes' labels and titles
    LayoutRect plotArea;           // the wall inside the axes
    AxisLayout x, y;
    LayoutRect titleRect;
    std::vector<std::string> titleLines;
    double titleFontTwips = 240;
    double yTitleCenterX = 0;  // the rotated Y axis title is centred here
    double xTitleCenterY = 0;
};

inline constexpr double kMajorTickTwips = 60;
inline constexpr double kMinorTickTwips = 30;

// The plot rectangle a surface without a custom one gets at a size (chart twips, y up).
ChartRect AutomaticPlotRect(const ChartSurface& surface, double widthTwips, double heightTwips);

// Lays out a surface drawn at widthTwips x heightTwips.
ChartLayout LayoutChart(const ChartSurface& surface, double widthTwips, double heightTwips);

// The text of an axis label for a value under the axis' format; step is the distance
// between major divisions, which sets the decimals of plain numbers.
std::string FormatAxisLabel(const ChartAxis& axis, double value, double step);

// Splits a title into its lines at CR LF, CR or LF.
std::vector<std::string> SplitTitleLines(const std::string& text);

// Estimated width in twips of a text at a font size in twips.
double EstimateTextWidth(const std::string& text, double fontTwips, int style = 0);

}  // namespace tidemark
