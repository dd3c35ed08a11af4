// The backend cases on a private PostgreSQL server, plus what only PostgreSQL does.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

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

// Every row as the series fetch reads it (the value's own text is not kept for rows read
// fast), as text.
std::vector<std::string> Readings(SeriesRows rows) {
    auto shown = [](const Result<double>& r) {
        if (!r) return "fault: " + r.error();
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", std::isnan(*r) ? 0.5 : *r);
        return std::string(std::isnan(*r) ? "NaN" : text);
    };
    std::vector<std::string> out;
    for (; !rows.Eof(); rows.MoveNext())
        out.push_back(shown(rows.DayNumber(0)) + " | " + shown(rows.Number(1)) + " | " + rows.Text(0).value_or("?"));
    return out;
}

// Series rows come in the server's binary form; they must read exactly as the same rows
// read as text: fractions of a second dropped, dates before 2000 and far from it, values
// the text form reads as numbers, and from a row without a value on, the rows as the
// record set holds them.
TEST_F(PostgresOnly, SeriesReadInBinaryAreThoseReadAsText) {
    Result<std::unique_ptr<Database>> db = OpenConnection(backend_.ConnectionString(), "/");
    ASSERT_TRUE(db.ok()) << db.error();
    const std::string series =
        "select t::timestamp as date_time, v as value from (values "
        "('2020-03-01 13:45:30.75', 1.25::float8), ('1999-12-31 23:59:59.999', 0.1), ('1999-12-31 00:00:00', -0.0), "
        "('1850-06-01 06:30:00', 1e300), ('0001-01-01 00:00:01', 'NaN'), ('9999-12-31 23:59:59', 'Infinity'), "
        "('2020-03-01 00:00:00.000001', 2), ('2020-03-02 00:00:00', null), ('infinity', 3), "
        "('2020-03-03 12:00:00', 4.5)) as rows(t, v);";
    Result<SeriesRows> binary = db.value()->OpenSeries(series);
    ASSERT_TRUE(binary.ok()) << binary.error();
    Result<Recordset> text = db.value()->OpenRecordset(series);
    ASSERT_TRUE(text.ok()) << text.error();
    std::vector<std::string> expected = Readings(SeriesRowsOf(std::move(text.value())));
    EXPECT_EQ(Readings(std::move(binary.value())), expected);
    ASSERT_EQ(expected.size(), 10u);
    // A second short of 2000, its fraction dropped.
    char whole[40];
    std::snprintf(whole, sizeof whole, "%.17g", MakeDayNumber(1999, 12, 31, 23, 59, 59));
    EXPECT_EQ(expected[1].substr(0, expected[1].find(" | ")), whole);

    // Columns kept as text here (numeric values, text dates) are read as text.
    Result<SeriesRows> numeric = db.value()->OpenSeries("select timestamp '2020-03-01 01:00' as d, 1.5::numeric as v;");
    ASSERT_TRUE(numeric.ok()) << numeric.error();
    EXPECT_EQ(numeric->Number(1).value_or(0), 1.5);
    Result<SeriesRows> missing = db.value()->OpenSeries("select date_time, value from no_such_table;");
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().find("no_such_table"), std::string::npos) << missing.error();
}

// Statements sent ahead read as each statement read alone on a connection of its own: asked
// for out of order, with record sets (one sent ahead of them), an unexpected statement and
// a fault between them,
// and more of them than are sent at a time. A fault stays with its own statement.
TEST_F(PostgresOnly, SeriesSentAheadReadAsEachAloneInWhateverOrderTheyAreAskedFor) {
    Result<std::unique_ptr<Database>> ahead = OpenConnection(backend_.ConnectionString(), "/");
    Result<std::unique_ptr<Database>> alone = OpenConnection(backend_.ConnectionString(), "/");
    ASSERT_TRUE(ahead.ok() && alone.ok()) << (ahead.ok() ? alone.error() : ahead.error());
    auto rowsOf = [](int n) {
        return "select timestamp '2020-03-01' + g * interval '5 minutes' as date_time, g * 0.25::float8 + " +
               std::to_string(n) + " as value from generate_series(0, " + std::to_string(100 + n) + ") g;";
    };
    const std::string failing = "select date_time, value from no_such_table;";
    const std::string numeric = "select timestamp '2020-03-01 01:00' as d, 1.5::numeric as v;";
    std::vector<std::string> expected;
    for (int n = 0; n < 30; ++n) expected.push_back(n == 3 ? failing : rowsOf(n));
    expected.push_back(numeric);
    // A record set sent ahead of the series, asked for after some of them.
    const std::string answer = "select 41 + 1 as answer;";
    ahead.value()->ExpectRecordset(answer);
    ahead.value()->ExpectSeries(expected);

    auto same = [&](const std::string& statement) {
        Result<SeriesRows> a = ahead.value()->OpenSeries(statement);
        Result<SeriesRows> b = alone.value()->OpenSeries(statement);
        ASSERT_EQ(a.ok(), b.ok()) << statement;
        if (!a.ok()) {
            EXPECT_EQ(a.error(), b.error());
            return;
        }
        EXPECT_EQ(Readings(std::move(a.value())), Readings(std::move(b.value()))) << statement;
    };
    same(rowsOf(2));
    for (const std::string& recordset : {answer, std::string("select 'not sent ahead' as unexpected;")}) {
        Result<Recordset> between = ahead.value()->OpenRecordset(recordset);
        Result<Recordset> same = alone.value()->OpenRecordset(recordset);
        ASSERT_TRUE(between.ok() && same.ok()) << recordset;
        EXPECT_EQ(between->Text(0).value_or("?"), same->Text(0).value_or("!"));
    }
    same(rowsOf(0));
    same(failing);
    same(rowsOf(77));
    same(rowsOf(1));
    for (int n = 4; n < 30; ++n) same(rowsOf(n));
    same(numeric);
    same(rowsOf(5));
}

}  // namespace
}  // namespace tidemark
