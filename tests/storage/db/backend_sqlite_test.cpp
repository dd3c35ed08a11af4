// The backend cases on a SQLite file, opened directly and through the ODBC driver.
#include "backend_cases.h"
#include "support/sqlite_fixture.h"
#include "support/workbook_files.h"

namespace tidemark {
namespace {

const char kSqliteDisguisedWrite[] =
    "with t as (select 1) insert into rhour select 77, '2020-03-01 00:00:00', 1 from t;";

class SqliteBackend : public TestBackend {
public:
    std::string SetUpError() const override { return fixture_.error(); }
    // Relative, so the program folder is where the file is looked for.
    std::string ConnectionString() const override { return "Provider=SQLite;Data Source=tidemark.db"; }
    std::string ProgramFolder() const override { return fixture_.Folder(); }
    bool Fill(const std::string& sql, std::string* error) override { return fixture_.Exec(sql, error); }
    std::string EngineName() const override { return "SQLite"; }
    std::string DisguisedWrite() const override { return kSqliteDisguisedWrite; }

protected:
    testsupport::SqliteFixture fixture_;
};

class OdbcSqliteBackend : public SqliteBackend {
public:
    std::string ConnectionString() const override { return "Driver={SQLite3};Database=" + fixture_.Path() + ";"; }
    std::string EngineName() const override { return "ODBC (SQLite)"; }
};

INSTANTIATE_TEST_SUITE_P(
    Engines, BackendTest,
    ::testing::Values(BackendParam{"SQLite", [] { return std::unique_ptr<TestBackend>(new SqliteBackend); }},
                      BackendParam{"OdbcSQLite", [] { return std::unique_ptr<TestBackend>(new OdbcSqliteBackend); }}),
    BackendName);

// The same rows kept in a workbook, written from the SQLite file after every fill, as a
// user keeps the tables in Excel: each case then runs on the copy of the workbook.
class WorkbookBackend : public SqliteBackend {
public:
    explicit WorkbookBackend(std::string extension) : name_("hdb" + std::move(extension)) { Write(&error_); }
    std::string SetUpError() const override { return fixture_.error() + error_; }
    std::string ConnectionString() const override {
        return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + name_ + ";Extended Properties=Excel 8.0;HDR=Yes;";
    }
    bool Fill(const std::string& sql, std::string* error) override { return fixture_.Exec(sql, error) && Write(error); }
    std::string EngineName() const override { return "Excel workbook"; }
    bool KeepsFractionsOfSeconds() const override { return name_ != "hdb.xls"; }

private:
    bool Write(std::string* error) {
        return testsupport::WriteWorkbookFromSqlite(fixture_.Path(), fixture_.Folder() + name_, error);
    }
    std::string name_;
    std::string error_;
};

INSTANTIATE_TEST_SUITE_P(
    Workbooks, BackendTest,
    ::testing::Values(BackendParam{"Xlsx", [] { return std::unique_ptr<TestBackend>(new WorkbookBackend(".xlsx")); }},
                      BackendParam{"Xls", [] { return std::unique_ptr<TestBackend>(new WorkbookBackend(".xls")); }}),
    BackendName);

// A row that does not read as a date-time and a number ends a series' converted rows and
// is read as a record set reads it; the rows after it still come, in order, those of the
// window's last midnight stored with a "T" (read by a statement of their own) included.
TEST(SqliteSeries, RowsAfterOneWithNoValueComeFromBothRangesOfTheWindow) {
    testsupport::SqliteFixture fixture;
    ASSERT_EQ(fixture.error(), "");
    std::string error;
    ASSERT_TRUE(
        fixture.Exec("insert into rhour values (7, '2020-03-02 00:00:00', 1);"
                     "insert into rhour values (7, '2020-03-03 00:00:00', null);"
                     "insert into rhour values (7, '2020-03-04 00:00:00', 3);"
                     "insert into rhour values (7, '2020-03-08T00:00:00', 4);"
                     "insert into rhour values (7, '2020-03-08 06:00:00', 5);",
                     &error))
        << error;
    Result<std::unique_ptr<Database>> db = OpenConnection("Provider=SQLite;Data Source=tidemark.db", fixture.Folder());
    ASSERT_TRUE(db.ok()) << db.error();
    Result<SeriesRows> rows = db.value()->OpenSeries(
        "select date_time, value from rhour where datatype_site_id = 7 and date_time between #01-Mar-2020# and "
        "#08-Mar-2020# order by date_time;");
    ASSERT_TRUE(rows.ok()) << rows.error();
    EXPECT_EQ(rows->RecordCount(), 4);
    std::vector<std::string> read;
    for (; !rows->Eof(); rows->MoveNext()) {
        Result<double> day = rows->DayNumber(0);
        Result<double> value = rows->Number(1);
        ASSERT_TRUE(day.ok()) << day.error();
        read.push_back(DayText(day.value()) + " " + (value ? CStr(value.value()) : "no value"));
    }
    EXPECT_EQ(read, (std::vector<std::string>{"2020-03-02 00:00 1", "2020-03-03 00:00 no value", "2020-03-04 00:00 3",
                                              "2020-03-08 00:00 4"}));
}

}  // namespace
}  // namespace tidemark
