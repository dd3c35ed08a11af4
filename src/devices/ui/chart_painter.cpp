#include "devices/ui/chart_painter.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_set>
#include <vector>

#include "core/color.h"
#include "render/chart_layout.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {

namespace {

Qt::PenStyle ToQtStyle(PenStyle style) {
    switch (style) {
        case PenStyle::None: return Qt::NoPen;
        case PenStyle::Solid: return Qt::SolidLine;
        case PenStyle::Dash: return Qt::DashLine;
        case PenStyle::Dot: return Qt::DotLine;
        case PenStyle::DashDot: return Qt::DashDotLine;
        case PenStyle::DashDotDot: return Qt::DashDotDotLine;
    }
    return Qt::SolidLine;
}

// Chart twips (y down) to device pixels inside the target rectangle.
struct Mapper {
    double left = 0, top = 0, sx = 1, sy = 1;
    double s = 1;  // for lengths that do not follow one direction: pens, fonts, markers
    double X(double t) const { return left + t * sx; }
    double Y(double t) const { return top + t * sy; }
    double Size(double twips) const { return twips * s; }
    QRectF Rect(const LayoutRect& r) const { return QRectF(X(r.left), Y(r.top), r.width * sx, r.height * sy); }
};

// Pens and markers are kept to sizes a chart can show, whatever a setting asks for.
double PenPixels(const Mapper& m, int twips) { return std::clamp(m.Size(twips), 1.0, 100.0); }

QPen MakePen(const ChartPen& p, const Mapper& m, Qt::PenCapStyle cap = Qt::FlatCap) {
    return QPen(ToQColor(p.color), PenPixels(m, p.width), ToQtStyle(p.style), cap, Qt::MiterJoin);
}

// Puts a line of the given width on pixel centres (odd widths) or edges (even), so
// thin axis and grid lines stay sharp under antialiasing.
double Crisp(double v, double width) { return (std::lround(width) % 2 == 1) ? std::floor(v) + 0.5 : std::round(v); }

QFont MakeFont(const ChartFont& f, const Mapper& m) {
    QFont font(ProgramText(f.name));
    font.setPixelSize(static_cast<int>(std::lround(std::clamp(m.Size(f.size * kTwipsPerPoint), 1.0, 1000.0))));
    font.setBold((f.style & kFontBold) != 0);
    font.setItalic((f.style & kFontItalic) != 0);
    return font;
}

// Draws the line of one series, point by point as the data gives them, in as few
// rasterizer operations as the pixels need:
// - where several points fall in one pixel column (a dense series), the line's ink in
//   that column is one vertical span from the lowest to the highest point (and the
//   joint with the column before), as wide as the pen and half the pen width beyond
//   each end. Filled as antialiased rectangles it looks as the stroked line does and
//   costs the columns, not the points;
// - elsewhere the points are stroked as antialiased polylines, in short chunks: the
//   stroker's cost grows faster than the length of what it is given.
class LineBuilder {
public:
    LineBuilder(QPainter& painter, const QPen& pen) : painter_(painter), pen_(pen), color_(pen.color()) {
        halfWidth_ = pen.widthF() / 2;
        spansAllowed_ = pen.style() == Qt::SolidLine;
        out_.reserve(kChunk + 2);
    }
    ~LineBuilder() { Finish(); }

    // Starts a new piece of line at p.
    void MoveTo(QPointF p) {
        Finish();
        Open(p);
    }

    void LineTo(QPointF p) {
        if (!bucketOpen_) {
            Open(p);
            return;
        }
        if (std::floor(p.x()) != bucketKey_) {
            CloseBucket();
            Open(p);
            return;
        }
        ++count_;
        minY_ = std::min(minY_, p.y());
        maxY_ = std::max(maxY_, p.y());
        last_ = p;
    }

    // Ends the piece of line: a gap follows.
    void Finish() {
        CloseBucket();
        FlushPolyline(false);
        FlushSpans();
        havePrevious_ = false;
    }

private:
    static constexpr size_t kChunk = 16;

    void Open(QPointF p) {
        bucketOpen_ = true;
        bucketKey_ = std::floor(p.x());
        first_ = last_ = p;
        minY_ = maxY_ = p.y();
        count_ = 1;
    }

