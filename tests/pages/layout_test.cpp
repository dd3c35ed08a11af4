#include "pages/layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/color.h"
#include "setup/setup_model.h"

namespace tidemark {
namespace {

// A measuring surface with a fixed rule, so the tests can compute every box: each
// character is 10 twips wide per point, a line is 20 twips high per point. Fonts are
// recorded to check which one each box is measured in.
struct FixedMeasure {
    std::vector<std::string> fonts;
    std::vector<std::string> texts;  // beside their fonts
    TextMeasure Get() {
        return [this](const std::string& font, double size, const std::string& text) {
            fonts.push_back(font);
            texts.push_back(text);
            return TextExtent{10 * size * static_cast<double>(text.size()), 20 * size};
        };
    }
};

// Client 12000 x 9110 twips, so W = 12000 and H = 9000; a 700-pixel window (class 100).
FormLayoutInput Page(int graphCount) {
    FormLayoutInput in;
    in.clientWidth = 12000.7;  // truncated to 12000
    in.clientHeight = 9110.9;  // H = 9000
    in.windowHeightPixels = 700;
    in.graphCount = graphCount;
    in.titlefontsize = 12;
    in.axisfontsize = 10;
    in.titlefontname = "Title Font";
    in.axisfontname = "Axis Font";
    in.statusFrameWidth = 3000;
    for (int s = 0; s < graphCount; ++s) {
        SlotLayoutInput& slot = in.slots[static_cast<size_t>(s)];
        slot.dsid = static_cast<int16_t>(100 + s);
        slot.backcolor = 0xFFFFFF;
        slot.back2color = 0xFFFFFF;
        slot.title = "Station " + std::to_string(s) + "\r\n1.5 ft";
        slot.unitName = "ft";
        slot.currentValue = 1.5;
    }
    return in;
}

FormLayout Lay(const FormLayoutInput& in) {
    FixedMeasure m;
    return Form_Resize(in, m.Get());
}

void ExpectRect(const WindowRect& r, double left, double top, double width, double height) {
    EXPECT_DOUBLE_EQ(r.left, left);
    EXPECT_DOUBLE_EQ(r.top, top);
    EXPECT_DOUBLE_EQ(r.width, width);
    EXPECT_DOUBLE_EQ(r.height, height);
}

constexpr double W = 12000, H = 9000;

TEST(Layout, ScreenHeightClass) {
    EXPECT_EQ(ScreenHeightClass(610), 0);
    EXPECT_EQ(ScreenHeightClass(611), 100);
    EXPECT_EQ(ScreenHeightClass(700), 100);
    EXPECT_EQ(ScreenHeightClass(999), 100);
    EXPECT_EQ(ScreenHeightClass(1000), 250);
    FormLayoutInput in = Page(1);
    in.windowHeightPixels = 1000;
    EXPECT_EQ(Lay(in).screenClass, 250);
}

TEST(Layout, OneGraphFillsTheWindowBeyondItsEdges) {
    FormLayout L = Lay(Page(1));
    EXPECT_EQ(L.W, W);
    EXPECT_EQ(L.H, H);
    EXPECT_EQ(L.screenClass, 100);
    const SlotLayout& s = L.slots[0];
    ExpectRect(s.chart, 0, -400, W, H + 1200);
    double hc = H + 1200;
    EXPECT_DOUBLE_EQ(s.plot.minX, 50);
    EXPECT_DOUBLE_EQ(s.plot.maxX, W - 200);
    EXPECT_DOUBLE_EQ(s.plot.minY, 0.105 * hc);
    EXPECT_DOUBLE_EQ(s.plot.maxY, (0.90 - 0.002 * 12) * hc);
    // Title from (plot min x + 500, plot max y - 200 + c/2) to (plot max x + 100,
    // plot max y + 240 + 10 * title font size + c/2).
    EXPECT_DOUBLE_EQ(s.titleRect.minX, 550);
    EXPECT_DOUBLE_EQ(s.titleRect.minY, s.plot.maxY - 150);
    EXPECT_DOUBLE_EQ(s.titleRect.maxX, W - 100);
    EXPECT_DOUBLE_EQ(s.titleRect.maxY, s.plot.maxY + 240 + 120 + 50);
    EXPECT_TRUE(s.chartVisible);
    for (size_t i = 1; i < kLayoutSlots; ++i) EXPECT_FALSE(L.slots[i].used) << i;
    EXPECT_DOUBLE_EQ(L.statusFrameTop, H / 2);
    EXPECT_DOUBLE_EQ(L.statusFrameLeft, W / 2 - 1500);
}

// Every slot of every class: chart rectangle from the layout table, plot rectangle from
// the class constants (x0, xr, f).
TEST(Layout, ChartAndPlotRectanglesOfEveryClass) {
    struct Class {
        int n;
        double width, height, x0, xr, f;
    };
    const Class classes[] = {
        {2, W, H / 1.85, 50, 200, 0.90},     {4, W / 2, H / 1.85, 50, 200, 0.89},  {6, W / 3, H / 1.77, 50, 100, 0.91},
        {9, W / 3, H / 2.68, 20, 100, 0.89}, {12, W / 4, H / 2.68, 20, 100, 0.88},
    };
    const double half[] = {-110, H / 2 - 110};
    const double third[] = {-110, H / 3 - 110, 2 * H / 3 - 110};
    for (const Class& c : classes) {
        FormLayout L = Lay(Page(c.n));
        for (int s = 0; s < c.n; ++s) {
            SCOPED_TRACE(c.n * 100 + s);
            double left = 0, top = 0;
            switch (c.n) {
                case 2: top = half[s]; break;
                case 4:
                    left = (s % 2) * (W / 2);
                    top = half[s / 2];
                    break;
                case 6:
                    left = (s % 3) * W / 3;
                    top = half[s / 3];
                    break;
                case 9:
                    left = (s % 3) * W / 3;
                    top = third[s / 3];
                    break;
                case 12:
                    left = (s % 4) * (W / 4);
                    top = third[s / 4];
                    break;
            }
            const SlotLayout& slot = L.slots[static_cast<size_t>(s)];
            ExpectRect(slot.chart, left, top, c.width, c.height);
            EXPECT_DOUBLE_EQ(slot.plot.minX, c.x0);
            EXPECT_DOUBLE_EQ(slot.plot.minY, 0.105 * c.height);
            EXPECT_DOUBLE_EQ(slot.plot.maxX, c.width - c.xr);
            EXPECT_DOUBLE_EQ(slot.plot.maxY, (c.f - 0.002 * 12) * c.height);
        }
    }
}

TEST(Layout, ThreeGraphsPutTheThirdAcrossTheFullWidth) {
    FormLayout L = Lay(Page(3));
    ExpectRect(L.slots[0].chart, 0, -110, W / 2, H / 1.85);
    ExpectRect(L.slots[1].chart, W / 2, -110, W / 2, H / 1.85);
    ExpectRect(L.slots[2].chart, 0, H / 2 - 110, W, H / 1.85);
    EXPECT_DOUBLE_EQ(L.slots[2].plot.maxX, W - 200);
    // Odd counts keep their class's grid with the last cells empty.
    EXPECT_DOUBLE_EQ(Lay(Page(5)).slots[4].chart.left, W / 3);
    ExpectRect(Lay(Page(7)).slots[6].chart, 0, 2 * H / 3 - 110, W / 3, H / 2.68);
}

TEST(Layout, EmptySlotsAreSkippedAndUsedSlotsAlwaysGetACell) {
    FormLayoutInput in = Page(4);
    in.slots[1].dsid = 0;
    FormLayout L = Lay(in);
    EXPECT_FALSE(L.slots[1].used);
    EXPECT_FALSE(L.slots[1].chartVisible);
    EXPECT_EQ(L.layoutClass, LayoutClass::ThreeFour);

    // A page whose recorded count is lower than its highest used slot is laid out for
    // that slot, so no graph is stacked over another.
    FormLayoutInput low = Page(3);
    low.graphCount = 2;
    FormLayout grown = Lay(low);
    EXPECT_EQ(grown.graphCount, 3);
    ExpectRect(grown.slots[2].chart, 0, H / 2 - 110, W, H / 1.85);
}

TEST(Layout, MinimisedWindowIsLeftAlone) {
    FormLayoutInput in = Page(2);
    in.minimised = true;
    in.lastFittedBrowser = 1;
    FormLayout L = Lay(in);
    EXPECT_TRUE(L.skipped);
    EXPECT_FALSE(L.slots[0].used);
    EXPECT_EQ(L.lastFittedBrowser, 1);
}

TEST(Layout, TitleAxesAndWarningBoxOfASlot) {
    FormLayoutInput in = Page(4);
    in.slots[0].backcolor = 0;
    in.slots[0].title = "Dam Inflow\r\nmissing cfs";
    in.slots[3].backcolor = RGB(10, 20, 30);
    in.slots[3].warning = true;
    in.slots[3].yAxisTitle = "Stage ft";
    FormLayout L = Lay(in);
    EXPECT_EQ(L.slots[0].contrastColor, 0xFFFFFF);
    EXPECT_EQ(L.slots[0].titleColor, RGB(255, 0, 0));
    EXPECT_EQ(L.slots[3].contrastColor, 0);
    EXPECT_EQ(L.slots[3].titleColor, 0);
    EXPECT_EQ(L.slots[0].titleFontSize, 12);
    EXPECT_EQ(L.slots[0].axisFontSize, 10);
    EXPECT_FALSE(L.slots[3].yAxisTitleVisible);

    const WarningBox& w = L.slots[3].warningBox;
    EXPECT_TRUE(w.visible);
    EXPECT_DOUBLE_EQ(w.left, W / 2 + 50);
    EXPECT_DOUBLE_EQ(w.top, H / 2 - 110 + 100);
    EXPECT_EQ(w.backColor, RGB(10, 20, 30));
    EXPECT_FALSE(L.slots[2].warningBox.visible);

    in.yaxislabels = -1;
    FormLayout shown = Lay(in);
    EXPECT_TRUE(shown.slots[3].yAxisTitleVisible);
    EXPECT_EQ(shown.slots[3].yAxisTitle, "Stage ft");
    EXPECT_EQ(shown.slots[3].yAxisTitleFontSize, 10);
}

TEST(Layout, ATitleTooHighForItsRectangleGrowsItAndPushesThePlotAndValueBoxDown) {
    FormLayoutInput in = Page(2);
    in.bigcurrentvalue = true;
    FormLayout twelvePoint = Lay(in);
    // Two lines of 12 points (480 twips) fit the set height (440 + 10 x 12): nothing moves.
    const SlotLayout& fits = twelvePoint.slots[0];
    EXPECT_DOUBLE_EQ(fits.titleRect.maxY - fits.titleRect.minY, 560);
    EXPECT_DOUBLE_EQ(fits.plot.maxY, (0.90 - 0.002 * 12) * (H / 1.85));

    // Two lines of 16 points need 640 twips, the set height gives 600.
    in.titlefontsize = 16;
    FormLayout L = Lay(in);
    for (int s : {0, 1}) {
        SCOPED_TRACE(s);
        const SlotLayout& slot = L.slots[static_cast<size_t>(s)];
        double set = (0.90 - 0.002 * 16) * (H / 1.85);
        EXPECT_DOUBLE_EQ(slot.titleRect.maxY, set + 240 + 160 + 50);
        EXPECT_DOUBLE_EQ(slot.titleRect.minY, slot.titleRect.maxY - 640);
        EXPECT_DOUBLE_EQ(slot.plot.maxY, slot.titleRect.minY - 40);
        EXPECT_LT(slot.plot.maxY, set);
        // The value box starts below the title's last line.
        double titleBottom = slot.chart.top + slot.chart.height - slot.titleRect.minY;
        EXPECT_GE(slot.valueBox.rect.top, titleBottom);
    }
}

TEST(Layout, CurrentValueBoxOnlyWithBigValues) {
    FormLayoutInput in = Page(9);
    EXPECT_FALSE(Lay(in).slots[4].valueBox.visible);

    in.bigcurrentvalue = true;
    in.slots[4].currentValue = 12.3;
    in.slots[4].back2color = 0x808080;
    in.slots[5].back2color = 0x00A0FF;
    FixedMeasure m;
    FormLayout L = Form_Resize(in, m.Get());
    const SlotLayout& s = L.slots[4];
    const CurrentValueBox& box = s.valueBox;
    EXPECT_TRUE(box.visible);
    EXPECT_EQ(box.text, "12.3ft");
    EXPECT_EQ(box.fontName, "Title Font");
    EXPECT_EQ(box.fontSize, 24);
    EXPECT_EQ(box.textColor, 0xEFEFEF);
    EXPECT_EQ(L.slots[5].valueBox.textColor, 0);
    double width = 10 * 24 * 6 + 30;
    EXPECT_DOUBLE_EQ(box.rect.width, width);
    EXPECT_DOUBLE_EQ(box.rect.height, 20 * 24);
    // Middle row of the 3 x 3 grid: row base H/3, d = 7.5.
    EXPECT_DOUBLE_EQ(box.rect.top, (H / 2.68) / 7.5 + H / 3 - 20);
    EXPECT_DOUBLE_EQ(box.rect.left, W / 3 + (20 + 700 + (W / 3 - 100)) / 2 - width / 2);
    for (const std::string& f : m.fonts) EXPECT_EQ(f, "Title Font");
}

TEST(Layout, CurrentValueBoxRowBasesAndDivisors) {
    struct Case {
        int n, slot;
        double rowBase, chartHeight, d;
    };
    const Case cases[] = {
        {1, 0, 0, H + 1200, 9},        {2, 1, H / 2, H / 1.85, 8.5},     {4, 3, H / 2, H / 1.85, 8},
        {6, 2, 0, H / 1.77, 9},        {8, 7, 2 * H / 3, H / 2.68, 7.5}, {12, 8, 2 * H / 3, H / 2.68, 7.5},
        {12, 7, H / 3, H / 2.68, 7.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n * 100 + c.slot);
        FormLayoutInput in = Page(c.n);
        in.bigcurrentvalue = true;
        FormLayout L = Lay(in);
        EXPECT_DOUBLE_EQ(L.slots[static_cast<size_t>(c.slot)].valueBox.rect.top, c.chartHeight / c.d + c.rowBase - 20);
    }
}

TEST(Layout, CompassTableByClass) {
    struct Case {
        int n, slot, windowPixels;
        double t1, xl;
        double step;  // before rounding
    };
    const double a = 10;
    const Case cases[] = {
        {1, 0, 700, 8, 380, (H + 1200) / 5.7},           {2, 1, 700, 8, 380, (H / 1.85) / 6.2 + 100},
        {2, 0, 500, 8, 380, (H / 1.85) / 6.2},           {3, 2, 500, 8, 380, (H / 1.85) / 6.2},
        {4, 1, 700, 8, 380, (H / 1.85) / 6.7 + 100},     {4, 3, 1000, 8, 380, (H / 1.85) / 5.2 - 20 * a},
        {6, 4, 700, 8, 200, (H / 1.77) / 5.45 - 20 * a}, {9, 8, 700, 7.3, 200, (H / 2.68) / 5.6 - 20 * a},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n * 100 + c.slot);
        FormLayoutInput in = Page(c.n);
        in.windowHeightPixels = c.windowPixels;
        in.slots[static_cast<size_t>(c.slot)].unitName = "Direction";
        in.slots[static_cast<size_t>(c.slot)].backcolor = 0;
        FixedMeasure m;
        FormLayout L = Form_Resize(in, m.Get());
        const WindowRect chart = L.slots[static_cast<size_t>(c.slot)].chart;
        size_t first = static_cast<size_t>(5 * c.slot);
        EXPECT_DOUBLE_EQ(L.compass[first].rect.top, chart.top + chart.height / c.t1);
        EXPECT_DOUBLE_EQ(L.compass[first].rect.left, chart.left + chart.width - c.xl + 16);
        double rounded = std::nearbyint(c.step);
        const char* texts[] = {"N", "W", "S", "E", "N"};
        for (size_t i = 0; i < 5; ++i) {
            const CompassLabel& label = L.compass[first + i];
            EXPECT_EQ(label.text, texts[i]);
            EXPECT_EQ(label.fontSize, 10);
            EXPECT_EQ(label.backColor, 0);
            EXPECT_EQ(label.textColor, 0xFFFFFF);
            EXPECT_DOUBLE_EQ(label.rect.width, 10 * 10);
            EXPECT_DOUBLE_EQ(label.rect.left, L.compass[first].rect.left);
            if (i > 0) {
                EXPECT_DOUBLE_EQ(label.rect.top - L.compass[first + i - 1].rect.top, rounded);
            }
        }
        for (size_t i = 0; i < m.fonts.size(); ++i)
            if (m.texts[i].size() == 1) {
                EXPECT_EQ(m.fonts[i], "Axis Font") << m.texts[i];
            }
        int shown = 0;
        for (const CompassLabel& label : L.compass) shown += label.visible ? 1 : 0;
        EXPECT_EQ(shown, 5);
    }
}

TEST(Layout, NoCompassLabelsOnTenGraphsOrMore) {
    FormLayoutInput in = Page(10);
    for (auto& slot : in.slots) slot.unitName = "direction";
    FormLayout L = Lay(in);
    for (const CompassLabel& label : L.compass) EXPECT_FALSE(label.visible);
}

TEST(Layout, CompassWithoutAxisFontSizeStaysFinite) {
    FormLayoutInput in = Page(1);
    in.axisfontsize = 0;
    in.slots[0].unitName = "direction";
    FormLayout L = Lay(in);
    EXPECT_DOUBLE_EQ(L.compass[0].rect.left, W - 380);
    EXPECT_TRUE(std::isfinite(L.compass[4].rect.top));
}

TEST(Layout, BrowserRectanglesByClass) {
    struct Case {
        int n, slot;
        WindowRect expected;
        // It ends within the bottom band, so it is placed down to the window's bottom: no
        // strip of the window shows under the document.
        bool reachesBottom;
    };
    const Case cases[] = {
        {1, 0, {0, 0, W + 22, H + 66}, true},  // 44 twips short
        {2, 1, {0, H / 2 - 110, W + 22, H / 2 + 210}, true},
        {3, 2, {0, H / 2, W + 22, H / 2 + 100}, true},
        {4, 1, {W / 2, 0, W / 2 + 22, H / 2 + 100}, false},
        {6, 5, {2 * W / 3, H / 2, W / 3 + 22, H / 2 + 100}, true},
        {9, 4, {W / 3, H / 3, W / 3 + 22, H / 3 - 22}, false},
        {12, 11, {3 * (W / 4), 2 * H / 3, W / 4 + 22, H / 3 - 22}, false},  // a band above, as its graphs
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n * 100 + c.slot);
        FormLayoutInput in = Page(c.n);
        in.slots[static_cast<size_t>(c.slot)].dsid = -1;
        in.browserCount = 1;
        FormLayout L = Lay(in);
        const SlotLayout& s = L.slots[static_cast<size_t>(c.slot)];
        EXPECT_TRUE(s.webScreen);
        EXPECT_FALSE(s.chartVisible);
        EXPECT_FALSE(s.warningBox.visible);
        EXPECT_FALSE(s.valueBox.visible);
        ExpectRect(s.browser, c.expected.left, c.expected.top, c.expected.width, c.expected.height);
        ASSERT_EQ(L.webScreens.size(), 1u);
        const WindowRect& placed = L.webScreens[0].rect;
        ExpectRect(placed, c.expected.left, c.expected.top, c.expected.width,
                   c.reachesBottom ? in.clientHeight - c.expected.top : c.expected.height);
    }
}

