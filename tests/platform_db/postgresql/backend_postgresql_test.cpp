// The backend cases on a private PostgreSQL server, plus what only PostgreSQL does.
#include <cmath>
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

// Statements are read through libpq as text: every type must come out as the reader's
// callers take it - numbers and truth values as numbers, dates and times as day numbers
// of the fields the server wrote, text in the program's code page.
TEST_F(PostgresOnly, EveryColumnTypeReadsAsTheProgramTakesIt) {
    Result<std::unique_ptr<Database>> db = OpenConnection(backend_.ConnectionString(), "/");
    ASSERT_TRUE(db.ok()) << db.error();
    Result<Recordset> rs = db.value()->OpenRecordset(
        "select 1::int2, 3000000000::int8, 1.5::float4, 12.345::numeric, true, false, 'Weir \xD8'::text, "
        "date '2020-03-01', time '13:45:30.5', timestamp '2020-03-01 13:45:30.75', null::int4, "
        "'infinity'::timestamp, 'NaN'::float8, '\\x4142'::bytea, "
        "timestamptz '2020-07-01 13:45:30+05', (timestamptz '2020-07-01 13:45:30+05')::text;");
    ASSERT_TRUE(rs.ok()) << rs.error();
    auto number = [&](int i) { return rs->Number(i).value_or(-1); };
    auto day = [&](int i) { return rs->DayNumber(i).value_or(-1); };
    EXPECT_EQ(number(0), 1);
    EXPECT_EQ(number(1), 3e9);
    EXPECT_EQ(number(2), 1.5);
    EXPECT_EQ(number(3), 12.345);
    EXPECT_EQ(number(4), 1);
    EXPECT_EQ(number(5), 0);
    EXPECT_EQ(rs->Text(6).value_or(""), "Weir \xD8");
    EXPECT_EQ(day(7), DateSerial(2020, 3, 1));
    EXPECT_EQ(day(8), TimeSerial(13, 45, 30));
    EXPECT_EQ(day(9), MakeDayNumber(2020, 3, 1, 13, 45, 30));
    EXPECT_TRUE(rs->IsNull(10));
    EXPECT_TRUE(rs->IsNull(11)) << "a date-time no calendar holds reads as empty";
    EXPECT_TRUE(std::isnan(rs->Number(12).value_or(0)));
    EXPECT_EQ(rs->Text(13).value_or(""), "AB");
    // With a zone, the fields as the server wrote them in the session's zone.
    std::string written = rs->Text(15).value_or("");
    ASSERT_GE(written.size(), 19u) << written;
    EXPECT_EQ(DayText(day(14)), written.substr(0, 16)) << written;
    EXPECT_EQ(DayText(day(14)).size(), 16u);
}

}  // namespace
}  // namespace tidemark
