#pragma once
// The charting surface one graph is drawn on: an XY chart over a grid of cells, with the
// series, axis and style settings that graph drawing applies and page layout places.
// It paints nothing itself; the widget layer paints it (devices/ui/chart_painter.h) from
// the geometry of chart_layout.h, so that hit testing here and painting there agree.
//
// Units: lengths and positions are twips (15 per pixel). The surface's place in the
// window is in window twips (origin top-left, y down); the plot and title rectangles
// are in the chart's own twips (origin bottom-left, y up). Font sizes are points.
// Colours are red + 256 * green + 65536 * blue.
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tidemark {

// A request the surface cannot carry out: a cell outside the grid, a series addressed by
// an even column, data text that is not a number. Graph drawing shows what() and moves
// on to the next graph.
class ChartError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ChartAxisId { X = 0, Y = 1 };

enum class ScaleType { Linear = 0, Logarithmic = 1 };

// Pen styles by the numbers graph drawing uses (0 none, 1 solid, 3 dotted).
enum class PenStyle { None = 0, Solid = 1, Dash = 2, Dot = 3, DashDot = 4, DashDotDot = 5 };

// Marker styles by the numbers graph definitions use.
enum class MarkerStyle {
    Plus = 1,
    Cross = 2,  // an X
    Star = 3,
    Circle = 4,
    Square = 5,
    Diamond = 6,
    UpTriangle = 7,
    DownTriangle = 8,
    FilledCircle = 9,
    FilledSquare = 10,
    FilledDiamond = 11,
    FilledUpTriangle = 12,
    FilledDownTriangle = 13,
};

// Font style flags.
inline constexpr int kFontBold = 1;
inline constexpr int kFontItalic = 2;

struct ChartPen {
    PenStyle style = PenStyle::Solid;
    int32_t color = 0;
    int width = 15;  // twips
};

struct ChartFont {
    std::string name = "Arial";
    double size = 8;  // points
    int style = 0;    // kFontBold | kFontItalic
    int32_t color = 0;
};

struct ChartMarker {
    bool visible = false;
    MarkerStyle style = MarkerStyle::Square;
    int size = 120;  // twips, the marker's full width
    int32_t penColor = 0;
    int penWidth = 15;  // twips
    int32_t fillColor = 0;
};

struct ChartSeries {
    bool showLine = true;
    std::string legendText;
    ChartPen pen;
    // While on, a visible marker takes a style chosen by the series' place and the
    // series' pen colour; graph drawing turns it off to style markers itself.
    bool autoMarkers = true;
    ChartMarker marker;
};

struct ChartValueScale {
    bool automatic = true;
    double minimum = 0;
    double maximum = 100;
    int majorDivisions = 10;  // between minimum and maximum
    int minorDivisions = 0;   // within each major division
};

// Rectangle in the chart's own twips: origin bottom-left, y up.
struct ChartRect {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    double Width() const { return maxX - minX; }
    double Height() const { return maxY - minY; }
    bool operator==(const ChartRect&) const = default;
};

// Rectangle in pixels inside the chart: origin top-left, y down.
struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};

struct ChartAxisTitle {
    std::string text;
    ChartFont font;
    bool visible = false;
};

struct ChartAxis {
    ChartPen pen;  // the axis line and its tick marks
    ChartPen majorGrid{PenStyle::None, 0x808080, 15};
    ChartPen minorGrid{PenStyle::None, 0xC0C0C0, 15};
    ChartValueScale scale;
    ScaleType scaleType = ScaleType::Linear;
    // Where this axis crosses the other one, as a value on the other axis (the X axis
    // crosses the Y axis at a Y value). Automatic: at 0 when 0 is in the other axis'
    // linear range, otherwise at its minimum.
    bool crossingAutomatic = true;
    double crossingPoint = 0;
    bool labelsInsidePlot = false;  // off: labels stay at the plot's edge
    // "0", "0.0", ... for numbers; a text with date tokens ("mmmdd") for day numbers;
    // empty for plain numbers with as many decimals as the divisions need.
    std::string labelFormat;
    ChartFont labelFont;
    ChartAxisTitle title;
};

struct ChartFill {
    bool solid = false;  // off: nothing is painted and what lies behind shows
    int32_t color = 0xFFFFFF;
};

struct ChartTitle {
    std::string text;  // lines separated by CR LF (or LF)
    ChartFont font{"Arial", 12, 0, 0};
    bool customLocation = false;
    ChartRect rect;  // used when customLocation is on
};

// What lies under a position on the surface. The numbers of the parts follow the
// component's part list, in which a data point is 7.
enum class ChartPart { None = 0, Chart = 1, Title = 2, Plot = 4, DataPoint = 7 };

struct ChartHit {
    ChartPart part = ChartPart::None;
    int series = 0;  // the X column of the series, for a data point
    int row = 0;     // the grid row, for a data point
};

