#include "pages/flood_bands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/color.h"

namespace tidemark {
namespace {

FloodBandRequest Request(double minor, double moderate, double major, int16_t dsid, double highwatch = 0,
                         double ymin = 0, double ymax = 20, int divisions = 4) {
    FloodBandRequest r;
    r.ymin = ymin;
    r.ymax = ymax;
    r.divisions = divisions;
    r.minor = minor;
    r.moderate = moderate;
    r.major = major;
    r.dsid = dsid;
    r.highwatch = highwatch;
    return r;
}

// 10 pixels per unit on a 0-20 axis.
const PixelBox kPlot{30, 5, 400, 200};

struct Expected {
    FloodCategory category;
    double top, height;
    const char* label;
};

void ExpectBands(const std::vector<FloodBand>& bands, const std::vector<Expected>& expected) {
    ASSERT_EQ(bands.size(), expected.size());
    for (size_t i = 0; i < bands.size(); ++i) {
        SCOPED_TRACE(expected[i].label);
        EXPECT_EQ(bands[i].category, expected[i].category);
        EXPECT_DOUBLE_EQ(bands[i].box.top, kPlot.top + expected[i].top);
        EXPECT_DOUBLE_EQ(bands[i].box.height, expected[i].height);
        EXPECT_EQ(bands[i].box.left, kPlot.left);
        EXPECT_EQ(bands[i].box.width, kPlot.width);
        EXPECT_EQ(bands[i].label, expected[i].label);
        EXPECT_EQ(bands[i].labelX, kPlot.left + 10);
        EXPECT_DOUBLE_EQ(bands[i].labelY, bands[i].box.Bottom() - 13);
        EXPECT_EQ(bands[i].color, FloodCategoryColor(expected[i].category));
    }
}

TEST(FloodBands, FourBandsFromTheTopWithTheActionLevelOneBelowMinorInThe2000s) {
    ExpectBands(FloodCategoryBands(Request(12, 15, 18, 2105), kPlot),
                {{FloodCategory::Major, 0, 20, "Major 18'"},
                 {FloodCategory::Moderate, 20, 30, "Moderate 15'"},
                 {FloodCategory::Minor, 50, 30, "Minor 12'"},
                 {FloodCategory::Action, 80, 10, "Action 11'"}});
}

TEST(FloodBands, AMajorLevelAboveTheAxisLeavesModerateAtTheTop) {
    ExpectBands(FloodCategoryBands(Request(12, 15, 25, 3001), kPlot), {{FloodCategory::Moderate, 0, 50, "Moderate 15'"},
                                                                       {FloodCategory::Minor, 50, 30, "Minor 12'"},
                                                                       {FloodCategory::Action, 80, 10, "Action 11'"}});
}

TEST(FloodBands, ActionLevelIsOneDivisionBelowMinorElseTheHighWatchLevel) {
    ExpectBands(FloodCategoryBands(Request(12, 15, 18, 1500), kPlot),
                {{FloodCategory::Major, 0, 20, "Major 18'"},
                 {FloodCategory::Moderate, 20, 30, "Moderate 15'"},
                 {FloodCategory::Minor, 50, 30, "Minor 12'"},
                 {FloodCategory::Action, 80, 50, "Action 7'"}});
    std::vector<FloodBand> watched = FloodCategoryBands(Request(12.3f, 15, 18, 2105, 9.5), kPlot);
    ASSERT_EQ(watched.size(), 4u);
    EXPECT_EQ(watched[2].label, "Minor 12.3'");  // a single's shortest form
    EXPECT_EQ(watched[3].label, "Action 9.5'");
}

TEST(FloodBands, LevelsBelowTheAxisClipAtThePlotBottom) {
    // Axis 10-20: minor 8 is raised to the axis, the action level 7 has no band.
    std::vector<FloodBand> bands = FloodCategoryBands(Request(8, 15, 18, 2105, 0, 10, 20), kPlot);
    ASSERT_EQ(bands.size(), 3u);
    EXPECT_EQ(bands[2].category, FloodCategory::Minor);
    EXPECT_DOUBLE_EQ(bands[2].box.Bottom(), kPlot.Bottom());
    EXPECT_EQ(bands[2].label, "Minor 8'");
}

TEST(FloodBands, AnActionLevelAboveMinorLevelsAboveTheAxisStaysInsideThePlot) {
    // Minor 25 and up are off the axis; the high watch level 15 gives a band 15-20 only.
    std::vector<FloodBand> bands = FloodCategoryBands(Request(25, 30, 35, 2105, 15), kPlot);
    ASSERT_EQ(bands.size(), 1u);
    EXPECT_EQ(bands[0].category, FloodCategory::Action);
    EXPECT_DOUBLE_EQ(bands[0].box.top, kPlot.top);
    EXPECT_DOUBLE_EQ(bands[0].box.height, 50);
}

TEST(FloodBands, NoBandsWithoutDivisionsOrRange) {
    EXPECT_TRUE(FloodCategoryBands(Request(12, 15, 18, 2105, 0, 0, 20, 0), kPlot).empty());
    EXPECT_TRUE(FloodCategoryBands(Request(12, 15, 18, 2105, 0, 20, 20), kPlot).empty());
}

// The category a value lies in, by the same levels the bands are painted at.
TEST(FloodCategoryOf, AValueLiesInTheHighestBandItReaches) {
    FloodBandRequest r;
    r.ymin = 0;
    r.ymax = 20;
    r.divisions = 4;
    r.minor = 12;
    r.moderate = 15;
    r.major = 18;
    r.dsid = 2101;  // action level one below minor
    EXPECT_EQ(FloodCategoryOf(18, r), FloodCategory::Major);
    EXPECT_EQ(FloodCategoryOf(25, r), FloodCategory::Major);
    EXPECT_EQ(FloodCategoryOf(17.99, r), FloodCategory::Moderate);
    EXPECT_EQ(FloodCategoryOf(12, r), FloodCategory::Minor);
    EXPECT_EQ(FloodCategoryOf(11.5, r), FloodCategory::Action);
    EXPECT_EQ(FloodCategoryOf(10.9, r), std::nullopt);
    EXPECT_EQ(FloodCategoryOf(kMissing, r), std::nullopt);
    // Outside the 2000s and 3000s the action level is one Y division below minor: 7.
    r.dsid = 1101;
    EXPECT_EQ(FloodCategoryOf(7, r), FloodCategory::Action);
    EXPECT_EQ(FloodCategoryOf(6.9, r), std::nullopt);
    // ... and with no divisions there is none, rather than a level divided by zero.
    r.divisions = 0;
    EXPECT_EQ(FloodCategoryOf(11, r), std::nullopt);
    EXPECT_EQ(FloodCategoryOf(12, r), FloodCategory::Minor);
    // The high watch level is the action level where it is set.
    r.highwatch = 9;
    EXPECT_EQ(FloodCategoryOf(9.5, r), FloodCategory::Action);
}

// On a logarithmic axis of 1 to 100 ft (two decades over the plot's 200 px) each edge
// lies where the axis puts its level, as the curve's points do.
TEST(FloodBands, OnALogarithmicAxisEachEdgeLiesAtTheLogOfItsLevel) {
    const FloodAxis log{true, 1, 100};
    auto y = [](double level) { return 100 * (2 - std::log10(level)); };
    ExpectBands(FloodCategoryBands(Request(10, 18, 40, 2105), kPlot, log),
                {{FloodCategory::Major, 0, y(40), "Major 40'"},
                 {FloodCategory::Moderate, y(40), y(18) - y(40), "Moderate 18'"},
                 {FloodCategory::Minor, y(18), y(10) - y(18), "Minor 10'"},
                 {FloodCategory::Action, y(10), y(9) - y(10), "Action 9'"}});
    // 13.5 ft is in the minor band, as its category says.
    std::vector<FloodBand> bands = FloodCategoryBands(Request(10, 18, 40, 2105), kPlot, log);
    ASSERT_EQ(bands.size(), 4u);
    EXPECT_GT(kPlot.top + y(13.5), bands[2].box.top);
    EXPECT_LT(kPlot.top + y(13.5), bands[2].box.Bottom());
    // A range the axis cannot show on a log scale draws nothing.
    EXPECT_TRUE(FloodCategoryBands(Request(10, 18, 40, 2105), kPlot, {true, 0, 100}).empty());
}

}  // namespace
}  // namespace tidemark