TEST(Layout, WebScreenPassFitsUntilTheLastBrowser) {
    FormLayoutInput in = Page(3);
    for (int s = 0; s < 3; ++s) {
        SlotLayoutInput& slot = in.slots[static_cast<size_t>(s)];
        slot.dsid = -1;
        slot.browserIndex = s;
        slot.fitImage = true;
    }
    in.slots[1].scriptable = false;  // a PDF
    in.browserCount = 3;
    in.lastFittedBrowser = -1;
    FormLayout L = Lay(in);
    ASSERT_EQ(L.webScreens.size(), 3u);
    EXPECT_TRUE(L.webScreens[0].refit);
    EXPECT_TRUE(L.webScreens[0].fitImage);
    EXPECT_FALSE(L.webScreens[0].renavigate);
    // W/2 + 22 = 6022 twips = 401.47 px; H/2 + 100 = 4600 twips = 306.67 px.
    EXPECT_EQ(L.webScreens[0].imageWidthPixels, 401);
    EXPECT_EQ(L.webScreens[0].imageHeightPixels, 307);
    EXPECT_TRUE(L.webScreens[1].renavigate);
    EXPECT_TRUE(L.webScreens[1].refit);
    EXPECT_FALSE(L.webScreens[1].fitImage) << "documents of PDF browsers are never scripted";
    EXPECT_TRUE(L.webScreens[2].refit);
    EXPECT_EQ(L.lastFittedBrowser, 2);

    // Once the last browser is fitted, later passes leave the images alone...
    in.lastFittedBrowser = 2;
    FormLayout again = Lay(in);
    for (const WebScreenStep& step : again.webScreens) EXPECT_FALSE(step.refit);
    EXPECT_TRUE(again.webScreens[1].renavigate) << "non-scriptable browsers reload on every pass";
    // ...unless an enlarged web screen asked for all of them to be refitted.
    in.refitAll = true;
    FormLayout refit = Lay(in);
    for (const WebScreenStep& step : refit.webScreens) EXPECT_TRUE(step.refit);
    EXPECT_EQ(refit.lastFittedBrowser, 2);
}

