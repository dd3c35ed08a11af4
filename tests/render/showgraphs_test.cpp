// Drawing a whole page: caption, slot clearing, fault reporting, the page-image cycle.
#include "render/showgraphs.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "render_fixture.h"

namespace tidemark {
namespace {

using testsupport::At;
using testsupport::PageFixture;

TEST(ShowGraphs, EmptyPageShowsOnlyCaptionAndBackground) {
    PageFixture f;
    f.Graph(0).backcolor = 0x123456;
    // Leftovers of an earlier page on two charts.
    f.Chart(0).SetRowCount(4);
    f.Chart(0).SetColumnCount(13);
    f.Chart(0).SetTitleText("old");
    f.render.titles[5] = "old title";
    f.Draw();

    EXPECT_EQ(f.host.Caption(), "Rivers 2024-Mar-10 updated at 11:30 AM");
    EXPECT_EQ(f.view.background, 0x123456);
    for (int g = 0; g < 12; ++g) {
        EXPECT_EQ(f.Chart(g).RowCount(), 0) << g;
        EXPECT_EQ(f.Chart(g).ColumnCount(), 0) << g;
        EXPECT_FALSE(f.Chart(g).Visible()) << g;
        EXPECT_FALSE(f.Chart(g).Enabled()) << g;
        EXPECT_EQ(f.Title(g), "") << g;
    }
    EXPECT_EQ(f.Chart(0).Title().text, "");
    EXPECT_TRUE(f.host.messages.empty());
    std::vector<std::string> expected{"BeginDrawing", "SetBackgroundColor 1193046", "HideBrowsers"};
    for (int g = 0; g < 12; ++g) expected.push_back("HideSlotBoxes " + std::to_string(g));
    expected.insert(expected.end(), {"LayoutPage", "EndDrawing"});
    EXPECT_EQ(f.view.calls, expected);
    EXPECT_GE(f.host.yields, 2);
}

TEST(ShowGraphs, WebScreensAndBareSlotsAreSkippedAndKeepTheirGrid) {
    PageFixture f;
    f.Graph(1).dsid = -1;
    f.Graph(2).dsid = 1;
    for (int g : {1, 2}) {
        f.Chart(g).SetRowCount(3);
        f.Chart(g).SetColumnCount(13);
        f.Chart(g).SetCell(2, 2, 42);
        f.render.titles[static_cast<size_t>(g)] = "kept";
        f.render.warningFlags[static_cast<size_t>(g)] = -1;
    }
    f.Draw();
    for (int g : {1, 2}) {
        EXPECT_EQ(f.Chart(g).Cell(2, 2), 42) << g;
        EXPECT_EQ(f.Title(g), "kept");
        EXPECT_FALSE(f.Chart(g).Visible());
        EXPECT_EQ(f.render.warningFlags[static_cast<size_t>(g)], 0) << "warning flags are cleared for every slot";
    }
}

TEST(ShowGraphs, AFaultInOneGraphIsReportedAndTheOthersAreDrawn) {
    PageFixture f;
    f.AddGraph(1, {1, 2, 3});
    f.AddGraph(2, {});
    f.AddGraph(3, {4, 5});
    // More traces than a chart has columns for.
    f.Graph(2).tracecount = 3000;
    f.Draw();

    ASSERT_EQ(f.host.messages.size(), 1u);
    const std::string& m = f.host.messages[0];
    EXPECT_GT(m.size(), std::string("\nPage 1, Chart 3").size()) << "the fault's own description comes first";
    EXPECT_TRUE(m.ends_with("\nPage 1, Chart 3")) << m;
    EXPECT_EQ(f.Chart(2).RowCount(), 6) << "a grid left empty by the fault gets 6 rows";
    EXPECT_EQ(f.Chart(1).Cell(3, 2), 3);
    EXPECT_EQ(f.Chart(3).Cell(2, 2), 5);
    EXPECT_EQ(f.view.Count("LayoutPage"), 1);

    PageFixture quiet;
    quiet.AddGraph(0, {1});
    quiet.Graph(0).tracecount = 3000;
    quiet.state.autostartseconds = 30;
    quiet.Draw();
    EXPECT_TRUE(quiet.host.messages.empty()) << "command-line mode shows no message boxes";
}

TEST(ShowGraphs, GraphsOfAPageWithoutLoadedDataReportTheirPage) {
    PageFixture f;
    f.state.store.Size(1, 10, 10, 10);  // pages 0 and 1 only
    f.state.currentpage = 2;
    f.Graph(4, 2).dsid = 300;
    f.Draw();
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0], "No data has been loaded for this graph\nPage 2, Chart 5");
    EXPECT_EQ(f.host.Caption(), "Rain 2024-Mar-10 updated at 11:30 AM");
}

