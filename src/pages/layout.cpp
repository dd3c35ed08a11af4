#include "pages/layout.h"

#include <algorithm>
#include <cmath>

#include "core/vbtext.h"
#include "pages/value_box.h"
#include "render/chart_layout.h"
#include "setup/setup_model.h"
#include "setup/web_screen_slot.h"

namespace tidemark {

namespace {

// Rows are pulled up by this much so the charts' empty top margin overlaps the row above.
constexpr double kRowShift = 110;
// A single chart reaches well above and below the client area: its own margins are
// large and would otherwise leave a wide empty band.
constexpr double kSingleChartTop = -400;
constexpr double kSingleChartExtra = 1200;

constexpr double kPlotBottomFraction = 0.105;
constexpr double kPlotTopPerTitlePoint = 0.002;
// Between a title's last line and the top of its plot.
constexpr double kTitlePlotGap = 40;

// The compass letters down the right of a direction graph, from the scale's 4 to its 0.
constexpr std::array<const char*, kCompassLabelsPerSlot> kCompassTexts = {"N", "W", "S", "E", "N"};

WindowRect NonNegative(WindowRect r) {
    r.width = std::max(0.0, r.width);
    r.height = std::max(0.0, r.height);
    return r;
}

int ClampGraphCount(int n) { return std::clamp(n, 1, kLayoutSlots); }

// Column left of a three-column grid.
double ThirdColumnLeft(int slot, double W) {
    switch (slot % 3) {
        case 0: return 0;
        case 1: return W / 3;
        default: return 2 * W / 3;
    }
}

}  // namespace

LayoutClass LayoutClassFor(int graphCount) {
    int n = ClampGraphCount(graphCount);
    if (n == 1) return LayoutClass::One;
    if (n == 2) return LayoutClass::Two;
    if (n <= 4) return LayoutClass::ThreeFour;
    if (n <= 6) return LayoutClass::FiveSix;
    if (n <= 9) return LayoutClass::SevenToNine;
    return LayoutClass::TenToTwelve;
}

LayoutConstants ConstantsFor(LayoutClass layoutClass) {
    switch (layoutClass) {
        case LayoutClass::One: return {50, 200, 0.90, 9, true, 8, 380};
        case LayoutClass::Two: return {50, 200, 0.90, 8.5, true, 8, 380};
        case LayoutClass::ThreeFour: return {50, 200, 0.89, 8, true, 8, 380};
        case LayoutClass::FiveSix: return {50, 100, 0.91, 9, true, 8, 200};
        case LayoutClass::SevenToNine: return {20, 100, 0.89, 7.5, true, 7.3, 200};
        case LayoutClass::TenToTwelve: return {20, 100, 0.88, 7.5, false, 0, 0};
    }
    return {};
}

int ScreenHeightClass(double heightPixels) {
    if (heightPixels > 999) return 250;
    if (heightPixels > 610) return 100;
    return 0;
}

double CompassStep(LayoutClass layoutClass, double chartHeight, int axisFontSize, int screenClass) {
    double a = axisFontSize;
    switch (layoutClass) {
        case LayoutClass::One: return chartHeight / 5.7;
        case LayoutClass::Two: return chartHeight / 6.2 + screenClass;
        case LayoutClass::ThreeFour:
            if (screenClass >= 250) return chartHeight / 5.2 - 20 * a;
            if (screenClass >= 100) return chartHeight / 6.7 + 100;
            return chartHeight / 6.2;
        case LayoutClass::FiveSix: return chartHeight / 5.45 - 20 * a;
        case LayoutClass::SevenToNine: return chartHeight / 5.6 - 20 * a;
        case LayoutClass::TenToTwelve: return 0;
    }
    return 0;
}

double RowBase(int graphCount, int slot, double H) {
    switch (LayoutClassFor(graphCount)) {
        case LayoutClass::One: return 0;
        case LayoutClass::Two: return slot < 1 ? 0 : H / 2;
        case LayoutClass::ThreeFour: return slot < 2 ? 0 : H / 2;
        case LayoutClass::FiveSix: return slot < 3 ? 0 : H / 2;
        case LayoutClass::SevenToNine:
            if (slot < 3) return 0;
            return slot < 6 ? H / 3 : 2 * H / 3;
        case LayoutClass::TenToTwelve:
            if (slot < 4) return 0;
            return slot < 8 ? H / 3 : 2 * H / 3;
    }
    return 0;
}

WindowRect ChartRectFor(int graphCount, int slot, double W, double H) {
    int n = ClampGraphCount(graphCount);
    WindowRect r;
    r.top = RowBase(n, slot, H) - kRowShift;
    switch (LayoutClassFor(n)) {
        case LayoutClass::One: return {0, kSingleChartTop, W, H + kSingleChartExtra};
        case LayoutClass::Two:
            r.width = W;
            r.height = H / 1.85;
            break;
        case LayoutClass::ThreeFour:
            // With three graphs the third one spans the bottom row alone.
            r.width = (n == 3 && slot == 2) ? W : W / 2;
            r.height = H / 1.85;
            r.left = (slot == 1 || slot == 3) ? W / 2 : 0;
            break;
        case LayoutClass::FiveSix:
            r.width = W / 3;
            r.height = H / 1.77;
            r.left = ThirdColumnLeft(slot, W);
            break;
        case LayoutClass::SevenToNine:
            r.width = W / 3;
            r.height = H / 2.68;
            r.left = ThirdColumnLeft(slot, W);
            break;
        case LayoutClass::TenToTwelve:
            r.width = W / 4;
            r.height = H / 2.68;
            r.left = (slot % 4) * (W / 4);
            break;
    }
    return r;
}

WindowRect BrowserRectFor(int graphCount, const WindowRect& chart, double W, double H) {
    // Browsers have no chart margins to hide, so they sit at the row's real top and are
    // widened to cover the chart's right border.
    switch (LayoutClassFor(graphCount)) {
        case LayoutClass::One: return {0, 0, W + 22, H + 66};
        case LayoutClass::Two: return {0, chart.top, W + 22, H / 2 + 210};
        case LayoutClass::ThreeFour:
        case LayoutClass::FiveSix: return {chart.left, chart.top + kRowShift, chart.width + 22, H / 2 + 100};
        case LayoutClass::SevenToNine:
        case LayoutClass::TenToTwelve: return {chart.left, chart.top + kRowShift, chart.width + 22, H / 3 - 22};
    }
    return {};
}

ChartCoordRect PlotRectFor(LayoutClass layoutClass, double chartWidth, double chartHeight, int titleFontSize) {
    LayoutConstants k = ConstantsFor(layoutClass);
    ChartCoordRect plot;
    plot.minX = k.x0;
    plot.minY = kPlotBottomFraction * chartHeight;
    plot.maxX = chartWidth - k.xr;
    // Larger title fonts take more of the chart's top.
    plot.maxY = (k.f - kPlotTopPerTitlePoint * titleFontSize) * chartHeight;
    // A chart too small for its margins gets an empty plot, never an inverted one.
    plot.maxX = std::max(plot.maxX, plot.minX);
    plot.maxY = std::max(plot.maxY, plot.minY);
    return plot;
}

ChartCoordRect TitleRectFor(const ChartCoordRect& plot, int titleFontSize, int screenClass) {
    double lift = screenClass / 2.0;
    return {plot.minX + 500, plot.maxY - 200 + lift, plot.maxX + 100, plot.maxY + 240 + 10.0 * titleFontSize + lift};
}

namespace {

void PlaceCompassLabels(FormLayout& out, int slot, const FormLayoutInput& in, const WindowRect& chart, int32_t contrast,
                        const TextMeasure& measure) {
    LayoutConstants k = ConstantsFor(out.layoutClass);
    if (!k.hasCompass || slot >= kCompassSlots) return;
    const SlotLayoutInput& s = in.slots[static_cast<size_t>(slot)];
    int a = in.axisfontsize;
    double step = RoundHalfEven(CompassStep(out.layoutClass, chart.height, a, out.screenClass));
    // 160 / a nudges the letters right for small axis fonts; a size of 0 (an unset
    // font size in the setup) gets no nudge instead of a division by zero.
    double nudge = a > 0 ? 160.0 / a : 0.0;
    double left = chart.left + chart.width - k.xl + nudge;
    double top = chart.top + chart.height / k.t1;
    for (int i = 0; i < kCompassLabelsPerSlot; ++i) {
        CompassLabel& label = out.compass[static_cast<size_t>(kCompassLabelsPerSlot * slot + i)];
        label.text = kCompassTexts[static_cast<size_t>(i)];
        label.fontName = in.axisfontname;
        label.fontSize = a;
        label.backColor = s.backcolor;
        label.textColor = contrast;
        TextExtent extent = measure(label.fontName, a, label.text);
        label.rect = NonNegative({left, top, extent.width, extent.height});
        label.visible = true;
        top += step;
    }
}

// How high the lines of `title` are, each as high as the font makes it here.
double TitleTextHeight(const std::string& title, const std::string& fontName, double fontSize,
                       const TextMeasure& measure) {
    double height = 0;
    for (const std::string& line : SplitTitleLines(title))
        height += measure(fontName, fontSize, line.empty() ? " " : line).height;
    return height;
}

// The title rectangle's set height holds the lines of smaller title fonts only. When the
// lines need more, the rectangle grows down to hold them and the plot's top moves down
// below the last one, so that no line runs into the plot. True when it did.
bool FitTitleAbovePlot(ChartCoordRect& plot, ChartCoordRect& titleRect, double titleHeight) {
    if (titleHeight <= titleRect.maxY - titleRect.minY) return false;
    titleRect.minY = titleRect.maxY - titleHeight;
    plot.maxY = std::max(plot.minY, std::min(plot.maxY, titleRect.minY - kTitlePlotGap));
    return true;
}

void PlaceValueBox(SlotLayout& slot, const FormLayoutInput& in, const SlotLayoutInput& s, double rowBase,
                   const LayoutConstants& k, const TextMeasure& measure, bool titleGrown) {
    CurrentValueBox& box = slot.valueBox;
    box.fontName = in.titlefontname;
    box.fontSize = 2 * in.titlefontsize;
    box.text = CurrentValueText(s.currentValue, s.unitName);
    TextExtent extent = measure(box.fontName, box.fontSize, box.text);
    box.rect.width = std::max(0.0, extent.width + 30);
    box.rect.height = std::max(0.0, extent.height);
    box.rect.top = slot.chart.height / k.d + rowBase - 20;
    // A title grown for its lines keeps them clear of the box too.
    if (titleGrown) box.rect.top = std::max(box.rect.top, slot.chart.top + slot.chart.height - slot.titleRect.minY);
    // Centred over the plot, a little right of its middle, clear of the Y labels.
    box.rect.left = slot.chart.left + (slot.plot.minX + 700 + slot.plot.maxX) / 2 - box.rect.width / 2;
    box.textColor = CurrentValueColor(s.back2color);
    box.visible = true;
}

void PlanWebScreens(FormLayout& out, const FormLayoutInput& in) {
    int lastFitted = in.lastFittedBrowser;
    int highestBrowser = in.browserCount - 1;
    for (int s = 0; s < kLayoutSlots; ++s) {
        const SlotLayout& slot = out.slots[static_cast<size_t>(s)];
        if (!slot.webScreen) continue;
        const SlotLayoutInput& def = in.slots[static_cast<size_t>(s)];
        WebScreenStep step;
        step.slot = s;
        step.browserIndex = def.browserIndex;
        step.rect = slot.browser;
        // A browser that ends a little above the window's bottom (the whole-page one ends
        // 44 twips short) would leave a strip of the window's background under the
        // document, on screen and in page images: it reaches the bottom instead.
        const double gap = in.clientHeight - step.rect.Bottom();
        if (gap > 0 && gap <= kBottomBand) step.rect.height += gap;
        step.renavigate = !def.scriptable;
        if (in.refitAll || lastFitted < highestBrowser) {
            lastFitted = def.browserIndex;
            step.refit = true;
            if (def.fitImage && def.scriptable) {
                step.fitImage = true;
                step.imageWidthPixels = static_cast<int>(RoundHalfEven(step.rect.width / in.twipsPerPixelX));
                step.imageHeightPixels = static_cast<int>(RoundHalfEven(step.rect.height / in.twipsPerPixelY));
            }
        }
        out.webScreens.push_back(step);
    }
    out.lastFittedBrowser = lastFitted;
}

}  // namespace

FormLayout Form_Resize(const FormLayoutInput& in, const TextMeasure& measure) {
    FormLayout out;
    out.lastFittedBrowser = in.lastFittedBrowser;
    if (in.minimised) {
        out.skipped = true;
        return out;
    }

    // Every used slot needs a cell of the grid, whatever the page's recorded count says.
    int n = ClampGraphCount(in.graphCount);
    for (int s = kLayoutSlots - 1; s >= n; --s)
        if (in.slots[static_cast<size_t>(s)].Kind() != SlotKind::Empty) {
            n = s + 1;
            break;
        }
    out.graphCount = n;
    out.layoutClass = LayoutClassFor(n);
    out.W = std::trunc(in.clientWidth);
    out.H = std::trunc(in.clientHeight - kBottomBand);
    out.screenClass = ScreenHeightClass(in.windowHeightPixels);
    out.statusFrameTop = out.H / 2;
    out.statusFrameLeft = out.W / 2 - in.statusFrameWidth / 2;

    const LayoutConstants k = ConstantsFor(out.layoutClass);
    for (int s = 0; s < kLayoutSlots; ++s) {
        const SlotLayoutInput& def = in.slots[static_cast<size_t>(s)];
        if (def.Kind() == SlotKind::Empty) continue;
        SlotLayout& slot = out.slots[static_cast<size_t>(s)];
        slot.used = true;
        slot.contrastColor = ContrastColor(def.backcolor);
        slot.titleText = def.title;
        slot.titleFontSize = in.titlefontsize;
        slot.titleColor = TitleColor(def.title, slot.contrastColor);
        slot.axisFontSize = in.axisfontsize;
        slot.chart = NonNegative(ChartRectFor(n, s, out.W, out.H));

        if (def.Kind() == SlotKind::WebScreen) {
            slot.webScreen = true;
            slot.browser = NonNegative(BrowserRectFor(n, slot.chart, out.W, out.H));
            continue;
        }

        slot.plot = PlotRectFor(out.layoutClass, slot.chart.width, slot.chart.height, in.titlefontsize);
        if (in.yaxislabels == YAxisLabels::Shown) {
            slot.yAxisTitleVisible = true;
            slot.yAxisTitle = def.yAxisTitle;
            slot.yAxisTitleFontSize = in.axisfontsize;
        }
        slot.titleRect = TitleRectFor(slot.plot, in.titlefontsize, out.screenClass);
        bool titleGrown = FitTitleAbovePlot(
            slot.plot, slot.titleRect, TitleTextHeight(slot.titleText, in.titlefontname, in.titlefontsize, measure));
        if (IsDirectionUnit(std::string(def.unitName)))
            PlaceCompassLabels(out, s, in, slot.chart, slot.contrastColor, measure);
        if (in.bigcurrentvalue) PlaceValueBox(slot, in, def, RowBase(n, s, out.H), k, measure, titleGrown);

        slot.chartVisible = true;
        slot.warningBox.left = slot.chart.left + 50;
        slot.warningBox.top = slot.chart.top + 100;
        slot.warningBox.backColor = def.backcolor;
        slot.warningBox.visible = def.warning;
    }

    PlanWebScreens(out, in);

    if (in.overlayAvailable) {
        for (int s = 0; s < kLayoutSlots; ++s) {
            const SlotLayoutInput& def = in.slots[static_cast<size_t>(s)];
            if (!out.slots[static_cast<size_t>(s)].chartVisible || def.freqtype != FreqType::ColorBand) continue;
            out.floodBands.push_back({s, def.yScale.minimum, def.yScale.maximum, def.yScale.divisions, def.coeff1,
                                      def.coeff2, def.coeff3, def.dsid, def.highwatch});
        }
    }
    return out;
}

void FillFromPage(FormLayoutInput& input, const PageRec& page, const SetupSettings& settings) {
    input.graphCount = page.lastslot + 1;
    input.titlefontsize = page.titlefontsize;
    input.axisfontsize = page.axisfontsize;
    input.yaxislabels = page.yaxislabels;
    input.titlefontname = settings.titlefontname;
    input.axisfontname = settings.axisfontname;
    input.bigcurrentvalue = settings.bigcurrentvalue;
    for (int s = 0; s < kLayoutSlots; ++s) {
        const GraphDef& def = page.slots[static_cast<size_t>(s)];
        SlotLayoutInput& slot = input.slots[static_cast<size_t>(s)];
        slot.dsid = def.dsid;
        slot.backcolor = def.backcolor;
        slot.back2color = def.back2color;
        slot.freqtype = def.freqtype;
        slot.coeff1 = def.coeff1;
        slot.coeff2 = def.coeff2;
        slot.coeff3 = def.coeff3;
        slot.highwatch = def.highwatch;
        if (def.Kind() == SlotKind::WebScreen) {
            const WebScreenView web(def);
            slot.browserIndex = web.BrowserIndex();
            slot.fitImage = web.FitImage();
        }
    }
}

EnlargedGraphLayout EnlargeGraph(const EnlargedGraphInput& in) {
    EnlargedGraphLayout out;
    double L = std::max(0.0, in.siteListWidth);
    out.siteList = NonNegative({0, 0, L, in.windowHeight - 400});
    out.chart = NonNegative({L, -50, in.clientWidth - L, in.clientHeight + 50});
    double width = out.chart.width, height = out.chart.height;
    out.plot.minX = L + 800;
    out.plot.minY = 0.125 * height;
    out.plot.maxX = std::max(out.plot.minX, width - 400);
    out.plot.maxY = std::max(out.plot.minY, (0.9 - kPlotTopPerTitlePoint * in.titlefontsize) * height);
    out.titleFontSize = in.titlefontsize + 4;
    out.titleRect = TitleRectFor(out.plot, out.titleFontSize, in.screenClass);
    if (in.measure)
        FitTitleAbovePlot(out.plot, out.titleRect,
                          TitleTextHeight(in.titleText, in.titlefontname, out.titleFontSize, in.measure));
    return out;
}

WindowRect EnlargedBrowserRect(double clientWidth, double clientHeight) {
    return NonNegative({0, 0, clientWidth + 22, clientHeight + 22});
}

}  // namespace tidemark
