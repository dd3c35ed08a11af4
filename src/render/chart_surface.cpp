#include "render/chart_surface.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/color.h"
#include "core/vbtext.h"
#include "render/chart_layout.h"

namespace tidemark {

namespace {

constexpr double kNull = std::numeric_limits<double>::quiet_NaN();

// Bounds that keep a mistaken count from taking all memory: far beyond any graph
// (a year of 5-minute values is about 105,000 rows).
constexpr int kMaxRows = 10'000'000;
constexpr int kMaxColumns = 4096;

// Pen colours of series that graph drawing leaves unstyled, by series place.
constexpr int32_t kDefaultPenColors[] = {
    0x0000FF, 0x00A000, 0xFF0000, 0x00C0C0, 0xC000C0, 0xC0C000, 0x0080FF, 0x808080,
};

constexpr MarkerStyle kAutomaticMarkers[] = {
    MarkerStyle::FilledSquare,  MarkerStyle::FilledCircle, MarkerStyle::FilledUpTriangle,
    MarkerStyle::FilledDiamond, MarkerStyle::Cross,        MarkerStyle::Plus,
};

}  // namespace

void ChartSurface::SetRowCount(int rows) {
    if (rows < 0 || rows > kMaxRows) throw ChartError("Invalid row count " + std::to_string(rows));
    if (rows == 0) {
        rows_ = 0;
        for (auto& c : columns_) c.clear();
        return;
    }
    rows_ = rows;
    for (auto& c : columns_)
        if (!c.empty()) c.resize(static_cast<size_t>(rows), kNull);
}

void ChartSurface::SetColumnCount(int columns) {
    if (columns < 0 || columns > kMaxColumns) throw ChartError("Invalid column count " + std::to_string(columns));
    if (columns == 0) {
        // Emptying keeps the row count for the grid that is built next, but no cell.
        columns_.clear();
        return;
    }
    // A column takes memory when its first cell is written: most of a graph's columns
    // stay empty, and a full grid of a month of unit values is most of a megabyte.
    columns_.resize(static_cast<size_t>(columns));
}

std::vector<double>& ChartSurface::WrittenColumn(int column) {
    std::vector<double>& cells = columns_[static_cast<size_t>(column - 1)];
    if (cells.empty()) cells.assign(static_cast<size_t>(rows_), kNull);
    return cells;
}

double ChartSurface::Stored(int row, int column) const {
    const std::vector<double>& cells = columns_[static_cast<size_t>(column - 1)];
    return cells.empty() ? kNull : cells[static_cast<size_t>(row - 1)];
}

void ChartSurface::CheckCell(int row, int column) const {
    if (row < 1 || row > rows_ || column < 1 || column > ColumnCount())
        throw ChartError("Cell (" + std::to_string(row) + ", " + std::to_string(column) +
                         ") lies outside the chart's grid of " + std::to_string(rows_) + " rows and " +
                         std::to_string(ColumnCount()) + " columns");
}

void ChartSurface::SetCell(int row, int column, double value, bool isNull) {
    CheckCell(row, column);
    const double stored = (isNull || !std::isfinite(value)) ? kNull : value;
    if (std::isnan(stored) && columns_[static_cast<size_t>(column - 1)].empty()) return;
    WrittenColumn(column)[static_cast<size_t>(row - 1)] = stored;
}

void ChartSurface::SetCurrentRow(int row) {
    if (row < 1 || row > rows_) throw ChartError("Invalid row " + std::to_string(row));
    currentRow_ = row;
}

void ChartSurface::SetCurrentColumn(int column) {
    if (column < 1 || column > ColumnCount()) throw ChartError("Invalid column " + std::to_string(column));
    currentColumn_ = column;
}

void ChartSurface::SetCurrentData(std::string_view text) {
    CheckCell(currentRow_, currentColumn_);
    if (TrimBlanks(text).empty()) {
        SetCell(currentRow_, currentColumn_, kNull, true);
        return;
    }
    std::optional<double> value = ParseDouble(text);
    if (!value) throw ChartError("Chart data \"" + std::string(text) + "\" is not a number");
    SetCell(currentRow_, currentColumn_, *value);
}

bool ChartSurface::IsNull(int row, int column) const {
    CheckCell(row, column);
    return std::isnan(Stored(row, column));
}

std::optional<double> ChartSurface::Cell(int row, int column) const {
    CheckCell(row, column);
    double v = Stored(row, column);
    if (std::isnan(v)) return std::nullopt;
    return v;
}

std::span<const double> ChartSurface::ColumnValues(int column) const {
    if (column < 1 || column > ColumnCount()) return {};
    const std::vector<double>& cells = columns_[static_cast<size_t>(column - 1)];
    if (!cells.empty() || rows_ == 0) return cells;
    // One column of nulls stands for every column never written.
    if (nullColumn_.size() != static_cast<size_t>(rows_)) nullColumn_.assign(static_cast<size_t>(rows_), kNull);
    return nullColumn_;
}

int ChartSurface::SeriesIndex(int xColumn) {
    if (xColumn < 1 || xColumn % 2 == 0 || xColumn > kMaxColumns)
        throw ChartError("Series " + std::to_string(xColumn) + " does not name an X column");
    return (xColumn - 1) / 2;
}

ChartSeries& ChartSurface::Series(int xColumn) {
    int index = SeriesIndex(xColumn);
    auto it = series_.find(xColumn);
    if (it != series_.end()) return it->second;
    ChartSeries s;
    s.pen.color = kDefaultPenColors[index % std::size(kDefaultPenColors)];
    return series_.emplace(xColumn, s).first->second;
}

const ChartSeries& ChartSurface::Series(int xColumn) const {
    SeriesIndex(xColumn);
    auto it = series_.find(xColumn);
    if (it != series_.end()) return it->second;
    // Unstyled series read their defaults from one shared table per place.
    static const std::vector<ChartSeries> defaults = [] {
        std::vector<ChartSeries> d(std::size(kDefaultPenColors));
        for (size_t i = 0; i < d.size(); ++i) d[i].pen.color = kDefaultPenColors[i];
        return d;
    }();
    return defaults[static_cast<size_t>(SeriesIndex(xColumn)) % defaults.size()];
}

MarkerStyle AutomaticMarkerStyle(int xColumn) {
    return kAutomaticMarkers[static_cast<size_t>((xColumn - 1) / 2) % std::size(kAutomaticMarkers)];
}

ChartMarker DrawnMarker(const ChartSeries& series, int xColumn) {
    ChartMarker m = series.marker;
    if (series.autoMarkers) {
        m.style = AutomaticMarkerStyle(xColumn);
        m.penColor = series.pen.color;
        m.fillColor = series.pen.color;
    }
    return m;
}

void ChartSurface::SetAxisColor(int32_t color) {
    for (ChartAxis& a : axes_) {
        a.pen.color = color;
        a.labelFont.color = color;
        a.title.font.color = color;
    }
}

void ChartSurface::SetBounds(int left, int top, int width, int height) {
    if (width < 0 || height < 0) throw ChartError("A chart cannot have a negative size");
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void ChartSurface::SetPlotRect(const ChartRect& rect) {
    if (!(rect.maxX > rect.minX) || !(rect.maxY > rect.minY))
        throw ChartError("The plot rectangle must have its max corner above and right of its min corner");
    customPlotRect_ = rect;
}

ChartRect ChartSurface::PlotRect() const {
    if (customPlotRect_) return *customPlotRect_;
    return AutomaticPlotRect(*this, width_, height_);
}

void ChartSurface::SetTitleRect(const ChartRect& rect) {
    if (!(rect.maxX >= rect.minX) || !(rect.maxY >= rect.minY))
        throw ChartError("The title rectangle must have its max corner above and right of its min corner");
    title_.customLocation = true;
    title_.rect = rect;
}

PixelRect ChartSurface::PlotAreaPixels() const {
    if (width_ <= 0 || height_ <= 0) return {};
    ChartLayout layout = LayoutChart(*this, width_, height_);
    const LayoutRect& a = layout.plotArea;
    int left = static_cast<int>(std::lround(a.left / kTwipsPerPixel));
    int top = static_cast<int>(std::lround(a.top / kTwipsPerPixel));
    int right = static_cast<int>(std::lround(a.Right() / kTwipsPerPixel));
    int bottom = static_cast<int>(std::lround(a.Bottom() / kTwipsPerPixel));
    return {left, top, right - left, bottom - top};
}

ChartHit ChartSurface::HitTest(double xTwips, double yTwips) const {
    if (width_ <= 0 || height_ <= 0 || xTwips < 0 || yTwips < 0 || xTwips > width_ || yTwips > height_) return {};
    ChartLayout layout = LayoutChart(*this, width_, height_);
    const LayoutRect& area = layout.plotArea;
    bool inArea = xTwips >= area.left && xTwips <= area.Right() && yTwips >= area.top && yTwips <= area.Bottom();

    // A point is hit within its marker, and never less than 4 pixels from its centre.
    ChartHit best;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int xColumn = 1; xColumn + 1 <= ColumnCount(); xColumn += 2) {
        const ChartSeries& s = Series(xColumn);
        bool drawn = (s.showLine && s.pen.style != PenStyle::None) || s.marker.visible;
        if (!drawn) continue;
        double reach = std::max(4 * kTwipsPerPixel, s.marker.visible ? s.marker.size / 2.0 : 0.0);
        std::span<const double> xs = ColumnValues(xColumn);
        std::span<const double> ys = ColumnValues(xColumn + 1);
        for (size_t r = 0; r < xs.size(); ++r) {
            double px = layout.x.Map(xs[r]);
            double py = layout.y.Map(ys[r]);
            if (std::isnan(px) || std::isnan(py)) continue;
            // Points on the axis' minimum or maximum lie on the area's edge, give or take
            // the rounding of the mapping.
            constexpr double kEdge = 0.5;
            if (px < area.left - kEdge || px > area.Right() + kEdge || py < area.top - kEdge ||
                py > area.Bottom() + kEdge)
                continue;
            double d = std::hypot(px - xTwips, py - yTwips);
            if (d <= reach && d < bestDistance) {
                bestDistance = d;
                best = {ChartPart::DataPoint, xColumn, static_cast<int>(r) + 1};
            }
        }
    }
    if (best.part == ChartPart::DataPoint) return best;

    const LayoutRect& t = layout.titleRect;
    if (!layout.titleLines.empty() && xTwips >= t.left && xTwips <= t.Right() && yTwips >= t.top &&
        yTwips <= t.Bottom())
        return {ChartPart::Title, 0, 0};
    if (inArea) return {ChartPart::Plot, 0, 0};
    return {ChartPart::Chart, 0, 0};
}

}  // namespace tidemark