    void CloseBucket() {
        if (!bucketOpen_) return;
        bucketOpen_ = false;
        bool dense = spansAllowed_ && count_ >= 2;
        if (dense) {
            // The stroked part ends where the dense part begins.
            if (!out_.empty()) {
                out_.push_back(first_);
                FlushPolyline(false);
            }
            double low = minY_, high = maxY_;
            if (havePrevious_ && bucketKey_ - previousKey_ == 1) {
                low = std::min(low, previous_.y());
                high = std::max(high, previous_.y());
            } else if (havePrevious_) {
                // Columns between the two are crossed by one segment: stroke it.
                out_.push_back(previous_);
                out_.push_back(first_);
                FlushPolyline(false);
            }
            spans_.push_back({bucketKey_, low - halfWidth_, high + halfWidth_});
        } else {
            if (out_.empty() && havePrevious_) out_.push_back(previous_);
            out_.push_back(first_);
            if (out_.size() > kChunk) FlushPolyline(true);
        }
        havePrevious_ = true;
        previous_ = last_;
        previousKey_ = bucketKey_;
    }

    void FlushPolyline(bool keepLast) {
        if (out_.size() >= 2) {
            painter_.setPen(pen_);
            painter_.drawPolyline(out_.data(), static_cast<int>(out_.size()));
        }
        QPointF tail = out_.empty() ? QPointF() : out_.back();
        out_.clear();
        if (keepLast) out_.push_back(tail);
    }

    void FlushSpans() {
        if (spans_.empty()) return;
        // As wide as the pen across the column, antialiased at all four edges.
        std::vector<QRectF> rects;
        rects.reserve(spans_.size());
        for (const Span& s : spans_)
            rects.emplace_back(s.column + 0.5 - halfWidth_, s.top, 2 * halfWidth_, s.bottom - s.top);
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(color_);
        painter_.drawRects(rects.data(), static_cast<int>(rects.size()));
        painter_.setBrush(Qt::NoBrush);
        spans_.clear();
    }

    struct Span {
        double column, top, bottom;
    };

