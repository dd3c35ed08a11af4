// A whole load from a program folder whose setup file names the MariaDB server by its
// ODBC driver, the connection string ending in ";" as users write it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/daynum.h"
#include "core/textfile.h"
#include "core/vbtext.h"
#include "data/load_pages.h"
#include "mariadb_backends.h"
#include "support/recording_host.h"
#include "support/setup_text.h"
#include "support/temp_folder.h"

namespace tidemark {
namespace {

// 10 March 2026, 14:00.
const double kNow = MakeDayNumber(2026, 3, 10, 14, 0, 0);

TEST(MariaLoadPages, SetupFileConnectionLoadsCatalogueStampAndTheMergedDailyMaxMin) {
    mariatest::MariaTables tables("rsite,rupdate,runit,rhour,rday,rdaymax,rdaymin");
    ASSERT_TRUE(tables.SetUpError().empty()) << tables.SetUpError();
    std::string error;
    ASSERT_TRUE(
        tables.Exec("INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);"
                    "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');"
                    "INSERT INTO rhour VALUES (101, '2026-03-10 06:00:00', 5), (101, '2026-03-10 10:00:00', 2.5);"
                    "INSERT INTO rdaymax VALUES (101, '2026-03-10 06:00:00', 9.5);"
                    "INSERT INTO rdaymin VALUES (101, '2026-03-10 06:00:00', 1.25);",
                    &error))
        << error;

    testsupport::TempFolder folder("tidemark-maria-load");
    ASSERT_TRUE(folder.ok()) << folder.error();
    testsupport::SetupSwitches switches;
    switches.includeDailyMaxMin = true;
    switches.connection = tables.ConnectionString();
    ASSERT_EQ(switches.connection.back(), ';');
    ASSERT_TRUE(WriteFileAtomic(
        folder.File("Tidemark_setup.txt"),
        testsupport::SqliteSetupText(5, 2,
                                     {" 1 ;Rivers; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON",
                                      " 1 ; 101 ;Stage;Creek; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; 0 ; 0 ; "
                                      "0 ; 0 "},
                                     switches)));

    ProgramState state;
    state.programFolder = folder.Path();
    RecordingHost host{kNow};
    LoadPagesResult out = LoadPages(state, host, LoadMode::Full);
    ASSERT_TRUE(out.ok()) << out.error();
    EXPECT_TRUE(host.messages.empty()) << host.messages.front();
    EXPECT_EQ(BaseCaption(state), "Rivers 2026-Mar-10 updated at 01:05 PM");
    EXPECT_EQ(state.labels[1][0].unit, "ft");

    const SlotSeries& s = state.store.At(1, 0);
    std::vector<std::string> present;
    for (int i = 1; i <= s.pointCount; ++i) {
        const SeriesPoint& p = s.points[static_cast<size_t>(i)];
        if (!IsMissing(p.value)) present.push_back(FormatDate(p.time, "mm-dd hh:nn") + " " + CStr(p.value));
    }
    // The three rows at 06:00 by value, as on every other engine.
    EXPECT_EQ(present,
              (std::vector<std::string>{"03-10 06:00 1.25", "03-10 06:00 5", "03-10 06:00 9.5", "03-10 10:00 2.5"}));
    EXPECT_EQ(s.currentValue, 2.5);
}

}  // namespace
}  // namespace tidemark