TEST(Layout, FloodBandsForColourBandGraphsWhenTheOverlayRuns) {
    FormLayoutInput in = Page(3);
    in.slots[1].freqtype = FreqType::ColorBand;
    in.slots[1].yScale = {0, 20, 4};
    in.slots[1].coeff1 = 12;
    in.slots[1].coeff2 = 15;
    in.slots[1].coeff3 = 18;
    in.slots[1].dsid = 2050;
    in.slots[2].freqtype = FreqType::ColorBand;
    in.slots[2].dsid = kWebScreenDsid;  // a web screen never gets bands
    in.browserCount = 1;
    EXPECT_TRUE(Lay(in).floodBands.empty()) << "no overlay painter, no bands";
    in.overlayAvailable = true;
    FormLayout L = Lay(in);
    ASSERT_EQ(L.floodBands.size(), 1u);
    const FloodBandRequest& r = L.floodBands[0];
    EXPECT_EQ(r.slot, 1);
    EXPECT_EQ(r.ymax, 20);
    EXPECT_EQ(r.divisions, 4);
    EXPECT_EQ(r.minor, 12);
    EXPECT_EQ(r.major, 18);
    EXPECT_EQ(r.dsid, 2050);
}

TEST(Layout, TinyWindowGivesNoNegativeSizes) {
    FormLayoutInput in = Page(12);
    in.clientWidth = 300;
    in.clientHeight = 50;  // H = -60
    in.bigcurrentvalue = true;
    for (auto& slot : in.slots) slot.unitName = "direction";
    in.slots[0].dsid = -1;
    FormLayout L = Lay(in);
    for (const SlotLayout& s : L.slots) {
        EXPECT_GE(s.chart.width, 0);
        EXPECT_GE(s.chart.height, 0);
        EXPECT_GE(s.browser.width, 0);
        EXPECT_GE(s.browser.height, 0);
        EXPECT_GE(s.plot.maxX, s.plot.minX);
        EXPECT_GE(s.plot.maxY, s.plot.minY);
    }
}

