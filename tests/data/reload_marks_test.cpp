// A reload that fails part-way puts back the alert marks of the pages it had already
// reloaded, with the last good data they were drawn with.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/daynum.h"
#include "core/textfile.h"
#include "data/load_pages.h"
#include "support/recording_host.h"
#include "support/setup_text.h"
#include "support/sqlite_fixture.h"
#include "support/temp_folder.h"

using namespace tidemark;

TEST(ReloadMarks, AReloadFailingAtALaterPageKeepsTheMarksOfTheEarlierOnes) {
    // "<tmp>/Tidemark/" beside "<tmp>/Streamkeep/", where the logger writes its report.
    testsupport::TempFolder root;
    const std::string program = root.Path() + "Tidemark/";
    std::filesystem::create_directories(program);
    std::filesystem::create_directories(root.Path() + "Streamkeep");
    std::string error;
    ASSERT_TRUE(testsupport::CreateSqliteDatabase(program + "tidemark.db",
                                                  "INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);"
                                                  "INSERT INTO rsite VALUES (102, 'River', 1, 'Stage', 'ft', 2);"
                                                  "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');"
                                                  "INSERT INTO rhour VALUES (101, '2026-03-10 11:00:00', 2.5);"
                                                  "INSERT INTO rhour VALUES (102, '2026-03-10 11:00:00', 7.5);",
                                                  &error))
        << error;
    ASSERT_TRUE(WriteFileAtomic(root.Path() + "Streamkeep/Streamkeep_Alert.txt",
                                JoinLinesCrLf({"Issued: 2026-03-09 10:00", "g", "   101", "v", "3.5", ""})));
    auto graph = [](const std::string& dsid) {
        return " 1 ; " + dsid + " ;Stage;Creek; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; 0 ; 0 ; 0 ; 0 ";
    };
    ASSERT_TRUE(
        WriteFileAtomic(program + "Tidemark_setup.txt",
                        testsupport::SqliteSetupText(5, 2,
                                                     {" 1 ;Creek; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", graph("101,ALERT"),
                                                      " 2 ;River; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", graph("102")})));
    ProgramState state;
    state.programFolder = program;
    RecordingHost host(MakeDayNumber(2026, 3, 10, 14, 0, 0));
    ASSERT_TRUE(LoadPages(state, host, LoadMode::Full).ok());
    ASSERT_EQ(state.pages.alerts.at(1)[0].markcount, 1);

    // Page 2's series gains a reading without a value: the reload fails there.
    ASSERT_TRUE(testsupport::ExecSqliteScript(program + "tidemark.db",
                                              "INSERT INTO rhour VALUES (102, '2026-03-10 12:00:00', NULL);", &error))
        << error;
    LoadPagesResult reloaded = LoadPages(state, host, LoadMode::Reload);
    EXPECT_FALSE(reloaded.ok());
    EXPECT_EQ(state.pages.alerts.at(1)[0].markcount, 1);
    EXPECT_TRUE(state.pages.alertspresent);
}
