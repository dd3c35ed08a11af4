// The catalogue and the update stamp on a SQLite file, opened directly and through the
// ODBC driver; connection failures while the setup file is read; the whole read with
// the data hooks on a real program folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue_cases.h"
#include "core/textfile.h"
#include "data/data_hooks.h"
#include "data/program_state.h"
#include "storage/db/database.h"
#include "support/recording_host.h"
#include "support/setup_text.h"
#include "support/sqlite_fixture.h"
#include "support/temp_folder.h"

namespace tidemark {
namespace {

class SqliteBackend : public DataBackend {
public:
    std::string SetUpError() const override { return fixture_.error(); }
    // Relative, so the file is looked for in the program folder.
    std::string ConnectionString() const override { return "Provider=SQLite;Data Source=tidemark.db"; }
    std::string ProgramFolder() const override { return fixture_.Folder(); }
    bool Fill(const std::string& sql, std::string* error) override { return fixture_.Exec(sql, error); }

protected:
    testsupport::SqliteFixture fixture_;
};

class OdbcSqliteBackend : public SqliteBackend {
public:
    std::string ConnectionString() const override { return "Driver={SQLite3};Database=" + fixture_.Path(); }
};

INSTANTIATE_TEST_SUITE_P(
    Engines, CatalogueAndStamp,
    ::testing::Values(DataBackendParam{"SQLite", [] { return std::unique_ptr<DataBackend>(new SqliteBackend); }},
                      DataBackendParam{"OdbcSQLite",
                                       [] { return std::unique_ptr<DataBackend>(new OdbcSqliteBackend); }}),
    DataBackendName);

// A setup file whose line 7 is `connectionLine`, with a graph page and two web screens.
std::string SetupText(const std::string& connectionLine) {
    const std::string label = "Database Connection String=";
    return testsupport::SqliteSetupText(
        7, 0,
        {
            " 1 ;Rivers; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON",
            " 1 ; 10 ;Precipitation;Alder Creek; 0 ; 1 ; 0 ; 16777215 ; 16777215 ; 255 ; 255 ; 0 ; 0 ; 0 ; 0 ",
            " 2 ;-1 ;Web Screen;https://example.org/river.html; 1 ; 0 ; 0 ; 1 ; 0 ",
            " 2 ;Web; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON",
            " 1 ;-1 ;Web Screen;file:///srv/report.pdf; 0 ; 0 ; 0 ; 0 ; 1 ",
        },
        {.connection = connectionLine.substr(connectionLine.find(label) == 0 ? label.size() + 1 : 0)});
}

struct Model {
    SetupSettings settings;
    PageSet pages;
    SiteCatalogue catalogue;
    FrequencyTable frequency;
    SetupTargets Targets() { return SetupTargets{settings, pages, catalogue, frequency}; }
};

// Reads the folder's setup file the way the program does, with the editor recorded.
struct ReadOutcome {
    SetupReadResult result = SetupRead{};
    std::vector<std::string> edited;
};

ReadOutcome ReadFolder(RecordingHost& host, const std::string& folder, Model& model) {
    ReadOutcome outcome;
    outcome.result = ReadSetupWithDatabase(host, folder, model.Targets(),
                                           [&](const std::string& path) { outcome.edited.push_back(path); });
    return outcome;
}

// The hint names a text editor and the folder the setup file is in, not programs or
// folders of another system.
std::string ConnectionFailure(const std::string& description, const std::string& folder) {
    return description + "\r\n\r\nUse a text editor to edit Database Connection String in Tidemark_setup.txt (maybe " +
           folder;
}

TEST(SetupWithDatabase, LoadsTheCatalogueThenAppendsWebScreens) {
    testsupport::SqliteFixture fixture(
        "insert into rsite values (10, 'Alder Creek', 10, 'Precipitation', 'in', 1);"
        "insert into rsite values (40, 'Dam; Outlet', 1, 'Stage', 'ft', 4);"
        "insert into rsite values (30, 'birch Bend', 1, 'Stage', 'ft', 3);");
    ASSERT_TRUE(fixture.ok()) << fixture.error();
    ASSERT_TRUE(WriteFileAtomic(fixture.Folder() + kSetupFileName,
                                SetupText("Database Connection String=  Provider=SQLite;Data Source=tidemark.db  ")));
    RecordingHost host;
    Model model;
    ReadOutcome read = ReadFolder(host, fixture.Folder(), model);
    ASSERT_TRUE(read.result.ok()) << read.result.error();
    EXPECT_TRUE(read.edited.empty());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(model.settings.connectionstring, "Provider=SQLite;Data Source=tidemark.db");
    EXPECT_TRUE(model.settings.quotedates);
    EXPECT_FALSE(model.settings.excelmode);

    SiteEntry web1 = Site(-1, "https://example.org/river.html", 0, "Web Screen", "");
    web1.allownavigation = "1";
    web1.fitimage = "0";
    SiteEntry web2 = Site(-1, "file:///srv/report.pdf", 0, "Web Screen", "");
    web2.allownavigation = "0";
    web2.fitimage = "1";
    std::vector<SiteEntry> expected{
        Site(10, "Alder Creek", 10, "Precipitation", "in"),
        Site(10, "Alder Creek", 10, "Monthly Rainfall", "in"),
        Site(30, "birch Bend", 1, "Stage", "ft"),  // letter case does not order the list
        Site(40, "Dam, Outlet", 1, "Stage", "ft"),
        web1,
        web2,
    };
    EXPECT_EQ(model.catalogue.Entries(), expected);
    EXPECT_EQ(model.pages.Page(1).slots[0].dsid, 10);
    EXPECT_EQ(model.pages.Page(2).slots[0].stationname, "file:///srv/report.pdf");
}

// Each failing connection: one message (the description, a blank line, the hint), the
// editor opened once on the setup file afterwards, a fatal result, and no pages read.
class ConnectionFailures : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.ok()) << folder_.error(); }

    ReadOutcome ReadWithLine7(const std::string& line7) {
        EXPECT_TRUE(folder_.Write(kSetupFileName, SetupText(line7)));
        return ReadFolder(host_, folder_.Path(), model_);
    }

    void ExpectFatal(const ReadOutcome& read, const std::string& description) {
        EXPECT_FALSE(read.result.ok());
        EXPECT_EQ(read.result.fault().kind, SetupFault::Catalogue);
        ASSERT_EQ(host_.messages.size(), 1u);
        EXPECT_EQ(host_.messages[0], ConnectionFailure(description, folder_.Path()));
        EXPECT_EQ(read.result.error(), host_.messages[0]);
        EXPECT_EQ(read.edited, std::vector<std::string>{folder_.Path() + kSetupFileName});
        EXPECT_TRUE(model_.catalogue.Empty());
        EXPECT_EQ(model_.pages.Page(1).slots[0].dsid, 0) << "the page section must not be read";
    }

    testsupport::TempFolder folder_;
    RecordingHost host_;
    Model model_;
};