TEST(Layout, EnlargedGraph) {
    EnlargedGraphInput in;
    in.clientWidth = 12000;
    in.clientHeight = 9110;
    in.windowHeight = 9800;
    in.titlefontsize = 12;
    in.screenClass = 100;
    EnlargedGraphLayout L = EnlargeGraph(in);
    ExpectRect(L.chart, 0, -50, 12000, 9160);
    EXPECT_DOUBLE_EQ(L.plot.minX, 800);
    EXPECT_DOUBLE_EQ(L.plot.maxX, 12000 - 400);
    EXPECT_DOUBLE_EQ(L.plot.minY, 0.125 * 9160);
    EXPECT_DOUBLE_EQ(L.plot.maxY, (0.9 - 0.024) * 9160);
    EXPECT_EQ(L.titleFontSize, 16);
    EXPECT_DOUBLE_EQ(L.titleRect.maxY, L.plot.maxY + 240 + 160 + 50);

    // Two title lines at the enlarged 16 points need 640 twips, the set height is 600:
    // measured, the rectangle grows and the plot starts below it.
    in.titleText = "Station\r\n1.5 ft";
    in.titlefontname = "Title Font";
    FixedMeasure m;
    in.measure = m.Get();
    EnlargedGraphLayout measured = EnlargeGraph(in);
    EXPECT_DOUBLE_EQ(measured.titleRect.maxY, L.titleRect.maxY);
    EXPECT_DOUBLE_EQ(measured.titleRect.minY, measured.titleRect.maxY - 640);
    EXPECT_DOUBLE_EQ(measured.plot.maxY, measured.titleRect.minY - 40);
    EXPECT_EQ(m.fonts, (std::vector<std::string>{"Title Font", "Title Font"}));
    in.measure = {};

    in.siteListWidth = 2000;
    EnlargedGraphLayout withList = EnlargeGraph(in);
    ExpectRect(withList.siteList, 0, 0, 2000, 9400);
    ExpectRect(withList.chart, 2000, -50, 10000, 9160);
    EXPECT_DOUBLE_EQ(withList.plot.minX, 2800);
    EXPECT_DOUBLE_EQ(withList.plot.maxX, 10000 - 400);

    ExpectRect(EnlargedBrowserRect(12000, 9110), 0, 0, 12022, 9132);
}

