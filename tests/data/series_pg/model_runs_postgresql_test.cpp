// Model-run traces on a private PostgreSQL server: the run list, the user's Add and the
// loader's own Add for a ",RUN" graph, through a program folder whose setup names it.
#include <gtest/gtest.h>

#include "core/daynum.h"
#include "core/textfile.h"
#include "data/database_access.h"
#include "data/load_pages.h"
#include "data/model_runs.h"
#include "support/pg_server.h"
#include "support/recording_host.h"
#include "support/setup_text.h"
#include "support/temp_folder.h"

using namespace tidemark;

TEST(ModelRunsPostgres, TheRunListAndBothAddsReadTheServersModelTables) {
    std::string error;
    testsupport::PgServer* server = testsupport::PgServer::Shared(&error);
    ASSERT_NE(server, nullptr) << error;
    ASSERT_TRUE(
        server->Exec("TRUNCATE rsite, rhour, rupdate, mrundsid, mhour;"
                     "INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);"
                     "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');"
                     "INSERT INTO rhour VALUES (101, '2026-03-10 12:00:00', 2.75);"
                     "INSERT INTO mrundsid VALUES (69, 1, '2026-03-10 06:00:00', 101, 'today');"
                     "INSERT INTO mrundsid VALUES (68, 1, '2026-03-09 06:00:00', 101, 'yesterday');"
                     "INSERT INTO mhour VALUES (68, 1, 101, '2026-03-09 12:00:00', 3.0);"
                     "INSERT INTO mhour VALUES (69, 1, 101, '2026-03-10 12:00:00', 3.25);",
                     &error))
        << error;

    testsupport::TempFolder folder;
    testsupport::SetupSwitches switches;
    switches.connection = server->ConnectionString();
    ASSERT_TRUE(WriteFileAtomic(
        folder.Path() + "Tidemark_setup.txt",
        testsupport::SqliteSetupText(5, 2,
                                     {" 1 ;Runs; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON",
                                      " 1 ; 101,RUN ;Stage;Creek; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; 0 "
                                      "; 0 ; 0 ; 0 "},
                                     switches)));
    ProgramState state;
    state.programFolder = folder.Path();
    RecordingHost host(MakeDayNumber(2026, 3, 10, 14, 0, 0));
    state.loading = true;
    LoadPagesResult loaded = LoadPages(state, host, LoadMode::Full);
    state.loading = false;
    ASSERT_TRUE(loaded.ok()) << loaded.error();
    EXPECT_EQ(state.pages.Graph(1, 0).tracecount, 1);  // yesterday's run, by the loader
    EXPECT_EQ(state.traces.Find(1, 0, 1)->label, "Mar09 06:00");

    auto db = OpenDatabase(state.settings, state.programFolder);
    ASSERT_TRUE(db) << db.error();
    Result<RunList> list = ReadRunList(*db.value(), state, 1, 0);
    ASSERT_TRUE(list) << list.error();
    ASSERT_EQ(list->rows.size(), 2u);
    EXPECT_EQ(list->rows[0].cells[0], "69");
    EXPECT_EQ(AddTrace(state, *db.value(), 1, 0, {&list->rows[0], false}).error(), "");
    EXPECT_EQ(state.pages.Graph(1, 0).tracecount, 2);
    const ModelTrace* today = state.traces.Find(1, 0, 2);
    ASSERT_NE(today, nullptr);
    EXPECT_EQ(today->points[1].value, 3.25);
    EXPECT_EQ(today->points[1].time, MakeDayNumber(2026, 3, 10, 12, 0, 0));
}
