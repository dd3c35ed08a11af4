#include "storage/db/dialect.h"

#include <gtest/gtest.h>

#include "core/vbtext.h"

namespace tidemark {
namespace {

// The hourly statement with the daily max/min addition, exactly as the data layer
// builds it for series 1234 and the window 1 to 8 March 2020.
const std::string kHourlyMaxMin =
    "select date_time, value from rhour where datatype_site_id = 1234 and date_time between "
    "#01-Mar-2020# and #08-Mar-2020# order by date_time;"
    "union select date_time, value from rdaymax where datatype_site_id = 1234 and date_time "
    "between #01-Mar-2020# and #08-Mar-2020# order by date_time;"
    "union select date_time, value from rdaymin where datatype_site_id = 1234 and date_time "
    "between #01-Mar-2020# and #08-Mar-2020# order by date_time;";

// What a date range over a text column becomes on SQLite when it has a time of day: a
// day-wide text range that the key can narrow, and the comparison of instants.
std::string SqliteRange(const std::string& column, const std::string& firstDay, const std::string& dayAfter,
                        const std::string& from, const std::string& to) {
    return "(" + column + " >= '" + firstDay + "' and " + column + " < '" + dayAfter + "' and (" + column +
           " between '" + from + "' and '" + to + "' or julianday(" + column + ") between julianday('" + from +
           "') and julianday('" + to + "')))";
}

// From midnight to midnight: text bounds alone, so that the key serves the whole range.
std::string SqliteDayRange(const std::string& column, const std::string& firstDay, const std::string& lastDay) {
    return "(" + column + " >= '" + firstDay + "' and " + column + " <= '" + lastDay + "T00:00:00.000000000' and (" +
           column + " <= '" + lastDay + " 00:00:00.000000000' or " + column + " >= '" + lastDay + "T'))";
}

TEST(Dialect, SqliteMergesTheUnionAndWritesIsoText) {
    const std::string range = SqliteDayRange("date_time", "2020-03-01", "2020-03-08");
    const std::string expected = "select date_time, value from rhour where datatype_site_id = 1234 and " + range +
                                 " union select date_time, value from rdaymax where datatype_site_id = 1234 and " +
                                 range +
                                 " union select date_time, value from rdaymin where datatype_site_id = 1234 and " +
                                 range + " order by date_time;";
    EXPECT_EQ(SqliteDialect(kHourlyMaxMin), expected);
    // Non-Jet providers send the dates between quotes; the result is the same.
    EXPECT_EQ(SqliteDialect(ReplaceAll(kHourlyMaxMin, "#", "'")), expected);
}

TEST(Dialect, PostgresUsesTimestampsAndPlainTableNames) {
    std::string sheets = ReplaceAll(
        ReplaceAll(ReplaceAll(kHourlyMaxMin, "from rhour", "from [rhour$]"), "from rdaymax", "from [rdaymax$]"),
        "from rdaymin", "from [rdaymin$]");
    std::string out = PostgresDialect(ReplaceAll(sheets, "#", "'"));
    EXPECT_EQ(out.find('['), std::string::npos) << out;
    EXPECT_NE(out.find("from rhour where"), std::string::npos) << out;
    EXPECT_NE(out.find("between TIMESTAMP '2020-03-01 00:00:00' and TIMESTAMP '2020-03-08 00:00:00' union select"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.substr(out.size() - 20), " order by date_time;");
    EXPECT_EQ(out.find("order by"), out.rfind("order by")) << "one final ORDER BY only: " << out;
}

TEST(Dialect, SingleStatementsKeepTheirShapeAndTimesAreKept) {
    std::string trace =
        "SELECT date_time, value FROM mhour WHERE trace= 2 AND run_id=65 AND datatype_site_id=1234 AND date_time "
        "BETWEEN '05-Mar-2020 06:00' AND '10-Mar-2020' ORDER BY date_time;";
    EXPECT_EQ(SqliteDialect(trace),
              "SELECT date_time, value FROM mhour WHERE trace= 2 AND run_id=65 AND datatype_site_id=1234 AND " +
                  SqliteRange("date_time", "2020-03-05", "2020-03-11", "2020-03-05 06:00:00", "2020-03-10 00:00:00") +
                  " ORDER BY date_time;");
    EXPECT_EQ(SqliteDialect("select * from rupdate where datatype_site_id=0;"),
              "select * from rupdate where datatype_site_id=0;");
    EXPECT_EQ(SqliteDialect("select * from [rsite$] order by site_name;"), "select * from [rsite] order by site_name;");
}

// A series statement over whole days is run on SQLite as its two key ranges, in order;
// statements whose rows would not be the two halves' rows one after the other are not.
TEST(Dialect, SqliteSplitsAWindowOfWholeDaysOnlyWhereItsHalvesMakeTheSameRows) {
    const std::string series =
        "select date_time, value from [rhour$] where datatype_site_id = 1234 and date_time between #01-Mar-2020# "
        "and #08-Mar-2020# order by date_time;";
    std::optional<SqliteKeyRanges> halves = SplitSqliteWindow(series);
    ASSERT_TRUE(halves);
    EXPECT_EQ(halves->table, "rhour");
    EXPECT_EQ(halves->column, "date_time");
    const std::string head = "select date_time, value from [rhour] where datatype_site_id = 1234 and ";
    EXPECT_EQ(
        halves->first,
        head + "(date_time >= '2020-03-01' and date_time <= '2020-03-08 00:00:00.000000000') order by date_time;");
    EXPECT_EQ(halves->second, head +
                                  "(date_time >= '2020-03-08T' and date_time <= '2020-03-08T00:00:00.000000000') "
                                  "order by date_time;");
    EXPECT_TRUE(
        SplitSqliteWindow("SELECT r.date_time,r.value FROM rday r WHERE r.date_time BETWEEN '01-Mar-2020' "
                          "AND '08-Mar-2020' AND r.datatype_site_id = 5\nORDER BY r.date_time ASC"));

    const char* const unsplit[] = {
        // a day's time, another order, a second window
        "select date_time, value from rhour where date_time between #01-Mar-2020 06:00# and #08-Mar-2020# "
        "order by date_time",
        "select date_time, value from rhour where date_time between #01-Mar-2020# and #08-Mar-2020# order by value",
        "select date_time, value from rhour where date_time between #01-Mar-2020# and #08-Mar-2020# "
        "order by date_time desc",
        "select date_time, value from rhour where date_time between #01-Mar-2020# and #08-Mar-2020# and "
        "value between 1 and 2 order by date_time",
        // aggregates, groups, limits, duplicates, other tables, alternatives
        "select count(*) from rhour where date_time between #01-Mar-2020# and #08-Mar-2020# order by date_time",
        "select date_time, value from rhour where date_time between #01-Mar-2020# and #08-Mar-2020# "
        "group by date_time order by date_time",
        "select date_time, value from rhour where date_time between #01-Mar-2020# and #08-Mar-2020# "
        "order by date_time limit 5",
        "select distinct date_time, value from rhour where date_time between #01-Mar-2020# and #08-Mar-2020# "
        "order by date_time",
        "select date_time, value from rhour, rsite where date_time between #01-Mar-2020# and #08-Mar-2020# "
        "order by date_time",
        "select date_time, value from rhour where value > 3 or date_time between #01-Mar-2020# and #08-Mar-2020# "
        "order by date_time",
        "select date_time, value from rhour where not date_time between #01-Mar-2020# and #08-Mar-2020# "
        "order by date_time",
        "select date_time, value from rhour where date_time between #01-Mar-2020# and #08-Mar-2020# is null "
        "order by date_time",
        // the union of the hourly values with the daily maxima and minima
        kHourlyMaxMin.c_str(),
    };
    for (const char* statement : unsplit) EXPECT_FALSE(SplitSqliteWindow(statement)) << statement;
}

TEST(Dialect, OnlyDateLiteralsAreRewritten) {
    // A range that leaves its dates out stays as it is written.
    EXPECT_EQ(SqliteDialect("select 1 where d not between #01-Mar-2020# and #08-Mar-2020#"),
              "select 1 where d not between '2020-03-01 00:00:00' and '2020-03-08 00:00:00'");
    // Text that merely contains dates, "#" or quotes stays as it is.
    const std::string text =
        "select * from rsite where site_name = 'O''Brien #01-Mar-2020# bridge' or site_name = '01-Mar-2020 x' "
        "or site_name = \"#02-Mar-2020#\" or datatype_id = 3 # 4";
    EXPECT_EQ(SqliteDialect(text), text);
    EXPECT_EQ(PostgresDialect("select 1 where x = '31-Feb-2020'"), "select 1 where x = '31-Feb-2020'");
    EXPECT_EQ(SqliteDialect("select 1 where d > #29-Feb-2020 23:59#"), "select 1 where d > '2020-02-29 23:59:00'");
}

TEST(Dialect, OdbcFollowsTheDatabaseSystemBehindTheDriver) {
    const std::string statement = "select * from [rhour$] where date_time between #01-Mar-2020# and #08-Mar-2020#";
    EXPECT_EQ(OdbcDialect(statement, "SQLite"), SqliteDialect(statement));
    EXPECT_EQ(OdbcDialect(statement, "PostgreSQL"), PostgresDialect(statement));
    // MariaDB and MySQL (as their drivers name them) read the escape form, but no
    // brackets, and take "name" as a string: odd sheet names are quoted with backquotes.
    for (const char* dbms : {"MariaDB", "MySQL"})
        EXPECT_EQ(OdbcDialect(statement + " union select * from [Lake level$] union select * from [a`b$]", dbms),
                  "select * from rhour where date_time between {ts '2020-03-01 00:00:00'} and "
                  "{ts '2020-03-08 00:00:00'} union select * from `Lake level` union select * from `a``b`")
            << dbms;
    // Any other system gets the ODBC escape form, which every driver translates, and
    // keeps the brackets (Access, Excel and SQL Server sources read them).
    EXPECT_EQ(OdbcDialect(statement, "MDBTOOLS"),
              "select * from [rhour$] where date_time between {ts '2020-03-01 00:00:00'} and "
              "{ts '2020-03-08 00:00:00'}");
}

TEST(Dialect, CommandCountAndReadingStatements) {
    EXPECT_FALSE(HasSeveralStatements("select 1;"));
    EXPECT_FALSE(HasSeveralStatements("select ';' from rsite;  \r\n"));
    EXPECT_TRUE(HasSeveralStatements("select 1; delete from rsite"));
    EXPECT_TRUE(HasSeveralStatements(kHourlyMaxMin));
    EXPECT_FALSE(HasSeveralStatements(SqliteDialect(kHourlyMaxMin)));

    EXPECT_TRUE(IsReadingStatement("  SELECT 1"));
    EXPECT_TRUE(IsReadingStatement("(select 1) union (select 2)"));
    EXPECT_TRUE(IsReadingStatement("with t as (select 1) select * from t"));
    EXPECT_FALSE(IsReadingStatement("insert into rsite values (1)"));
    EXPECT_FALSE(IsReadingStatement("selectx"));
    EXPECT_FALSE(IsReadingStatement(""));
}

}  // namespace
}  // namespace tidemark