// The style a visible marker of a series is drawn in: its own, or while automatic
// markers are on, the style for the series' place in the series' pen colour.
MarkerStyle AutomaticMarkerStyle(int xColumn);
ChartMarker DrawnMarker(const ChartSeries& series, int xColumn);

class ChartSurface {
public:
    ChartSurface() = default;

    // --- the grid: rows and columns count from 1; new cells are null ---
    void SetRowCount(int rows);        // 0 empties the grid
    void SetColumnCount(int columns);  // 0 empties the grid
    int RowCount() const { return rows_; }
    int ColumnCount() const { return static_cast<int>(columns_.size()); }

    // Stores a value, or makes the cell null when isNull is true. A value that is not a
    // finite number cannot be drawn and is stored as null.
    void SetCell(int row, int column, double value, bool isNull = false);
    void SetCurrentRow(int row);
    void SetCurrentColumn(int column);
    // Stores decimal text in the current cell; blank text makes it null.
    void SetCurrentData(std::string_view text);
    int CurrentRow() const { return currentRow_; }

    bool IsNull(int row, int column) const;
    std::optional<double> Cell(int row, int column) const;  // nothing for a null cell
    // A whole column, row 1 first; a null cell reads as NaN.
    // A column's cells from row 1 (valid until the grid changes).
    std::span<const double> ColumnValues(int column) const;

    // --- series, addressed by their X column (1, 3, 5, ...) ---
    // Settings live apart from the grid, so a series can be styled before its columns
    // exist and keeps its style while the grid is resized.
    ChartSeries& Series(int xColumn);
    const ChartSeries& Series(int xColumn) const;
    // Series with both columns in the grid: X columns 1, 3, ... up to this - 1.
    int SeriesCount() const { return ColumnCount() / 2; }

    // --- axes ---
    ChartAxis& Axis(ChartAxisId id) { return axes_[static_cast<int>(id)]; }
    const ChartAxis& Axis(ChartAxisId id) const { return axes_[static_cast<int>(id)]; }
    ChartAxis& XAxis() { return axes_[0]; }
    ChartAxis& YAxis() { return axes_[1]; }
    const ChartAxis& XAxis() const { return axes_[0]; }
    const ChartAxis& YAxis() const { return axes_[1]; }
    // The colour of both axes' lines, tick marks, labels and titles.
    void SetAxisColor(int32_t color);

    // --- backdrop, plot wall, legend, state ---
    ChartFill& Backdrop() { return backdrop_; }
    const ChartFill& Backdrop() const { return backdrop_; }
    ChartFill& PlotWall() { return plotWall_; }
    const ChartFill& PlotWall() const { return plotWall_; }
    void SetBackdropColor(int32_t color) { backdrop_ = {true, color}; }
    void SetPlotWallColor(int32_t color) { plotWall_ = {true, color}; }
    void SetLegendVisible(bool visible) { legendVisible_ = visible; }
    bool LegendVisible() const { return legendVisible_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool Visible() const { return visible_; }

    // --- placement in the window (window twips) ---
    void SetBounds(int left, int top, int width, int height);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // --- plot and title (chart twips) ---
    // The plot rectangle holds the plot area and the axes' labels and titles. Until one
    // is set, the surface keeps a margin around it and room for the title at the top.
    void SetPlotRect(const ChartRect& rect);
    ChartRect PlotRect() const;
    bool HasCustomPlotRect() const { return customPlotRect_.has_value(); }

    ChartTitle& Title() { return title_; }
    const ChartTitle& Title() const { return title_; }
    void SetTitleText(std::string_view text) { title_.text = std::string(text); }
    void SetTitleRect(const ChartRect& rect);  // and puts the title in it

    // --- questions about the drawn chart (at the surface's own size) ---
    // The part under a position given in twips from the surface's top-left corner.
    ChartHit HitTest(double xTwips, double yTwips) const;
    // Where the plot area (the wall inside the axes) lies, in pixels inside the chart.
    PixelRect PlotAreaPixels() const;

private:
    void CheckCell(int row, int column) const;
    static int SeriesIndex(int xColumn);

    int rows_ = 0;
    std::vector<double>& WrittenColumn(int column);
    double Stored(int row, int column) const;

    // columns_[c - 1][r - 1]; NaN = null; a column never written is empty.
    std::vector<std::vector<double>> columns_;
    mutable std::vector<double> nullColumn_;
    int currentRow_ = 1;
    int currentColumn_ = 1;

    std::map<int, ChartSeries> series_;  // by X column
    ChartAxis axes_[2];
    ChartFill backdrop_;
    ChartFill plotWall_;
    bool legendVisible_ = false;
    bool enabled_ = true;
    bool visible_ = true;

    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::optional<ChartRect> customPlotRect_;
    ChartTitle title_;
};

}  // namespace tidemark
