// The graph commands and point-inspection rules that the window tests do not reach:
// depth-duration lines, missing values, the stored-scale rule, fractional font sizes.
#include <gtest/gtest.h>

#include "core/daynum.h"
#include "pages/graph_menu.h"
#include "pages/graph_readout.h"
#include "support/recording_host.h"

using namespace tidemark;

namespace {

SlotSeries Series(std::initializer_list<SeriesPoint> points, double currentTime) {
    SlotSeries s;
    s.points.Reset(static_cast<int>(points.size()));
    size_t i = 0;
    for (const SeriesPoint& p : points) s.points[++i] = p;
    s.pointCount = static_cast<int16_t>(points.size());
    s.currentTime = currentTime;
    return s;
}

class ScriptedMenuView : public GraphMenuView {
public:
    void SetEntryText(int row, const std::string& text) override { entries[row] = text; }
    std::string EntryText(int row) const override { return entries.count(row) ? entries.at(row) : ""; }
    void RedrawPage() override { ++redraws; }
    void LayoutPage() override { ++layouts; }
    void RefreshChart(int) override {}
    EnlargeArea Area() const override { return {}; }
    void HidePageForEnlarged(const WindowRect&) override {}
    void ShowEnlargedValueBox(int, const EnlargedGraphLayout&) override {}
    void Open(SideFrame) override {}
    void PreviousPage() override {}
    std::optional<int32_t> ChooseColor(int32_t) override { return std::nullopt; }
    std::optional<FontChoice> ChooseFont(const FontChoice&) override { return font; }
    int ScreenSizeClass() const override { return 0; }

    std::map<int, std::string> entries{{kEnlargeEntryRow, "Enlarge"}, {kLogAxisEntryRow, "Log Yaxis"}};
    std::optional<FontChoice> font;
    int redraws = 0, layouts = 0;
};

struct MenuRig {
    MenuRig() {
        state.pages.tableroom = 2;
        state.pages.pages.resize(4);
        state.currentpage = 1;
        state.pages.Graph(1, 0).dsid = 101;
        state.pages.Page(1).titlefontsize = 10;
    }
    ProgramState state;
    RenderState render;
    RecordingHost host;
    ScriptedMenuView view;
    GraphCommands commands{state, render, host, view};
};

}  // namespace

TEST(ValuesList, LinesFollowTheGraphKindAndStopAtTheCurrentTime) {
    GraphDef def;
    double t0 = MakeDayNumber(2026, 3, 10, 12, 0, 0), t1 = t0 + 1.0 / 24, t2 = t1 + 1.0 / 24;
    SlotSeries main = Series({{t0, 2.5}, {t1, kMissing}, {t2, 3}}, t1);
    SlotSeries second = Series({{t0, 7}, {t1, 8}, {t2, 9}}, t2);
    PointLines lines = ValuesListFor(def, main, &second);
    // A missing value shows its time alone; the point after the current time is left out.
    EXPECT_EQ(lines.lines, (std::vector<std::string>{"10 12:00 2.5, 7", "10 13:00 "}));
    EXPECT_EQ(lines.longest, 15u);

    main.currentTime = 0;  // no point at the current time: every point
    EXPECT_EQ(ValuesListFor(def, main, nullptr).lines.size(), 3u);

    def.freqtype = FreqType::DepthDuration;
    SlotSeries years = Series({{60, 2.5}, {1440, kMissing}}, 0);
    SlotSeries depth = Series({{60, 1.25}, {1440, kMissing}}, 0);
    EXPECT_EQ(ValuesListFor(def, years, &depth).lines, (std::vector<std::string>{"60  1.25\" 2.5 yrs", "1440  "}));
}

TEST(ValuesList, GraphMenuOpensUpwardFromTheLowerSlotsOfEachPageSize) {
    // graph count -> first lower slot
    for (auto [count, first] : {std::pair{2, 2}, {3, 2}, {4, 3}, {5, 3}, {6, 6}, {8, 6}, {9, 8}, {12, 8}}) {
        EXPECT_FALSE(IsLowerSlot(first - 1, count)) << count;
        EXPECT_TRUE(IsLowerSlot(first, count)) << count;
    }
    EXPECT_FALSE(IsLowerSlot(0, 1));
    EXPECT_TRUE(IsLowerSlot(1, 1));
    EXPECT_EQ(ClipboardText({}), "");
}

TEST(GraphCommands, NormalAxisSetsTheStoredScaleOnlyForRangesFromZeroOrWide) {
    MenuRig rig;
    ChartAxis& y = rig.render.charts[0].YAxis();
    rig.render.Scale(1, 0) = YScale{-2, 3, 1, 5};
    rig.commands.Run("Normal Yaxis", 0);
    EXPECT_TRUE(y.scale.automatic);
    EXPECT_EQ(rig.view.EntryText(kLogAxisEntryRow), "Log Yaxis");

    rig.render.Scale(1, 0) = YScale{0, 3, 1, 3};
    rig.commands.Run("Normal Yaxis", 0);
    EXPECT_FALSE(y.scale.automatic);
    EXPECT_EQ(y.scale.minimum, 0);
    EXPECT_EQ(y.scale.maximum, 3);
    EXPECT_EQ(y.scale.majorDivisions, 3);
    EXPECT_EQ(rig.view.redraws, 0);
}

TEST(GraphCommands, FontSizesAreWholePointsHalvesToEven) {
    MenuRig rig;
    rig.view.font = FontChoice{"Liberation Sans", 10.5};
    rig.commands.RunColors("Fonts Axis", 0);
    EXPECT_EQ(rig.state.pages.Page(1).axisfontsize, 10);
    EXPECT_EQ(rig.state.settings.axisfontname, "Liberation Sans");
    rig.view.font = FontChoice{"Liberation Sans", 11.5};
    rig.commands.RunColors("Fonts Title", 0);
    EXPECT_EQ(rig.state.pages.Page(1).titlefontsize, 12);
    EXPECT_EQ(rig.view.layouts, 2);

    // Cancel marks the setup changed and does nothing else.
    rig.state.setupdirty = false;
    rig.commands.RunColors("Cancel", 0);
    EXPECT_TRUE(rig.state.setupdirty);
    EXPECT_EQ(rig.view.layouts, 2);
}
