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

}  // namespace
}  // namespace tidemark