TEST_F(ConnectionFailures, MissingDatabaseFileIsNamed) {
    ReadOutcome read = ReadWithLine7("Database Connection String= Provider=SQLite;Data Source=missing.db");
    ExpectFatal(read, "The database file " + folder_.Path() + "missing.db does not exist");
}

TEST_F(ConnectionFailures, EmptyStringPointsAtTheCompanionDatabase) {
    ReadOutcome read = ReadWithLine7("Database Connection String= ");
    std::string folder = folder_.Path().substr(0, folder_.Path().size() - 1);
    std::string completed =
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder + "/LedgerlyHDB.mdb;User Id=admin;Password=;";
    EXPECT_EQ(model_.settings.connectionstring, completed);
    Result<std::unique_ptr<Database>> direct = OpenConnection(completed, folder_.Path());
    ASSERT_FALSE(direct.ok());
    EXPECT_NE(direct.error().find("LedgerlyHDB.mdb"), std::string::npos) << direct.error();
    ExpectFatal(read, direct.error());
}

TEST_F(ConnectionFailures, MissingSiteTableGivesTheEnginesMessage) {
    std::string error;
    ASSERT_TRUE(testsupport::ExecSqliteScript(folder_.File("norsite.db"),
                                              "create table rupdate (datatype_site_id integer, source text, "
                                              "date_time text);",
                                              &error))
        << error;
    ReadOutcome read = ReadWithLine7("Database Connection String= Provider=SQLite;Data Source=norsite.db");
    ASSERT_EQ(host_.messages.size(), 1u);
    std::string description = host_.messages[0].substr(0, host_.messages[0].find("\r\n"));
    EXPECT_NE(description.find("no such table: rsite"), std::string::npos) << description;
    ExpectFatal(read, description);
}

