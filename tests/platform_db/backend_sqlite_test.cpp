// The backend cases on a SQLite file, opened directly and through the ODBC driver.
#include "backend_cases.h"
#include "support/sqlite_fixture.h"

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

}  // namespace
}  // namespace tidemark
