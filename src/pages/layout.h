#pragma once
// Geometry of the main window's page: where each graph slot's chart, web-screen
// browser, current-value box, compass labels and warning box go for the window's
// present size, and the size-dependent styling of each chart (title, axes, plot
// rectangle). Everything here is pure arithmetic in twips; the window applies the result
// to its widgets (Form_Resize there) and converts to pixels only when placing them.
//
// Window coordinates: twips of the client area, origin top-left, y down. Chart
// coordinates (plot and title rectangles): twips of the chart, origin bottom-left, y up.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/units.h"
#include "setup/setup_model.h"

namespace tidemark {

inline constexpr int kLayoutSlots = 12;
inline constexpr int kCompassLabelsPerSlot = 5;
inline constexpr int kCompassSlots = 9;  // compass label boxes exist for slots 0..8
inline constexpr int kCompassLabelCount = kCompassLabelsPerSlot * kCompassSlots;
// The band at the bottom of the client area the grid leaves free, and the shift that
// pulls every row up into the charts' empty top margin.
inline constexpr double kBottomBand = 110;

// A rectangle in window twips.
struct WindowRect {
    double left = 0, top = 0, width = 0, height = 0;
    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
    bool operator==(const WindowRect&) const = default;
};

// A rectangle in chart twips (origin bottom-left, y up).
struct ChartCoordRect {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool operator==(const ChartCoordRect&) const = default;
};

// The six arrangements of the page by its graph count n.
enum class LayoutClass { One, Two, ThreeFour, FiveSix, SevenToNine, TenToTwelve };

LayoutClass LayoutClassFor(int graphCount);

// Plot, box and compass constants of a class: plot left margin x0, right margin xr and
// top fraction f; the divisor d of the current-value box's top; the compass labels'
// top divisor t1 and right inset xl (no compass labels for ten graphs or more).
struct LayoutConstants {
    double x0 = 0, xr = 0, f = 0, d = 0;
    bool hasCompass = false;
    double t1 = 0, xl = 0;
};

LayoutConstants ConstantsFor(LayoutClass layoutClass);

// Screen-height class from a height in pixels: above 610 -> 100, above 999 -> 250, else 0.
int ScreenHeightClass(double heightPixels);

// The distance between two compass labels, before rounding (Hc chart height, a axis
// font size, c screen-height class).
double CompassStep(LayoutClass layoutClass, double chartHeight, int axisFontSize, int screenClass);

// Chart rectangle of a slot (window twips) for a page of n graphs at the pass' W and H.
WindowRect ChartRectFor(int graphCount, int slot, double W, double H);

// Top of the slot's row before the rows are pulled up into the charts' margins:
// 0, H/3, 2H/3 or H/2 (always 0 on a one-graph page).
double RowBase(int graphCount, int slot, double H);

// Where a web screen's browser goes (window twips), given its slot's chart rectangle.
WindowRect BrowserRectFor(int graphCount, const WindowRect& chart, double W, double H);

// Plot rectangle of a chart of the given size (chart twips).
ChartCoordRect PlotRectFor(LayoutClass layoutClass, double chartWidth, double chartHeight, int titleFontSize);

// Title rectangle above a plot rectangle (chart twips).
ChartCoordRect TitleRectFor(const ChartCoordRect& plot, int titleFontSize, int screenClass);

// Text extent in twips, as the measuring surface reports it for a font name and size.
struct TextExtent {
    double width = 0, height = 0;
};
using TextMeasure = std::function<TextExtent(const std::string& fontName, double fontSize, const std::string& text)>;

// The Y scale drawing left for a graph: rounded minimum and maximum, number of major
// divisions.
struct LayoutYScale {
    double minimum = 0, maximum = 0;
    int divisions = 0;
};

// What the pass reads of one slot.
struct SlotLayoutInput {
    int16_t dsid = 0;
    int32_t backcolor = 0;
    int32_t back2color = 0;
    FreqType freqtype = FreqType::Plain;
    float coeff1 = 0, coeff2 = 0, coeff3 = 0;  // minor, moderate, major flood levels
    double highwatch = 0;
    // Left by graph drawing.
    std::string title;
    std::string unitName;
    double currentValue = 0;
    bool warning = false;
    std::string yAxisTitle;
    LayoutYScale yScale;
    // Web screens.
    int browserIndex = 0;
    bool fitImage = false;   // fit the document's first image to the browser
    bool scriptable = true;  // false for PDF and spreadsheet addresses