TEST(SiteCatalogueLoad, ExcessRowsAreLeftOutAndReported) {
    // 16385 rain gauges would need 32770 entries.
    testsupport::SqliteFixture fixture(
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < 16385) "
        "insert into rsite select i, printf('Gauge %05d', i), 10, 'Precipitation', 'in', i from n;");
    ASSERT_TRUE(fixture.ok()) << fixture.error();
    SetupSettings settings;
    settings.connectionstring = "Provider=SQLite;Data Source=tidemark.db";
    ApplyConnectionRules(settings, fixture.Folder());
    RecordingHost host;
    SiteCatalogue catalogue;
    Result<CatalogueLoad> load = LoadSiteCatalogue(host, settings, fixture.Folder(), catalogue);
    ASSERT_TRUE(load.ok()) << load.error();
    EXPECT_EQ(load->rows, 16385);
    EXPECT_EQ(load->rowsLeftOut, 2);
    EXPECT_EQ(catalogue.Count(), SiteCatalogue::kMaxEntries);
    EXPECT_EQ(catalogue.Entry(SiteCatalogue::kMaxEntries).sitename, "Gauge 16383");
    EXPECT_EQ(catalogue.Entry(SiteCatalogue::kMaxEntries).datatypename, "Monthly Rainfall");

    // Through the hook the load goes on, with a word to the user.
    SetupReaderHooks hooks = MakeDataHooks(host, fixture.Folder());
    SetupSettings fromFile;
    fromFile.connectionstring = "Provider=SQLite;Data Source=tidemark.db";
    Result<void> completed = hooks.afterTopSection(fromFile, catalogue);
    EXPECT_TRUE(completed) << completed.error();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("2 of the 16385 rows"), std::string::npos) << host.messages[0];
}

TEST(UpdateCheck, FaultsGoToTheCallerWithoutAMessage) {
    testsupport::TempFolder folder;
    std::string error;
    ASSERT_TRUE(testsupport::ExecSqliteScript(folder.File("noupdate.db"), "create table rsite (x integer);", &error))
        << error;
    ProgramState state;
    state.programFolder = folder.Path();
    state.settings.connectionstring = "Provider=SQLite;Data Source=noupdate.db";
    ApplyConnectionRules(state.settings, state.programFolder);
    state.lastUpdate = 44000.5;
    RecordingHost host;
    Result<bool> found = CheckUpdate(host, state);
    ASSERT_FALSE(found.ok());
    EXPECT_NE(found.error().find("no such table: rupdate"), std::string::npos) << found.error();
    EXPECT_EQ(state.lastUpdate, 44000.5);
    EXPECT_TRUE(host.messages.empty());

    state.settings.connectionstring = "Provider=SQLite;Data Source=gone.db";
    found = CheckUpdate(host, state);
    ASSERT_FALSE(found.ok());
    EXPECT_EQ(found.error(), "The database file " + folder.Path() + "gone.db does not exist");
}

}  // namespace
}  // namespace tidemark
