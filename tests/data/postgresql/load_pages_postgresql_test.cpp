// A whole load from a program folder whose setup file names the private PostgreSQL server.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "core/daynum.h"
#include "core/textfile.h"
#include "core/vbtext.h"
#include "data/load_pages.h"
#include "support/pg_server.h"
#include "support/recording_host.h"
#include "support/setup_text.h"
#include "support/temp_folder.h"

namespace tidemark {
namespace {

// 10 March 2026, 14:00.
const double kNow = MakeDayNumber(2026, 3, 10, 14, 0, 0);

// How many sessions the server has let the program's user open so far.
int ConnectionsMade(const testsupport::PgServer& server) {
    std::ifstream log(server.LogFile());
    int count = 0;
    for (std::string line; std::getline(log, line);)
        if (Contains(line, "connection authorized: user=" + server.User() + " ")) ++count;
    return count;
}

// A load costs a server two sessions, both opened at once as the load begins: one the
// catalogue, the graphs of one side and the update stamp are read on, one for the graphs
// fetched beside them. A third would be a round of authentication spent for nothing.
TEST(PostgresLoadPages, AFolderLoadsOnTwoSessionsOpenedAtOnceAndAReloadOnTwoMore) {
    std::string error;
    testsupport::PgServer* server = testsupport::PgServer::Shared(&error);
    ASSERT_TRUE(server) << error;
    ASSERT_TRUE(
        server->Exec("TRUNCATE rsite, rupdate, runit, rhour, rday, rdaymax, rdaymin;"
                     "INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1),"
                     " (102, 'Dam', 1, 'Stage', 'ft', 2), (103, 'Weir', 1, 'Stage', 'ft', 3);"
                     "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');"
                     "INSERT INTO rhour SELECT s, timestamp '2026-03-10 06:00' + k * interval '1 hour', s + k"
                     " FROM generate_series(101, 103) s, generate_series(0, 3) k;",
                     &error))
        << error;

    testsupport::TempFolder folder("tidemark-pg-load");
    ASSERT_TRUE(folder.ok()) << folder.error();
    testsupport::SetupSwitches switches;
    switches.connection = server->ConnectionString();
    std::vector<std::string> lines = {" 1 ;Rivers; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON"};
    for (int g = 1; g <= 3; ++g)
        lines.push_back(" " + std::to_string(g) + " ; " + std::to_string(100 + g) +
                        " ;Stage;Site; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; 0 ; 0 ; 0 ; 0 ");
    ASSERT_TRUE(
        WriteFileAtomic(folder.File("Tidemark_setup.txt"), testsupport::SqliteSetupText(5, 2, lines, switches)));

    ProgramState state;
    state.programFolder = folder.Path();
    RecordingHost host{kNow};
    const int before = ConnectionsMade(*server);
    LoadPagesResult out = LoadPages(state, host, LoadMode::Full);
    ASSERT_TRUE(out.ok()) << out.error();
    EXPECT_TRUE(host.messages.empty()) << host.messages.front();
    EXPECT_EQ(ConnectionsMade(*server) - before, 2);
    EXPECT_EQ(BaseCaption(state), "Rivers 2026-Mar-10 updated at 01:05 PM");
    for (int slot = 0; slot < 3; ++slot) {
        const SlotSeries& s = state.store.At(1, slot);
        EXPECT_EQ(s.currentValue, 101 + slot + 3) << "graph " << slot + 1;
    }

    const int beforeReload = ConnectionsMade(*server);
    LoadPagesResult reloaded = LoadPages(state, host, LoadMode::Reload);
    ASSERT_TRUE(reloaded.ok()) << reloaded.error();
    EXPECT_EQ(ConnectionsMade(*server) - beforeReload, 2);
    EXPECT_EQ(state.store.At(1, 2).currentValue, 106);
}

}  // namespace
}  // namespace tidemark