    QPainter& painter_;
    QPen pen_;
    QColor color_;
    double halfWidth_ = 0.5;
    bool spansAllowed_ = true;
    std::vector<QPointF> out_;
    std::vector<Span> spans_;
    bool bucketOpen_ = false;
    double bucketKey_ = 0;
    QPointF first_, last_;
    double minY_ = 0, maxY_ = 0;
    int count_ = 0;
    bool havePrevious_ = false;  // the last point of the column before, in this piece
    QPointF previous_;
    double previousKey_ = 0;
};

// Which sides of a rectangle a point lies beyond (0 = inside).
int Outside(QPointF p, const QRectF& r) {
    int code = 0;
    if (p.x() < r.left()) code |= 1;
    if (p.x() > r.right()) code |= 2;
    if (p.y() < r.top()) code |= 4;
    if (p.y() > r.bottom()) code |= 8;
    return code;
}

// Pulls the end b of segment a-b back onto rectangle r along the segment, so far-off
// points never reach the rasterizer with coordinates it cannot hold. The coordinate
// across the edge is set exactly and the other one found from the segment's slope,
// which stays precise even when the ends lie at distances like 1e300.
QPointF PullInside(QPointF a, QPointF b, const QRectF& r) {
    if (Outside(b, r) == 0) return b;
    double dx = b.x() - a.x(), dy = b.y() - a.y();
    double t = 1, edge = 0;
    bool vertical = false;  // the edge crossed is a vertical one (left or right)
    auto consider = [&](double target, double from, double delta, bool isVertical) {
        if (delta == 0) return;
        double candidate = (target - from) / delta;
        if (candidate < t) t = candidate, edge = target, vertical = isVertical;
    };
    if (b.x() < r.left()) consider(r.left(), a.x(), dx, true);
    if (b.x() > r.right()) consider(r.right(), a.x(), dx, true);
    if (b.y() < r.top()) consider(r.top(), a.y(), dy, false);
    if (b.y() > r.bottom()) consider(r.bottom(), a.y(), dy, false);
    if (t >= 1) return QPointF(std::clamp(b.x(), r.left(), r.right()), std::clamp(b.y(), r.top(), r.bottom()));
    if (vertical) return QPointF(edge, a.y() + (edge - a.x()) / dx * dy);
    return QPointF(a.x() + (edge - a.y()) / dy * dx, edge);
}

struct PointMapper {
    const AxisLayout& x;
    const AxisLayout& y;
    const Mapper& m;
    // Device position of a cell pair; false for a gap.
    bool operator()(double vx, double vy, QPointF& out) const {
        double tx = x.Map(vx), ty = y.Map(vy);
        if (std::isnan(tx) || std::isnan(ty)) return false;
        out = QPointF(m.X(tx), m.Y(ty));
        return true;
    }
};

void DrawSeriesLine(QPainter& painter, const ChartSeries& series, std::span<const double> xs,
                    std::span<const double> ys, const PointMapper& map, const QRectF& clip) {
    QPen pen = MakePen(series.pen, map.m, Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setBrush(Qt::NoBrush);
    double margin = pen.widthF() + 2;
    QRectF view = clip.adjusted(-margin, -margin, margin, margin);
    QRectF far = clip.adjusted(-2000, -2000, 2000, 2000);

    LineBuilder line(painter, pen);
    bool havePrevious = false;   // a point before this one, with no gap between
    bool previousDrawn = false;  // ... that has been put into the line
    QPointF previous;
    int previousSide = 0;
    size_t n = std::min(xs.size(), ys.size());
    for (size_t r = 0; r < n; ++r) {
        QPointF p;
        if (!map(xs[r], ys[r], p)) {
            havePrevious = false;
            line.Finish();
            continue;
        }
        int side = Outside(p, view);
        if (!havePrevious) {
            line.Finish();
            previousDrawn = false;
        } else if ((side & previousSide) != 0) {
            // Both ends beyond the same edge: nothing of this segment shows.
            if (previousDrawn) line.Finish();
            previousDrawn = false;
        } else {
            if (!previousDrawn) line.MoveTo(PullInside(p, previous, far));
            line.LineTo(PullInside(previous, p, far));
            // A point pulled in is not where the next segment starts.
            previousDrawn = Outside(p, far) == 0;
        }
        previous = p;
        previousSide = side;
        havePrevious = true;
    }
}

QPainterPath MarkerShape(MarkerStyle style, QPointF c, double h) {
    QPainterPath path;
    auto polygon = [&](std::initializer_list<QPointF> points) {
        path.addPolygon(QPolygonF(points));
        path.closeSubpath();
    };
    switch (style) {
        case MarkerStyle::Plus:
            path.moveTo(c.x() - h, c.y()), path.lineTo(c.x() + h, c.y());
            path.moveTo(c.x(), c.y() - h), path.lineTo(c.x(), c.y() + h);
            break;
        case MarkerStyle::Cross:
            path.moveTo(c.x() - h, c.y() - h), path.lineTo(c.x() + h, c.y() + h);
            path.moveTo(c.x() - h, c.y() + h), path.lineTo(c.x() + h, c.y() - h);
            break;
        case MarkerStyle::Star:
            path.moveTo(c.x() - h, c.y()), path.lineTo(c.x() + h, c.y());
            path.moveTo(c.x(), c.y() - h), path.lineTo(c.x(), c.y() + h);
            path.moveTo(c.x() - h * 0.7, c.y() - h * 0.7), path.lineTo(c.x() + h * 0.7, c.y() + h * 0.7);
            path.moveTo(c.x() - h * 0.7, c.y() + h * 0.7), path.lineTo(c.x() + h * 0.7, c.y() - h * 0.7);
            break;
        case MarkerStyle::Circle:
        case MarkerStyle::FilledCircle: path.addEllipse(c, h, h); break;
        case MarkerStyle::Square:
        case MarkerStyle::FilledSquare: path.addRect(QRectF(c.x() - h, c.y() - h, 2 * h, 2 * h)); break;
        case MarkerStyle::Diamond:
        case MarkerStyle::FilledDiamond:
            polygon({{c.x(), c.y() - h}, {c.x() + h, c.y()}, {c.x(), c.y() + h}, {c.x() - h, c.y()}});
            break;
        case MarkerStyle::UpTriangle:
        case MarkerStyle::FilledUpTriangle:
            polygon({{c.x(), c.y() - h}, {c.x() + h, c.y() + h}, {c.x() - h, c.y() + h}});
            break;
        case MarkerStyle::DownTriangle:
        case MarkerStyle::FilledDownTriangle:
            polygon({{c.x() - h, c.y() - h}, {c.x() + h, c.y() - h}, {c.x(), c.y() + h}});
            break;
    }
    return path;
}

bool IsFilled(MarkerStyle style) {
    return style == MarkerStyle::FilledCircle || style == MarkerStyle::FilledSquare ||
           style == MarkerStyle::FilledDiamond || style == MarkerStyle::FilledUpTriangle ||
           style == MarkerStyle::FilledDownTriangle;
}

// One marker drawn once; every point then gets a copy, and points that land on the same
// pixel get one copy between them.
void DrawSeriesMarkers(QPainter& painter, const ChartMarker& marker, std::span<const double> xs,
                       std::span<const double> ys, const PointMapper& map, const QRectF& clip) {
    double size = std::clamp(map.m.Size(marker.size), 2.0, 400.0);
    double penWidth = PenPixels(map.m, marker.penWidth);
    int side = static_cast<int>(std::ceil(size + penWidth)) + 2;
    QImage sprite(side, side, QImage::Format_ARGB32_Premultiplied);
    sprite.fill(Qt::transparent);
    {
        QPainter p(&sprite);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(ToQColor(marker.penColor), penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(IsFilled(marker.style) ? QBrush(ToQColor(marker.fillColor)) : QBrush(Qt::NoBrush));
        p.drawPath(MarkerShape(marker.style, QPointF(side / 2.0, side / 2.0), size / 2));
    }
    QRectF view = clip.adjusted(-side, -side, side, side);
    std::unordered_set<long long> stamped;
    size_t n = std::min(xs.size(), ys.size());
    for (size_t r = 0; r < n; ++r) {
        QPointF p;
        if (!map(xs[r], ys[r], p) || !view.contains(p)) continue;
        long long ix = std::lround(p.x() - side / 2.0), iy = std::lround(p.y() - side / 2.0);
        if (!stamped.insert((ix << 32) ^ (iy & 0xFFFFFFFFLL)).second) continue;
        painter.drawImage(QPoint(static_cast<int>(ix), static_cast<int>(iy)), sprite);
    }
}

void DrawGrid(QPainter& painter, const ChartPen& pen, const std::vector<double>& positions, bool vertical,
              const Mapper& m, const QRectF& area) {
    if (pen.style == PenStyle::None || positions.empty()) return;
    QPen qpen = MakePen(pen, m);
    painter.setPen(qpen);
    std::vector<QLineF> lines;
    for (double t : positions) {
        if (vertical) {
            double x = Crisp(m.X(t), qpen.widthF());
            lines.emplace_back(x, area.top(), x, area.bottom());
        } else {
            double y = Crisp(m.Y(t), qpen.widthF());
            lines.emplace_back(area.left(), y, area.right(), y);
        }
    }
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

void DrawAxes(QPainter& painter, const ChartSurface& surface, const ChartLayout& L, const Mapper& m,
              const QRectF& area) {
    const ChartAxis& xAxis = surface.XAxis();
    const ChartAxis& yAxis = surface.YAxis();
    double major = m.Size(kMajorTickTwips), minor = m.Size(kMinorTickTwips);

    if (xAxis.pen.style != PenStyle::None) {
        QPen pen = MakePen(xAxis.pen, m);
        painter.setPen(pen);
        double y = Crisp(m.Y(L.x.linePosition), pen.widthF());
        std::vector<QLineF> lines{QLineF(area.left(), y, area.right(), y)};
        for (double t : L.x.majorPositions)
            lines.emplace_back(Crisp(m.X(t), pen.widthF()), y, Crisp(m.X(t), pen.widthF()), y + major);
        for (double t : L.x.minorPositions)
            lines.emplace_back(Crisp(m.X(t), pen.widthF()), y, Crisp(m.X(t), pen.widthF()), y + minor);
        painter.drawLines(lines.data(), static_cast<int>(lines.size()));
    }
    if (yAxis.pen.style != PenStyle::None) {
        QPen pen = MakePen(yAxis.pen, m);
        painter.setPen(pen);
        double x = Crisp(m.X(L.y.linePosition), pen.widthF());
        std::vector<QLineF> lines{QLineF(x, area.top(), x, area.bottom())};
        for (double t : L.y.majorPositions)
            lines.emplace_back(x - major, Crisp(m.Y(t), pen.widthF()), x, Crisp(m.Y(t), pen.widthF()));
        for (double t : L.y.minorPositions)
            lines.emplace_back(x - minor, Crisp(m.Y(t), pen.widthF()), x, Crisp(m.Y(t), pen.widthF()));
        painter.drawLines(lines.data(), static_cast<int>(lines.size()));
    }

    // Labels: under the plot area (or under the axis line when inside), left of it for Y.
    painter.setPen(ToQColor(xAxis.labelFont.color));
    painter.setFont(MakeFont(xAxis.labelFont, m));
    double xTop = (xAxis.labelsInsidePlot ? m.Y(L.x.linePosition) : area.bottom()) + major + m.Size(15);
    for (const AxisLabel& label : L.x.labels) {
        double x = m.X(label.position);
        painter.drawText(QRectF(x - 500, xTop, 1000, 200), Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip,
                         ProgramText(label.text));
    }
    painter.setPen(ToQColor(yAxis.labelFont.color));
    painter.setFont(MakeFont(yAxis.labelFont, m));
    double yRight = (yAxis.labelsInsidePlot ? m.X(L.y.linePosition) : area.left()) - major - m.Size(30);
    for (const AxisLabel& label : L.y.labels) {
        double y = m.Y(label.position);
        painter.drawText(QRectF(yRight - 1000, y - 100, 1000, 200),
                         Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip, ProgramText(label.text));
    }

    // Axis titles: the Y title reads upwards along the left edge.
    if (yAxis.title.visible && !yAxis.title.text.empty()) {
        painter.save();
        painter.setPen(ToQColor(yAxis.title.font.color));
        painter.setFont(MakeFont(yAxis.title.font, m));
        painter.translate(m.X(L.yTitleCenterX), area.center().y());
        painter.rotate(-90);
        painter.drawText(QRectF(-2000, -200, 4000, 400), Qt::AlignCenter | Qt::TextDontClip,
                         ProgramText(yAxis.title.text));
        painter.restore();
    }
    if (xAxis.title.visible && !xAxis.title.text.empty()) {
        painter.setPen(ToQColor(xAxis.title.font.color));
        painter.setFont(MakeFont(xAxis.title.font, m));
        painter.drawText(QRectF(area.center().x() - 2000, m.Y(L.xTitleCenterY) - 200, 4000, 400),
                         Qt::AlignCenter | Qt::TextDontClip, ProgramText(xAxis.title.text));
    }
}

void DrawTitle(QPainter& painter, const ChartSurface& surface, const ChartLayout& L, const Mapper& m) {
    if (L.titleLines.empty()) return;
    const ChartFont& font = surface.Title().font;
    QFont qfont = MakeFont(font, m);
    painter.setFont(qfont);
    painter.setPen(ToQColor(font.color));
    QRectF rect = m.Rect(L.titleRect);
    double lineHeight = QFontMetricsF(qfont).lineSpacing();
    double y = rect.top();
    for (const std::string& line : L.titleLines) {
        painter.drawText(QRectF(rect.left(), y, rect.width(), lineHeight),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, ProgramText(line));
        y += lineHeight;
    }
}

void DrawLegend(QPainter& painter, const ChartSurface& surface, const Mapper& m, const QRectF& area) {
    struct Entry {
        QString text;
        const ChartSeries* series;
    };
    std::vector<Entry> entries;
    for (int x = 1; x + 1 <= surface.ColumnCount(); x += 2) {
        const ChartSeries& s = surface.Series(x);
        if (!s.legendText.empty()) entries.push_back({ProgramText(s.legendText), &s});
    }
    if (entries.empty()) return;
    QFont font = MakeFont(surface.XAxis().labelFont, m);
    painter.setFont(font);
    QFontMetricsF metrics(font);
    double line = metrics.lineSpacing(), sample = 2 * line, width = 0;
    for (const Entry& e : entries) width = std::max(width, metrics.horizontalAdvance(e.text));
    QRectF box(area.right() - width - sample - 3 * 4, area.top() + 4, width + sample + 3 * 4,
               entries.size() * line + 8);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    double y = box.top() + 4;
    for (const Entry& e : entries) {
        painter.setPen(MakePen(e.series->pen, m));
        painter.drawLine(QPointF(box.left() + 4, y + line / 2), QPointF(box.left() + 4 + sample, y + line / 2));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(box.left() + 8 + sample, y, width, line), Qt::AlignLeft | Qt::AlignVCenter, e.text);
        y += line;
    }
}

// The chart laid out at its own size (or the target's, when it has none) and the
// mapping of that layout onto the target.
struct Placement {
    ChartLayout layout;
    Mapper mapper;
};

Placement Place(const ChartSurface& surface, const QRectF& target) {
    bool sized = surface.Width() > 0 && surface.Height() > 0;
    double widthTwips = sized ? surface.Width() : PixelsToTwips(target.width());
    double heightTwips = sized ? surface.Height() : PixelsToTwips(target.height());
    Placement p{LayoutChart(surface, widthTwips, heightTwips), {}};
    p.mapper.left = target.left();
    p.mapper.top = target.top();
    p.mapper.sx = target.width() / widthTwips;
    p.mapper.sy = target.height() / heightTwips;
    p.mapper.s = std::min(p.mapper.sx, p.mapper.sy);
    return p;
}

}  // namespace

QRectF PlotAreaIn(const ChartSurface& surface, const QRectF& target) {
    if (target.width() <= 0 || target.height() <= 0) return {};
    Placement p = Place(surface, target);
    return p.mapper.Rect(p.layout.plotArea);
}

DrawnAxisRange DrawnYAxis(const ChartSurface& surface, const QRectF& target) {
    if (target.width() <= 0 || target.height() <= 0) return {};
    const AxisLayout& y = Place(surface, target).layout.y;
    return {y.logarithmic, y.minimum, y.maximum};
}

QRectF PaintChart(QPainter& painter, const ChartSurface& surface, const QRectF& target) {
    if (target.width() <= 0 || target.height() <= 0) return {};
    Placement placement = Place(surface, target);
    const ChartLayout& L = placement.layout;
    const Mapper& m = placement.mapper;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setClipRect(target, Qt::IntersectClip);

    if (surface.Backdrop().solid) painter.fillRect(target, ToQColor(surface.Backdrop().color));
    QRectF area = m.Rect(L.plotArea);
    if (surface.PlotWall().solid) painter.fillRect(area, ToQColor(surface.PlotWall().color));

    // Grid and data stay inside the plot area.
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    const ChartAxis& xAxis = surface.XAxis();
    const ChartAxis& yAxis = surface.YAxis();
    DrawGrid(painter, xAxis.minorGrid, L.x.minorPositions, true, m, area);
    DrawGrid(painter, yAxis.minorGrid, L.y.minorPositions, false, m, area);
    DrawGrid(painter, xAxis.majorGrid, L.x.majorPositions, true, m, area);
    DrawGrid(painter, yAxis.majorGrid, L.y.majorPositions, false, m, area);

    PointMapper map{L.x, L.y, m};
    for (int x = 1; x + 1 <= surface.ColumnCount(); x += 2) {
        const ChartSeries& s = surface.Series(x);
        if (s.showLine && s.pen.style != PenStyle::None)
            DrawSeriesLine(painter, s, surface.ColumnValues(x), surface.ColumnValues(x + 1), map, area);
    }
    // Markers over every line, so a marker series is never hidden under a later line.
    for (int x = 1; x + 1 <= surface.ColumnCount(); x += 2) {
        const ChartSeries& s = surface.Series(x);
        if (s.marker.visible)
            DrawSeriesMarkers(painter, DrawnMarker(s, x), surface.ColumnValues(x), surface.ColumnValues(x + 1), map,
                              area);
    }
    if (surface.LegendVisible()) DrawLegend(painter, surface, m, area);
    painter.restore();

    DrawAxes(painter, surface, L, m, area);
    DrawTitle(painter, surface, L, m);
    painter.restore();
    return area;
}

QImage RenderChartImage(const ChartSurface& surface, QSize pixelSize) {
    QImage image(pixelSize, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return image;
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintChart(painter, surface, QRectF(QPointF(0, 0), QSizeF(pixelSize)));
    return image;
}

}  // namespace tidemark
