// Opening databases: connection strings, files that are missing or not databases, and
// connection bookkeeping.
#include <gtest/gtest.h>

#include <QtCore/QStringList>
#include <QtSql/QSqlDatabase>

#include "core/textfile.h"
#include "storage/db/connection_string.h"
#include "storage/db/database.h"
#include "support/sqlite_fixture.h"

namespace tidemark {
namespace {

using testsupport::SqliteFixture;
using testsupport::TempFolder;

std::string OpenError(const std::string& connectionString, const std::string& folder = "/tmp/") {
    Result<std::unique_ptr<Database>> db = OpenConnection(connectionString, folder);
    EXPECT_FALSE(db.ok()) << connectionString;
    return db.error();
}

TEST(ConnectionString, SplitsPairsAndKeepsWrappedValues) {
    auto pairs = SplitConnectionString(" Driver = {My; Driver} ;DSN=;PWD=\"a;b\";junk; =x;Database=/d b.db");
    ASSERT_EQ(pairs.size(), 4u);
    EXPECT_EQ(pairs[0], (std::pair<std::string, std::string>{"Driver", "{My; Driver}"}));
    EXPECT_EQ(pairs[2].second, "\"a;b\"");
    EXPECT_EQ(ConnectionValue(pairs, {"database"}), "/d b.db");
    EXPECT_EQ(RedactConnectionString("Provider=PostgreSQL;Password=secret;pwd=x"),
              "Provider=PostgreSQL;Password=***;pwd=***;");
}

TEST(ConnectionString, ResolvesEachEngine) {
    Result<ConnectionTarget> sqlite = ResolveConnectionString("Provider=SQLite;Data Source=data/hdb.db", "/opt/tm/");
    ASSERT_TRUE(sqlite.ok()) << sqlite.error();
    EXPECT_EQ(sqlite->file, "/opt/tm/data/hdb.db");
    EXPECT_EQ(ResolveConnectionString("provider=sqlite;data source=/abs.db", "/opt/tm/")->file, "/abs.db");

    Result<ConnectionTarget> pg = ResolveConnectionString(
        "Provider=PostgreSQL;Host=db.local;Port=5433;Database=hdb;User Id=reader;Password=pw", "/");
    ASSERT_TRUE(pg.ok()) << pg.error();
    EXPECT_EQ(pg->kind, ConnectionTarget::Kind::PostgreSQL);
    EXPECT_EQ(pg->host + ":" + std::to_string(pg->port) + "/" + pg->database + " " + pg->user + " " + pg->password,
              "db.local:5433/hdb reader pw");

    Result<ConnectionTarget> odbc = ResolveConnectionString("DSN=hydro;UID=x", "/");
    ASSERT_TRUE(odbc.ok());
    EXPECT_EQ(odbc->kind, ConnectionTarget::Kind::Odbc);
    EXPECT_EQ(odbc->odbc, "DSN=hydro;UID=x");
}

// MariaDB's driver refuses a string ending in ";" ("Error while parsing DSN").
TEST(ConnectionString, OdbcDriversGetNoTrailingSeparator) {
    EXPECT_EQ(OdbcConnectString("Driver={MariaDB Unicode};Server=db;Database=hdb;Uid=u;Pwd=p;"),
              "Driver={MariaDB Unicode};Server=db;Database=hdb;Uid=u;Pwd=p");
    EXPECT_EQ(OdbcConnectString("  DSN=hdb ;; "), "DSN=hdb");
    EXPECT_EQ(OdbcConnectString("Driver=SQLite3;Database=/d/t.db;", "NoCreat=1"),
              "Driver=SQLite3;Database=/d/t.db;NoCreat=1");
    EXPECT_EQ(OdbcConnectString("Driver=SQLite3;Database=/d/t.db", "NoCreat=1"),
              "Driver=SQLite3;Database=/d/t.db;NoCreat=1");
    // A value in braces keeps what it holds.
    EXPECT_EQ(OdbcConnectString("DSN=x;Pwd={a;b;}"), "DSN=x;Pwd={a;b;}");
}

TEST(ConnectionString, JetStringsNameFileReadersByExtension) {
    const std::string jet = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";
    Result<ConnectionTarget> mdb = ResolveConnectionString(jet + "hdb/LedgerlyHDB.mdb;User Id=admin;", "/opt/tm/");
    ASSERT_TRUE(mdb.ok()) << mdb.error();
    EXPECT_EQ(mdb->kind, ConnectionTarget::Kind::AccessFile);
    EXPECT_EQ(mdb->file, "/opt/tm/hdb/LedgerlyHDB.mdb");
    EXPECT_EQ(ResolveConnectionString("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/d/a.ACCDB", "/")->kind,
              ConnectionTarget::Kind::AccessFile);

    Result<ConnectionTarget> xls = ResolveConnectionString(jet + "/d/book.xls;Extended Properties=Excel 8.0;", "/");
    ASSERT_TRUE(xls.ok()) << xls.error();
    EXPECT_EQ(xls->kind, ConnectionTarget::Kind::Workbook);
    EXPECT_TRUE(xls->headerRow);
    // HDR=No inside the quoted Extended Properties, as Jet strings write it.
    EXPECT_FALSE(
        ResolveConnectionString(jet + "/d/book.xlsx;Extended Properties=\"Excel 12.0; HDR = No\"", "/")->headerRow);

    std::string other = OpenError(jet + "/d/notes.txt");
    EXPECT_NE(other.find("/d/notes.txt"), std::string::npos) << other;
    EXPECT_NE(other.find("neither an Access file"), std::string::npos) << other;
    EXPECT_NE(OpenError("Provider=Microsoft.Jet.OLEDB.4.0;User Id=admin").find("Data Source=FILE"), std::string::npos);
}

TEST(ConnectionString, MissingOrForeignFilesAreNamed) {
    TempFolder folder;
    ASSERT_TRUE(folder.Write("fake.mdb", "Standard Jet DB? no, just text"));
    ASSERT_TRUE(folder.Write("fake.xlsx", "not a zip"));
    ASSERT_TRUE(folder.Write("fake.xls", "not a compound document"));
    const std::string jet = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";
    std::string missing = OpenError(jet + folder.File("gone.mdb"));
    EXPECT_NE(missing.find(folder.File("gone.mdb") + " does not exist"), std::string::npos) << missing;
    EXPECT_NE(OpenError(jet + "fake.mdb", folder.Path()).find("is not an Access database"), std::string::npos);
    EXPECT_NE(OpenError(jet + "fake.xlsx", folder.Path()).find("is not an Excel workbook (.xlsx)"), std::string::npos);
    EXPECT_NE(OpenError(jet + "fake.xls", folder.Path()).find("is not an Excel workbook (.xls)"), std::string::npos);
}

TEST(ConnectionString, BadStringsSayWhatIsWrong) {
    EXPECT_NE(OpenError("").find("names no database"), std::string::npos);
    EXPECT_NE(OpenError("just some text").find("names no database"), std::string::npos);
    EXPECT_NE(OpenError("Provider=SQLOLEDB;Data Source=srv").find("\"SQLOLEDB\" is not supported"), std::string::npos);
    EXPECT_NE(OpenError("Provider=SQLite").find("Data Source"), std::string::npos);
    EXPECT_NE(OpenError("Provider=PostgreSQL;Host=127.0.0.1;Port=99999;Database=x").find("99999"), std::string::npos);
    EXPECT_NE(OpenError("Provider=PostgreSQL;Host=127.0.0.1").find("Database=NAME"), std::string::npos);
    std::string unnamed = OpenError("Server=x;Password=hidden");
    EXPECT_EQ(unnamed.find("hidden"), std::string::npos) << unnamed;
    // Nothing listens on port 1: the connection is refused, with the engine's words.
    EXPECT_NE(OpenError("Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=x;User Id=u;Password=p")
                  .find("Connection refused"),
              std::string::npos);
    EXPECT_NE(OpenError("Driver={No Such Driver};Database=/tmp/x.db").find("ODBC"), std::string::npos);
}

TEST(SqliteFile, MissingFileFailsWithoutCreatingOne) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok()) << folder.error();
    std::string error = OpenError("Provider=SQLite;Data Source=nothere.db", folder.Path());
    EXPECT_NE(error.find(folder.Path() + "nothere.db does not exist"), std::string::npos) << error;
    error = OpenError("Driver={SQLite3};Database=" + folder.Path() + "odbc.db");
    EXPECT_NE(error.find("odbc.db does not exist"), std::string::npos) << error;
    EXPECT_FALSE(FileExists(folder.Path() + "nothere.db"));
    EXPECT_FALSE(FileExists(folder.Path() + "odbc.db"));