    SlotKind Kind() const { return SlotKindOf(dsid); }
};

struct FormLayoutInput {
    bool minimised = false;
    double clientWidth = 0, clientHeight = 0;  // ScaleWidth, ScaleHeight (twips)
    double windowHeightPixels = 0;             // outer height, for the screen-height class
    double twipsPerPixelX = kTwipsPerPixel, twipsPerPixelY = kTwipsPerPixel;
    int graphCount = 1;  // the page's highest used slot + 1
    int16_t titlefontsize = 0, axisfontsize = 0;
    int16_t yaxislabels = YAxisLabels::Hidden;
    std::string titlefontname, axisfontname;
    bool bigcurrentvalue = false;
    std::array<SlotLayoutInput, kLayoutSlots> slots{};
    double statusFrameWidth = 0;
    // Web screens: browsers in use, the last fitted one (-1 none), the refit-all flag.
    int browserCount = 0;
    int lastFittedBrowser = -1;
    bool refitAll = false;
    bool overlayAvailable = false;  // the flood-band painter can run
};

struct CurrentValueBox {
    bool visible = false;
    WindowRect rect;
    std::string text;
    std::string fontName;
    int fontSize = 0;
    int32_t textColor = 0;
};

struct WarningBox {
    bool visible = false;
    double left = 0, top = 0;
    int32_t backColor = 0;
};

struct CompassLabel {
    bool visible = false;
    WindowRect rect;
    std::string text;
    std::string fontName;
    int fontSize = 0;
    int32_t backColor = 0, textColor = 0;
};

struct SlotLayout {
    bool used = false;  // the slot is not empty
    bool webScreen = false;
    WindowRect chart;
    bool chartVisible = false;  // charts of graphs (not web screens) are shown
    ChartCoordRect plot;
    ChartCoordRect titleRect;
    std::string titleText;
    int titleFontSize = 0;
    int32_t titleColor = 0;
    int32_t contrastColor = 0;  // axis lines, ticks and labels
    int axisFontSize = 0;
    bool yAxisTitleVisible = false;
    std::string yAxisTitle;
    int yAxisTitleFontSize = 0;
    CurrentValueBox valueBox;
    WarningBox warningBox;
    WindowRect browser;  // web screens only
};

// One web screen of the pass' closing step, in slot order.
struct WebScreenStep {
    int slot = 0;
    int browserIndex = 0;
    WindowRect rect;
    bool renavigate = false;  // not scriptable: load its address again
    bool refit = false;       // recorded as the last fitted browser
    bool fitImage = false;    // size the first image to the browser
    int imageWidthPixels = 0, imageHeightPixels = 0;
};

// One colour-band slot whose flood categories are painted after the pass.
struct FloodBandRequest {
    int slot = 0;
    double ymin = 0, ymax = 0;
    int divisions = 0;
    double minor = 0, moderate = 0, major = 0;
    int16_t dsid = 0;
    double highwatch = 0;
};

struct FormLayout {
    bool skipped = false;  // the window is minimised: nothing is touched
    double W = 0, H = 0;
    int screenClass = 0;
    LayoutClass layoutClass = LayoutClass::One;
    int graphCount = 1;
    double statusFrameLeft = 0, statusFrameTop = 0;
    std::array<SlotLayout, kLayoutSlots> slots{};
    std::array<CompassLabel, kCompassLabelCount> compass{};  // 5 per slot 0..8
    std::vector<WebScreenStep> webScreens;
    int lastFittedBrowser = -1;  // after the pass
    std::vector<FloodBandRequest> floodBands;
};

// The layout pass. `measure` gives the extent of the current-value texts and compass
// letters in their fonts.
FormLayout Form_Resize(const FormLayoutInput& input, const TextMeasure& measure);

// Copies what the page's definitions and settings say into the input: graph count,
// fonts, sizes, flags, and per slot the identifiers, colours, flood levels and web-screen
// switches. What drawing leaves (titles, values, units, warnings, Y scales) and the
// window's own state are the caller's to fill.
void FillFromPage(FormLayoutInput& input, const PageRec& page, const SetupSettings& settings);

// A graph shown alone over the page area ("Enlarge" of the graph menu).
struct EnlargedGraphInput {
    double clientWidth = 0, clientHeight = 0;  // ScaleWidth, ScaleHeight
    double windowHeight = 0;                   // outer height in twips
    double siteListWidth = 0;                  // 0 when the site list is hidden
    int16_t titlefontsize = 0;
    int screenClass = 0;
    // The title, measured with `measure` when one is given: the title rectangle then
    // grows to hold lines its set height cannot, with the plot below them.
    std::string titleText;
    std::string titlefontname;
    TextMeasure measure;
};

struct EnlargedGraphLayout {
    WindowRect chart;
    ChartCoordRect plot;
    int titleFontSize = 0;
    ChartCoordRect titleRect;
    WindowRect siteList;  // where the site list goes when it is shown
};

EnlargedGraphLayout EnlargeGraph(const EnlargedGraphInput& input);

// An enlarged web screen covers the client area.
WindowRect EnlargedBrowserRect(double clientWidth, double clientHeight);

}  // namespace tidemark