TEST(Layout, FillFromPageTakesTheDefinitions) {
    PageRec page;
    page.lastslot = 4;
    page.titlefontsize = 14;
    page.yaxislabels = -1;
    page.slots[0].dsid = 1234;
    page.slots[0].back2color = 0x445566;
    page.slots[0].coeff3 = 18;
    page.slots[4].dsid = -1;
    page.slots[4].backcolor = 2;  // browser index
    page.slots[4].hrcolor = -1;   // fit the image
    SetupSettings settings;
    settings.axisfontname = "Tahoma";
    settings.bigcurrentvalue = true;

    FormLayoutInput in;
    FillFromPage(in, page, settings);
    EXPECT_EQ(in.graphCount, 5);
    EXPECT_EQ(in.titlefontsize, 14);
    EXPECT_EQ(in.yaxislabels, -1);
    EXPECT_EQ(in.axisfontname, "Tahoma");
    EXPECT_TRUE(in.bigcurrentvalue);
    EXPECT_EQ(in.slots[0].dsid, 1234);
    EXPECT_EQ(in.slots[0].back2color, 0x445566);
    EXPECT_EQ(in.slots[0].coeff3, 18);
    EXPECT_EQ(in.slots[4].browserIndex, 2);
    EXPECT_TRUE(in.slots[4].fitImage);
}

}  // namespace
}  // namespace tidemark
