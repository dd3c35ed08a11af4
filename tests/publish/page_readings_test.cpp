// What a published page says of its graphs, taken from the setup and what drawing left:
// the station as named (never the switched-off mark), and one flood rule for a gauge
// on every page that shows it.
#include <gtest/gtest.h>

#include "publish/page_readings.h"
#include "publish/values_feed.h"

using namespace tidemark;

namespace {

// Page 1 draws gauge 1500 with colour bands (minor 10, moderate 14, major 18); page 2
// draws the same gauge plainly, switched off.
ProgramState TwoPagesOfOneGauge() {
    ProgramState state;
    SizePageSet(state.pages, 2);
    state.pages.pagecount = 2;
    for (int page : {1, 2}) {
        GraphDef& g = state.pages.Graph(page, 0);
        g.page = static_cast<int16_t>(page);
        g.dsid = 1500;
        g.stationname = "Harbor Point";
        g.parametername = "Stage";
    }
    GraphDef& banded = state.pages.Graph(1, 0);
    banded.freqtype = FreqType::ColorBand;
    banded.coeff1 = 10;
    banded.coeff2 = 14;
    banded.coeff3 = 18;
    GraphDef& off = state.pages.Graph(2, 0);
    off.back2color = kSwitchedOffColor;
    off.stationname = "OFF Harbor Point";
    return state;
}

}  // namespace

TEST(PageReadings, NameTheStationAndGiveOneGaugeOneFloodCategory) {
    ProgramState state = TwoPagesOfOneGauge();
    RenderState render;
    render.currentValues[0] = 12.5;
    render.currentTimes[0] = 45000.5;
    std::vector<GraphReading> first = PageReadings(state, render, 1);
    std::vector<GraphReading> second = PageReadings(state, render, 2);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].station, "Harbor Point");
    ASSERT_TRUE(first[0].flood.has_value());
    EXPECT_EQ(*first[0].flood, FloodCategory::Minor);
    EXPECT_EQ(second[0].flood, first[0].flood);

    // A gauge that no page draws with colour bands has no category anywhere.
    state.pages.Graph(1, 0).freqtype = FreqType::Plain;
    EXPECT_FALSE(PageReadings(state, render, 1)[0].flood.has_value());
    EXPECT_FALSE(PageReadings(state, render, 2)[0].flood.has_value());
}

// Drawing rounds a current value to two places; the feed tells it as the database holds
// it, and tells the drawn value where drawing computed its own.
TEST(PageReadings, TheFeedKeepsTheStoredPrecisionOfTheDrawnValue) {
    ProgramState state = TwoPagesOfOneGauge();
    state.store.Size(2, 10, 4, 10);
    SlotSeries& series = state.store.At(1, 0);
    series.points[1] = {45000.25, 0.0012};
    series.points[2] = {45000.5, 0.0036};
    series.pointCount = 2;
    series.currentValue = 0;  // the fetch rounds it to two places
    series.currentTime = 45000.5;
    RenderState render;
    render.currentValues[0] = 0;
    render.currentTimes[0] = 45000.5;

    std::vector<PublishedPage> pages = {PublishedPageOf(state, render, 1)};
    ASSERT_EQ(pages[0].graphs.size(), 1u);
    EXPECT_EQ(pages[0].graphs[0].value, 0);
    EXPECT_EQ(pages[0].graphs[0].storedValue, 0.0036);
    std::string csv = ValuesCsv(pages);
    EXPECT_NE(csv.find(",Stage,0.0036,"), std::string::npos) << csv;
    EXPECT_NE(ValuesJson(pages, 45001).find("\"value\": 0.0036"), std::string::npos);

    // A value drawing computed (a running total of 0.75 where the series stood at 0):
    // nothing stored matches it, and the feed tells what the image shows.
    render.currentValues[0] = 0.75;
    pages = {PublishedPageOf(state, render, 1)};
    EXPECT_TRUE(IsMissing(pages[0].graphs[0].storedValue));
    EXPECT_NE(ValuesCsv(pages).find(",Stage,0.75,"), std::string::npos);
}
