// One graph slot onto its chart: the grid of series, the styling from the GraphDef, both
// axes, the watch check, alert marks, model-run traces and the title text.
#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include "analysis/axis.h"
#include "analysis/frequency.h"
#include "core/color.h"
#include "core/vbtext.h"
#include "data/series_kinds.h"
#include "render/graph_kinds.h"
#include "render/graph_series.h"
#include "render/showgraphs.h"
#include "render/titles.h"

namespace tidemark {
namespace {

constexpr int32_t kRed = 0x0000FF;                      // RGB(255, 0, 0)
constexpr int32_t kYellow = 0x00FFFF;                   // RGB(255, 255, 0)
constexpr int32_t kOrange = 55 << 16 | 185 << 8 | 255;  // RGB(255, 185, 55)

// A colour as its three bytes, whatever lies above them.
int32_t Colour(int32_t value) {
    Rgb c = SplitColor(value);
    return RGB(c.red, c.green, c.blue);
}

// Nearest whole number, halves to even; a count the chart cannot take is a fault.
int WholeNumber(double x, const char* what) {
    std::optional<int16_t> n = CInt(x);
    if (!n) throw std::runtime_error(std::string("Overflow in the ") + what);
    return *n;
}

// Every series back to the chart's defaults, so that nothing drawn on this chart for
// another page shows through.
void ResetSeriesStyles(ChartSurface& chart, int columns) {
    static const ChartSurface blank;
    for (int x = 1; x <= std::max(columns, kBaseColumns); x += 2) chart.Series(x) = blank.Series(x);
}

void ShowLineOnly(ChartSeries& s) {
    s.showLine = true;
    s.marker.visible = false;
}

void ShowMarkers(ChartSeries& s, bool line, int penWidth, int size, MarkerStyle style) {
    s.showLine = line;
    s.autoMarkers = false;
    s.marker.penWidth = penWidth;
    s.marker.visible = true;
    s.marker.size = size;
    s.marker.style = style;
}

void StyleRunNumberTrace(ChartSurface& chart, const GraphInputs& in, int penwidth2) {
    if (in.runnumber == 0 || in.def.tracecount != 1) return;
    ChartSeries& s = chart.Series(kFirstTraceX);
    s.legendText = "Series 3";
    s.pen.color = kOrange;
    s.marker.penColor = kOrange;
    s.autoMarkers = false;
    s.marker.penWidth = 15;
    s.marker.style = MarkerStyle::Square;
    s.marker.size = chart.Series(kDailyX).marker.size;
    s.pen.width = penwidth2;
    s.showLine = in.def.hrmarker != MarkerMode::MarkersOnly;
    s.marker.visible = in.def.hrmarker == MarkerMode::LineAndMarkers || in.def.hrmarker == MarkerMode::MarkersOnly;
}

XRange StyleDateAxis(ChartSurface& chart, const DateWindow& window, int days) {
    ChartAxis& x = chart.XAxis();
    x.scale.automatic = false;
    x.scaleType = ScaleType::Linear;
    XRange range{window.start, window.end};
    if (days > 11) {
        double max = window.end;
        NiceAxisResult n = Niceaxis(window.start, max);
        range = {n.min, n.max};
        int major = WholeNumber((n.max - n.min) / n.step, "date axis divisions");
        x.scale.majorDivisions = major;
        x.scale.minorDivisions = major == 0 ? 0 : WholeNumber((n.max - n.min) / major, "date axis divisions");
    } else {
        x.scale.majorDivisions = WholeNumber(window.end - window.start, "date axis divisions");
        x.scale.minorDivisions = 0;
    }
    x.scale.minimum = range.min;
    x.scale.maximum = range.max;
    x.labelFormat = "mmmdd";
    return range;
}

// Durations in minutes on a logarithmic axis that finds its own range.
XRange StyleDurationAxis(ChartSurface& chart, const GraphInputs& in) {
    ChartAxis& x = chart.XAxis();
    x.scale.automatic = true;
    x.crossingAutomatic = true;
    x.scaleType = ScaleType::Logarithmic;
    x.labelFormat = "0";
    ValueRange r;
    for (int i = 1; i <= in.mainCount; ++i) {
        const SeriesPoint& p = in.main.points[static_cast<size_t>(i)];
        if (!IsMissing(p.value) && p.time > 0) r.Add(p.time);
    }
    return r.Any() ? XRange{r.min, r.max} : XRange{5, 1440};
}

void StyleMainAndDaily(ChartSurface& chart, const GraphDef& def, int pw1, int pw2) {
    ChartSeries& main = chart.Series(kMainX);
    main.pen.color = Colour(def.hrcolor);
    main.marker.penColor = Colour(def.hrcolor);
    main.marker.size = 2 * pw1 + 65;
    main.pen.width = pw1;

    ChartSeries& daily = chart.Series(kDailyX);
    daily.showLine = true;
    daily.autoMarkers = false;
    daily.marker.visible = true;
    daily.marker.size = 2 * pw2 + 65;
    daily.marker.style = MarkerStyle::FilledSquare;
    daily.pen.color = Colour(def.daycolor);
    daily.marker.penColor = Colour(def.daycolor);
    daily.marker.fillColor = Colour(def.daycolor);
    daily.pen.width = pw2;
}

void StyleFixedSeries(ChartSurface& chart, const GraphDef& def, int option, int pw1, int pw2) {
    Rgb wall = SplitColor(def.back2color);
    int32_t contrast = (wall.red < 221 || wall.green < 231) ? kYellow : 0;

    ChartSeries& level = chart.Series(kLevelX);
    level.legendText = "Level";
    level.showLine = true;
    level.pen.color = kRed;
    level.pen.width = pw1;

    ChartSeries& now = chart.Series(kNowX);
    now.legendText = "Now";
    ShowMarkers(now, false, 35, 210, MarkerStyle::Circle);
    now.marker.penColor = contrast;
    now.pen.color = contrast;
    now.pen.width = 1;

    ChartSeries& alert = chart.Series(kAlertX);
    alert.legendText = "Alert Issued";
    ShowMarkers(alert, false, 15, 210, MarkerStyle::UpTriangle);
    alert.marker.penColor = contrast;
    alert.pen.color = contrast;
    alert.pen.width = 15;

    ChartSeries& second = chart.Series(kSecondX);
    second.pen.width = pw2;
    if (option == RankCum::Ranked) ShowMarkers(second, false, pw2, 2 * pw2, MarkerStyle::Plus);
}

}  // namespace

void ApplyMarkerModes(ChartSurface& chart, const GraphDef& def, PenWidths pens) {
    const int option = EffectiveOption(def), pw1 = pens.main, pw2 = pens.daily;
    ChartSeries& main = chart.Series(kMainX);
    ChartSeries& second = chart.Series(kSecondX);
    switch (def.hrmarker) {
        case MarkerMode::Line:
            ShowLineOnly(main);
            if (option == kTwoSeriesOption) ShowLineOnly(second);
            break;
        case MarkerMode::LineAndMarkers:
        case MarkerMode::MarkersOnly:
            ShowMarkers(main, def.hrmarker == MarkerMode::LineAndMarkers, pw1, 2 * pw1, MarkerStyle::Cross);
            if (def.hrmarker == MarkerMode::LineAndMarkers && option != RankCum::Ranked) {
                ShowMarkers(second, true, pw2, 2 * pw2, MarkerStyle::Plus);
                second.pen.width = pw1;
            }
            break;
        default: break;
    }
    ChartSeries& daily = chart.Series(kDailyX);
    switch (def.daymarker) {
        case MarkerMode::Line: ShowLineOnly(daily); break;
        case MarkerMode::LineAndMarkers:
        case MarkerMode::MarkersOnly:
            ShowMarkers(daily, def.daymarker == MarkerMode::LineAndMarkers, pw1, 2 * pw1, MarkerStyle::FilledSquare);
            break;
        case MarkerMode::Hidden:
            daily.showLine = false;
            daily.marker.visible = false;
            break;
        default: break;
    }
}

namespace {

// The Y range, rounded; fixed unless it dips below 0 over a short span.
void StyleValueAxis(ChartSurface& chart, YScale& stored, ValueRange range, const GraphDef& def) {
    double min = range.min, max = range.max;
    if (def.freqtype == FreqType::ColorBand && static_cast<float>(max) <= def.coeff3)
        max = static_cast<double>(def.coeff3) + 0.1;
    NiceAxisResult n = Niceaxis(min, max);
    int major = WholeNumber((n.max - n.min) / n.step, "value axis divisions");
    stored = YScale{n.min, n.max, n.step, static_cast<int16_t>(major)};

    ChartAxis& y = chart.YAxis();
    y.scaleType = ScaleType::Linear;
    y.crossingAutomatic = true;
    if (min < 0 && n.max - n.min < 10) {
        y.scale.automatic = true;
    } else {
        y.scale.automatic = false;
        y.scale.majorDivisions = major;
        y.scale.minorDivisions = 0;
        y.scale.minimum = n.min;
        y.scale.maximum = n.max;
    }
    y.majorGrid.style = PenStyle::Dot;
    y.minorGrid.style = PenStyle::None;
    ChartAxis& x = chart.XAxis();
    x.crossingAutomatic = false;
    x.crossingPoint = n.min;
    x.labelsInsidePlot = false;
}

std::string UnitLabel(const ProgramState& state, int page, int slot) {
    if (page < 0 || static_cast<size_t>(page) >= state.labels.size()) return {};
    const auto& row = state.labels[static_cast<size_t>(page)];
    if (slot < 0 || static_cast<size_t>(slot) >= row.size()) return {};
    return row[static_cast<size_t>(slot)].unit;
}

// The setup's pen widths, or, when it sets none, the widths of the screen size class.
PenWidths DrawingPenWidths(const SetupSettings& settings, RenderState& render, const PageView& view) {
    if (settings.penwidth1 == 0 && !render.defaultPens) {
        int16_t width = view.ScreenSizeClass() >= 250 ? 30 : 15;
        render.defaultPens = PenWidths{width, width};
    }
    return PensInUse(settings, render);
}

// Values no gauge reads (a stray 1E+308) would leave an axis that cannot be divided and
// a graph that is not drawn: the axis stops at this size and the title says so.
constexpr double kAxisLimit = 1e12;
constexpr const char* kClampedAxisNote = " (axis cut at +-1E+12: values beyond it)";

bool ClampToAxisLimit(ValueRange& range) {
    if (range.min >= -kAxisLimit && range.max <= kAxisLimit) return false;
    range.min = std::clamp(range.min, -kAxisLimit, kAxisLimit);
    range.max = std::clamp(range.max, -kAxisLimit, kAxisLimit);
    return true;
}

int Clamp(int count, int room) { return std::clamp(count, 0, std::max(room, 0)); }

}  // namespace

PenWidths PensInUse(const SetupSettings& settings, const RenderState& render) {
    if (settings.penwidth1 != 0) return {settings.penwidth1, settings.penwidth2};
    return render.defaultPens.value_or(PenWidths{15, 15});
}

void DrawGraph(const ProgramState& state, RenderState& render, PageView& view, int page, int slot, double now) {
    const PageRec& pageRec = state.pages.Page(page);
    const GraphDef& def = pageRec.slots.at(static_cast<size_t>(slot));
    const GraphDef& def2 = pageRec.slots.at(static_cast<size_t>(slot + kSecondSeriesOffset));
    if (!state.store.Has(page, slot)) throw std::runtime_error("No data has been loaded for this graph");
    const SlotSeries& main = state.store.At(page, slot);
    const SlotSeries* second =
        HoldsSecondSeries(def, def2) ? &state.store.At(page, slot + kSecondSeriesOffset) : nullptr;
    ChartSurface& chart = render.charts[static_cast<size_t>(slot)];

    GraphInputs in{pageRec,
                   def,
                   main,
                   second,
                   Clamp(main.pointCount, main.PointRoom()),
                   second ? Clamp(second->pointCount, second->PointRoom()) : 0,
                   EffectiveOption(def),
                   def.rankcum == RankCum::Cumulative,
                   IsTotalsIdentifier(def.dsid),
                   IsTotalsIdentifier(def2.dsid),
                   IsTotalsIdentifier(pageRec.runnumber.at(static_cast<size_t>(slot))),
                   pageRec.runnumber.at(static_cast<size_t>(slot))};

    // Current value and title.
    std::string unit = UnitLabel(state, page, slot);
    double current = main.currentValue;
    if (in.cumulative) CumulativeCurrentValue(in, now, current);
    double shown = ShownCurrentValue(current, main.currentTime, now, state.historicalStart);
    render.currentValues[static_cast<size_t>(slot)] = shown;
    render.currentTimes[static_cast<size_t>(slot)] = main.currentTime;
    std::string title = TitleText(def.stationname, shown, unit, main.currentTime);
    render.titles[static_cast<size_t>(slot)] = title;

    // Grid and data.
    int oldColumns = chart.ColumnCount();
    chart.SetColumnCount(0);
    chart.SetRowCount(std::max(in.mainCount + SpikeRows(in), in.secondCount));
    chart.SetColumnCount(kBaseColumns);
    ResetSeriesStyles(chart, std::max(oldColumns, 2 * std::max<int>(def.tracecount, 0) + 12));

    ValueRange data;  // the graph's own values: main, daily and second series
    MainPass pass = WriteMainSeries(chart, in, now, data);
    WriteDailySeries(chart, main, state.settings.days, data);
    WriteSecondSeries(chart, in, data);

    const PenWidths pens = DrawingPenWidths(state.settings, render, view);
    const int pw1 = pens.main, pw2 = pens.daily;

    ValueRange shownRange = data;
    WriteTraces(chart, state, in, page, slot, pw1, shownRange);
    WriteAlerts(chart, state.pages, page, slot, shownRange);

    // Watch levels widen the range and raise the warning over the latest points.
    int16_t& warning = render.warningFlags[static_cast<size_t>(slot)];
    int firstChecked = pass.lastPast - def.watchcount - 1;
    bool aboveHigh = false, belowLow = false;
    if (def.highwatch != 0) {
        shownRange.Add(def.highwatch);
        aboveHigh = LevelCrossed(in, firstChecked, def.highwatch, true);
    }
    if (def.lowwatch != 0) {
        shownRange.Add(def.lowwatch);
        belowLow = LevelCrossed(in, firstChecked, def.lowwatch, false);
    }
    if (aboveHigh || belowLow) warning = kWarningRaised;
    render.watchCrossings[static_cast<size_t>(slot)] = aboveHigh && belowLow ? WatchCrossing::Both
                                                       : aboveHigh           ? WatchCrossing::AboveHigh
                                                       : belowLow            ? WatchCrossing::BelowLow
                                                                             : WatchCrossing::None;

    // Surface.
    chart.SetLegendVisible(false);
    chart.XAxis().pen.style = PenStyle::Solid;
    chart.YAxis().pen.style = PenStyle::Solid;
    chart.XAxis().crossingAutomatic = false;
    chart.SetBackdropColor(Colour(def.backcolor));
    chart.SetPlotWallColor(Colour(def.back2color));
    if (chart.RowCount() == 0) chart.SetRowCount(kEmptyGridRows);

    XRange xRange = def.freqtype == FreqType::DepthDuration ? StyleDurationAxis(chart, in)
                                                            : StyleDateAxis(chart, state.window, state.settings.days);
    chart.XAxis().labelFont.style = kFontItalic;
    chart.XAxis().majorGrid.style = PenStyle::Dot;
    chart.XAxis().minorGrid.style = PenStyle::None;

    StyleMainAndDaily(chart, def, pw1, pw2);

    // Wind directions always show the quarter turns 0 to 4.
    if (IsDirectionUnit(unit)) {
        shownRange.Add(0);
        shownRange.Add(4);
    }
    if (in.mainCount == 0 || !shownRange.Any()) shownRange = ValueRange{0, 1};
    const bool clamped = ClampToAxisLimit(shownRange);
    StyleValueAxis(chart, render.Scale(page, slot), shownRange, def);

    StyleFixedSeries(chart, def, in.option, pw1, pw2);
    WriteLevelLines(chart, def, xRange);
    ApplyMarkerModes(chart, def, pens);
    StyleRunNumberTrace(chart, in, pw2);

    if (def.logyscale != 0) {
        chart.YAxis().scale.automatic = true;
        chart.XAxis().crossingAutomatic = true;
        chart.YAxis().scaleType = ScaleType::Logarithmic;
    } else {
        chart.YAxis().scaleType = ScaleType::Linear;
    }

    KindLegends legends = LegendsFor(def);
    chart.Series(kMainX).legendText = legends.main;
    chart.Series(kSecondX).legendText = legends.second;

    // Annotations of probability and model-comparison graphs.
    if (IsProbability(def.freqtype) && data.Any()) {
        float years = 0;
        if (ReturnPeriod(data.max, def.freqtype, def.coeff1, def.coeff2, def.coeff3, years))
            title += ReturnPeriodText(years);
    }
    if (def.freqtype == FreqType::ModelError) title += main.modelErrorText;
    if (clamped) title += kClampedAxisNote;
    render.titles[static_cast<size_t>(slot)] = title;

    if (warning != kWarningClear && state.autostartseconds == 0) view.StartWarningBlink();
}

}  // namespace tidemark