    // An empty file is told as empty, not as a database without tables.
    ASSERT_TRUE(WriteFileAtomic(folder.Path() + "empty.db", ""));
    error = OpenError("Provider=SQLite;Data Source=empty.db", folder.Path());
    EXPECT_NE(error.find("empty.db is empty (0 bytes)"), std::string::npos) << error;
}

TEST(SqliteFile, NotADatabaseOrAFolderIsReportedByName) {
    TempFolder folder;
    ASSERT_TRUE(folder.Write("notes.db", std::string(2000, 'x')));
    std::string error = OpenError("Provider=SQLite;Data Source=notes.db", folder.Path());
    EXPECT_NE(error.find("notes.db"), std::string::npos) << error;
    EXPECT_NE(error.find("not a database"), std::string::npos) << error;
    error = OpenError("Provider=SQLite;Data Source=" + folder.Path());
    EXPECT_NE(error.find("is not a file"), std::string::npos) << error;
}

TEST(SqliteFile, EveryConnectionIsUnregisteredWhenDone) {
    SqliteFixture fixture("insert into rsite (datatype_site_id, site_name) values (1, 'A');");
    ASSERT_TRUE(fixture.ok()) << fixture.error();
    {
        Result<std::unique_ptr<Database>> a = OpenConnection(fixture.ConnectionString(), "/");
        Result<std::unique_ptr<Database>> b = OpenConnection("Driver={SQLite3};Database=" + fixture.Path(), "/");
        ASSERT_TRUE(a.ok() && b.ok()) << a.error() << b.error();
        EXPECT_EQ(QSqlDatabase::connectionNames().size(), 2);
        Result<Recordset> rs = a.value()->OpenRecordset("select * from rsite;");
        ASSERT_TRUE(rs.ok());
        a.value()->Close();
        // The rows were fetched when the statement ran; they outlive the connection.
        EXPECT_EQ(rs->Text(1).value(), "A");
        OpenError("Provider=SQLite;Data Source=/nonexistent/x.db");
        OpenError("Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=x");
    }
    EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty()) << QSqlDatabase::connectionNames().join(", ").toStdString();
}

}  // namespace
}  // namespace tidemark
