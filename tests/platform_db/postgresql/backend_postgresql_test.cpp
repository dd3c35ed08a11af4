// The backend cases on a private PostgreSQL server, plus what only PostgreSQL does.
#include <cstdlib>
#include <ctime>

#include "backend_cases.h"
#include "support/pg_server.h"

namespace tidemark {
namespace {

class PostgresBackend : public TestBackend {
public:
    PostgresBackend() {
        server_ = testsupport::PgServer::Shared(&error_);
        if (server_)
            server_->Exec("TRUNCATE rsite, runit, rhour, rday, rdaymax, rdaymin, rupdate, mrundsid, mhour, munit;",
                          &error_);
    }
    std::string SetUpError() const override { return server_ ? error_ : "PostgreSQL: " + error_; }
    std::string ConnectionString() const override { return server_->ConnectionString(); }
    std::string ProgramFolder() const override { return "/nonexistent/"; }
    bool Fill(const std::string& sql, std::string* error) override { return server_->Exec(sql, error); }
    std::string EngineName() const override { return "PostgreSQL"; }
    std::string DisguisedWrite() const override {
        return "with t as (insert into rhour values (77, '2020-03-01 00:00:00', 1) returning *) select * from t;";
    }

private:
    testsupport::PgServer* server_ = nullptr;
    std::string error_;
};

INSTANTIATE_TEST_SUITE_P(Engines, BackendTest,
                         ::testing::Values(BackendParam{
                             "PostgreSQL", [] { return std::unique_ptr<TestBackend>(new PostgresBackend); }}),
                         BackendName);

class PostgresOnly : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(backend_.SetUpError().empty()) << backend_.SetUpError(); }
    PostgresBackend backend_;
};

TEST_F(PostgresOnly, WrongPasswordOrDatabaseGivesTheServersMessage) {
    std::string good = backend_.ConnectionString();
    Result<std::unique_ptr<Database>> db = OpenConnection(ReplaceAll(good, "Password=", "Password=x"), "/");
    ASSERT_FALSE(db.ok());
    EXPECT_NE(db.error().find("password authentication failed"), std::string::npos) << db.error();
    EXPECT_EQ(db.error().find("tidemark-test-pw"), std::string::npos) << "the password must not be shown";

    db = OpenConnection(ReplaceAll(good, "Database=tidemark", "Database=nosuchdb"), "/");
    ASSERT_FALSE(db.ok());
    EXPECT_NE(db.error().find("nosuchdb"), std::string::npos) << db.error();
}

// Series are stored in standard time, so rows exist inside the hour a daylight-saving
// change skips; reading them must not drop or move them.
TEST_F(PostgresOnly, TimesInsideADaylightSavingGapAreKept) {
    const char* oldZone = std::getenv("TZ");
    std::string saved = oldZone ? oldZone : "";
    setenv("TZ", "America/New_York", 1);
    tzset();
    std::string error;
    ASSERT_TRUE(
        backend_.Fill("insert into rhour values (1, '2020-03-08 02:30:00', 1), (1, '2020-03-08 03:30:00', 2);", &error))
        << error;
    Result<std::unique_ptr<Database>> db = OpenConnection(backend_.ConnectionString(), "/");
    ASSERT_TRUE(db.ok()) << db.error();
    Result<Recordset> rs = db.value()->OpenRecordset("select date_time from rhour order by date_time;");
    ASSERT_TRUE(rs.ok()) << rs.error();
    std::vector<std::string> times;
    for (; !rs->Eof(); rs->MoveNext()) times.push_back(DayText(rs->DayNumber(0).value()));
    if (oldZone)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_EQ(times, (std::vector<std::string>{"2020-03-08 02:30", "2020-03-08 03:30"}));
}

}  // namespace
}  // namespace tidemark
