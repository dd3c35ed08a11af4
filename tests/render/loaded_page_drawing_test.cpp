// Drawing the pages of a loaded program folder.
#include <gtest/gtest.h>

#include "core/daynum.h"
#include "core/textfile.h"
#include "data/load_pages.h"
#include "render/render_state.h"
#include "render/showgraphs.h"
#include "support/recording_host.h"
#include "support/recording_page_view.h"
#include "support/setup_text.h"
#include "support/sqlite_fixture.h"

namespace tidemark {
namespace {

TEST(LoadedPageDrawing, ASetupWithoutPenWidthsGetsTheScreensWidthsAndIsLeftAsItWas) {
    testsupport::SqliteFixture db;
    ASSERT_TRUE(db.ok()) << db.error();
    ASSERT_TRUE(
        db.Exec("INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);"
                "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');"
                "INSERT INTO rhour VALUES (101, '2026-03-10 10:00:00', 2.5);"
                "INSERT INTO rhour VALUES (101, '2026-03-10 11:00:00', 2.75);"));
    std::string setup = testsupport::SqliteSetupText(
        3, 0,
        {" 1 ;Rivers; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON",
         " 1 ; 101 ;Stage;Creek; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; 0 ; 0 ; 0 ; 0 "},
        {.penWidths = false});
    ASSERT_TRUE(WriteFileAtomic(db.Folder() + kSetupFileName, setup));

    ProgramState state;
    state.programFolder = db.Folder();
    RecordingHost host(MakeDayNumber(2026, 3, 10, 14, 0, 0));
    ASSERT_TRUE(LoadPages(state, host, LoadMode::Full).ok());
    ASSERT_EQ(state.settings.penwidth1, 0);
    const SetupSettings settings = state.settings;
    const PageSet pages = state.pages;

    RenderState render;
    RecordingPageView large(250);
    showgraphs(state, render, host, large);
    EXPECT_EQ(render.charts[0].Series(1).pen.width, 30);
    EXPECT_EQ(render.charts[0].Series(3).pen.width, 30);
    // Drawing writes nothing back: a save after it keeps the file's "not set".
    EXPECT_EQ(state.settings.penwidth1, 0);
    EXPECT_EQ(state.settings.penwidth2, 0);
    EXPECT_EQ(state.settings, settings);
    EXPECT_EQ(state.pages, pages);

    // The widths chosen stay while the window moves to a smaller screen.
    RecordingPageView small(0);
    showgraphs(state, render, host, small);
    EXPECT_EQ(render.charts[0].Series(1).pen.width, 30);
    // Drawn afresh on the small screen, the page gets its thinner pens.
    RenderState fresh;
    showgraphs(state, fresh, host, small);
    EXPECT_EQ(fresh.charts[0].Series(1).pen.width, 15);
}

}  // namespace
}  // namespace tidemark