TEST(ShowGraphs, DefaultPenWidthsFollowTheScreenSizeClass) {
    for (auto [screenClass, width] : {std::pair{0, 15}, {100, 15}, {250, 30}}) {
        PageFixture f;
        f.view = RecordingPageView(screenClass);
        f.state.settings.penwidth1 = 0;
        f.state.settings.penwidth2 = 75;
        f.AddGraph(0, {1, 2});
        f.Draw();
        // Without a main width both series take the default, the daily width too.
        EXPECT_EQ(f.Chart(0).Series(1).pen.width, width) << screenClass;
        EXPECT_EQ(f.Chart(0).Series(3).pen.width, width) << screenClass;
        EXPECT_EQ(f.state.settings.penwidth1, 0) << "the setup keeps its own widths";
        EXPECT_EQ(f.state.settings.penwidth2, 75);
    }
    PageFixture set;
    set.AddGraph(0, {1, 2});
    set.Draw();
    EXPECT_EQ(set.Chart(0).Series(1).pen.width, 30);
    EXPECT_EQ(set.Chart(0).Series(3).pen.width, 45);
}

TEST(ShowGraphs, ImageCycleSavesEachPageUntilItsFirstPageComesRound) {
    PageFixture f;
    f.state.imageCycleMarker = -1;
    f.Draw();
    EXPECT_EQ(f.view.Count("SavePageImage"), 1);
    EXPECT_EQ(f.state.imageCycleMarker, 1) << "the cycle remembers its first page";

    // Drawn again before any turn (a reload, a command's redraw): neither a second image
    // nor the end of the cycle.
    f.view.calls.clear();
    f.Draw();
    EXPECT_EQ(f.view.Count("SavePageImage"), 0);
    EXPECT_EQ(f.state.imageCycleMarker, 1);

    f.state.currentpage = 2;
    f.view.calls.clear();
    f.Draw();
    EXPECT_EQ(f.view.Count("SavePageImage"), 1);
    EXPECT_EQ(f.state.imageCycleMarker, 1);

    f.state.currentpage = 1;
    f.view.calls.clear();
    f.Draw();
    EXPECT_EQ(f.view.Count("SavePageImage"), 0);
    EXPECT_EQ(f.view.Count("FocusMainTextBox"), 1);
    EXPECT_EQ(f.state.imageCycleMarker, 0) << "back at the first page the cycle ends";

    f.view.calls.clear();
    f.Draw();
    EXPECT_EQ(f.view.Count("SavePageImage"), 0);
    EXPECT_EQ(f.view.Count("FocusMainTextBox"), 0);
}

TEST(ShowGraphs, UnattendedImageWaitsWithThePagingTimerStopped) {
    PageFixture f;
    f.state.autostartseconds = 60;
    f.state.imageCycleMarker = -2;
    f.Draw();
    auto from = std::find(f.view.calls.begin(), f.view.calls.end(), "EndDrawing");
    std::vector<std::string> tail(from + 1, f.view.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"StopPagingTimer", "Wait 200", "SavePageImage", "RestartPagingTimer"}));
    EXPECT_EQ(f.state.imageCycleMarker, 1);

    // A page left out of publishing is not saved, but the cycle goes on past it.
    f.state.currentpage = 2;
    f.state.pages.Page(2).ftpoff = true;
    f.view.calls.clear();
    f.Draw();
    EXPECT_EQ(f.view.Count("SavePageImage"), 0);
    EXPECT_EQ(f.view.Count("RestartPagingTimer"), 1);
}

TEST(ShowGraphs, CommandLineModeDoesNotStartTheWarningBlink) {
    PageFixture f;
    f.AddGraph(0, {1, 9});
    f.Graph(0).highwatch = 5;
    f.Draw();
    EXPECT_EQ(f.view.Count("StartWarningBlink"), 1);
    EXPECT_EQ(f.render.warningFlags[0], -1);

    f.state.autostartseconds = 30;
    f.view.calls.clear();
    f.Draw();
    EXPECT_EQ(f.view.Count("StartWarningBlink"), 0);
    EXPECT_EQ(f.render.warningFlags[0], -1);
}

}  // namespace
}  // namespace tidemark
