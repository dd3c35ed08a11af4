#pragma once
// Cases every database backend must pass, written once and instantiated per engine
// (SQLite and ODBC-on-SQLite in the unit tests, PostgreSQL and MariaDB through ODBC in
// the integration tests).
// Include in exactly one .cpp of a test program.
//
// The statements are built the way the data layer builds them: dates formatted
// "dd-mmm-yyyy" between "#", then "#" turned into "'" for providers that are not Jet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/daynum.h"
#include "core/vbtext.h"
#include "storage/db/database.h"

namespace tidemark {

// A database holding the schema, which the test can fill and the program then reads.
class TestBackend {
public:
    virtual ~TestBackend() = default;
    virtual std::string SetUpError() const = 0;  // empty when ready
    virtual std::string ConnectionString() const = 0;
    virtual std::string ProgramFolder() const = 0;
    virtual bool Fill(const std::string& sql, std::string* error) = 0;
    virtual std::string EngineName() const = 0;
    // A statement that passes for a read (it starts with WITH) but writes one rhour row
    // for series 77: only the engine's own read-only setting can stop it.
    virtual std::string DisguisedWrite() const = 0;
    // False where date-times are kept to the second only (.xls workbooks read through
    // FreeXL, which hands dates over as text without fractions).
    virtual bool KeepsFractionsOfSeconds() const { return true; }
};

struct BackendParam {
    const char* name;
    std::unique_ptr<TestBackend> (*make)();
};

inline std::string DayText(double day) {
    CivilTime t = ToCivil(day);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    return buffer;
}

inline std::string Dmy(double day) { return FormatDate(day, "dd-mmm-yyyy"); }
inline std::string QuoteDates(const std::string& statement) { return ReplaceAll(statement, "#", "'"); }

inline std::string ValueStatement(const std::string& prefix, const std::string& table, int dsid, double start,
                                  double end, const std::string& order = "date_time") {
    return prefix + "select date_time, value from " + table + " where datatype_site_id = " + std::to_string(dsid) +
           " and date_time between #" + Dmy(start) + "# " + "and #" + Dmy(end) + "# order by " + order + ";";
}

// As the data layer ends it: the union's last ORDER BY puts rows of one instant by value
// (a union's own order differs between engines: MariaDB leaves them as the tables came).
inline std::string HourlyWithMaxMin(int dsid, double start, double end) {
    return ValueStatement("", "rhour", dsid, start, end) + ValueStatement("union ", "rdaymax", dsid, start, end) +
           ValueStatement("union ", "rdaymin", dsid, start, end, "date_time, value");
}

class BackendTest : public ::testing::TestWithParam<BackendParam> {
protected:
    void SetUp() override {
        backend_ = GetParam().make();
        std::string error = backend_->SetUpError();
        ASSERT_TRUE(error.empty()) << error;
    }

    void Fill(const std::string& sql) {
        std::string error;
        ASSERT_TRUE(backend_->Fill(sql, &error)) << error;
    }

    std::unique_ptr<Database> Open() {
        Result<std::unique_ptr<Database>> db = OpenConnection(backend_->ConnectionString(), backend_->ProgramFolder());
        EXPECT_TRUE(db.ok()) << db.error();
        return db ? std::move(db.value()) : nullptr;
    }

    // Rows read the way the series fetch reads them: field 1 as a date-time, field 2 as
    // a number, "date value" per row. The engines run series statements their own way,
    // so the rows are read both as a series and as a record set, and must be the same.
    std::vector<std::string> Series(const std::string& statement, long* recordCount = nullptr) {
        std::unique_ptr<Database> db = Open();
        if (!db) return {};
        Result<Recordset> rs = db->OpenRecordset(statement);
        EXPECT_TRUE(rs.ok()) << rs.error() << "\n" << db->AdaptStatement(statement);
        Result<SeriesRows> series = db->OpenSeries(statement);
        EXPECT_TRUE(series.ok()) << series.error() << "\n" << db->AdaptStatement(statement);
        if (!rs || !series) return {};
        if (recordCount) *recordCount = rs->RecordCount();
        EXPECT_EQ(series->RecordCount(), rs->RecordCount());
        std::vector<std::string> rows = ReadRows(rs.value()), seriesRows = ReadRows(series.value());
        EXPECT_EQ(seriesRows, rows) << "read as a series";
        return rows;
    }

    template <typename Rows>
    static std::vector<std::string> ReadRows(Rows& rs) {
        std::vector<std::string> rows;
        for (; !rs.Eof(); rs.MoveNext()) {
            Result<double> day = rs.DayNumber(0);
            Result<double> value = rs.Number(1);
            EXPECT_TRUE(day.ok()) << day.error();
            EXPECT_TRUE(value.ok()) << value.error();
            if (day && value) rows.push_back(DayText(day.value()) + " " + CStr(value.value()));
        }
        return rows;
    }

    std::unique_ptr<TestBackend> backend_;
    const double start_ = MakeDayNumber(2020, 3, 1);
    const double end_ = MakeDayNumber(2020, 3, 8);
};

inline void PrintTo(const BackendParam& param, std::ostream* os) { *os << param.name; }

inline std::string BackendName(const ::testing::TestParamInfo<BackendParam>& info) { return info.param.name; }

// Rows on both sides of each edge of the window 1 to 8 March 2020: the window includes
// midnight of its first day, 23:59 of its last full day and midnight of its end date.
inline const char* kEdgeRows =
    "insert into rhour values (1234, '2020-02-29 23:59:00', 1);"
    "insert into rhour values (1234, '2020-03-01 00:00:00', 2);"
    "insert into rhour values (1234, '2020-03-04 12:00:00', 3.25);"
    "insert into rhour values (1234, '2020-03-07 23:59:00', 4);"
    "insert into rhour values (1234, '2020-03-08 00:00:00', 5);"
    "insert into rhour values (1234, '2020-03-08 00:01:00', 6);"
    "insert into rhour values (999, '2020-03-04 12:00:00', 7);";

TEST_P(BackendTest, HourlyWindowIncludesBothMidnightsAndLastMinute) {
    Fill(kEdgeRows);
    const std::vector<std::string> expected = {"2020-03-01 00:00 2", "2020-03-04 12:00 3.25", "2020-03-07 23:59 4",
                                               "2020-03-08 00:00 5"};
    std::string statement = ValueStatement("", "rhour", 1234, start_, end_);
    long count = -1;
    EXPECT_EQ(Series(QuoteDates(statement), &count), expected);
    EXPECT_EQ(count, 4);
    // Jet's own form (dates between "#") reaches the same rows.
    EXPECT_EQ(Series(statement), expected);
    // As do workbook sheet names.
    EXPECT_EQ(Series(QuoteDates(ReplaceAll(statement, "rhour", "[rhour$]"))), expected);
}

// The same edges written in the other forms stored date-times come in: a "T" between date
// and time, fractional seconds, no seconds. Each falls on the side its instant is on.
TEST_P(BackendTest, EveryStoredFormOfAnInstantFallsOnTheSameSideOfTheWindow) {
    Fill(
        "insert into rhour values (1234, '2020-02-29T23:59:59.999', 1);"
        "insert into rhour values (1234, '2020-03-01T00:00:00', 2);"
        "insert into rhour values (1234, '2020-03-04 12:00', 3);"
        "insert into rhour values (1234, '2020-03-08T00:00:00.000', 4);"
        "insert into rhour values (1234, '2020-03-08 00:00:00.500', 5);"
        "insert into rhour values (1234, '2020-03-08T00:01', 6);");
    std::vector<std::string> expected = {"2020-03-01 00:00 2", "2020-03-04 12:00 3", "2020-03-08 00:00 4"};
    std::vector<std::string> got = Series(QuoteDates(ValueStatement("", "rhour", 1234, start_, end_)));
    // Cut to the second, half a second past the end is the end itself (and ties at one
    // instant come in no set order).
    if (!backend_->KeepsFractionsOfSeconds()) {
        expected = {"2020-03-01 00:00 2", "2020-03-04 12:00 3", "2020-03-08 00:00 4", "2020-03-08 00:00 5"};
        std::sort(got.begin(), got.end());
    }
    EXPECT_EQ(got, expected);
}

// Of the window's last day only its midnight is in, whichever form it is stored in (a
// date alone, no seconds, a "T", zeros after the point), and nothing a moment after it is,
// though a text comparison puts some of those forms on the other side of each other.
TEST_P(BackendTest, OfTheLastDayOnlyMidnightIsInWhateverItsForm) {
    struct Form {
        const char* text;
        bool in;
    };
    const Form forms[] = {{"2020-03-01", true},
                          {"2020-03-01 00:00", true},
                          {"2020-03-08", true},
                          {"2020-03-08 00:00", true},
                          {"2020-03-08T00:00", true},
                          {"2020-03-08 00:00:00.000000", true},
                          {"2020-03-08T00:00:00.000000", true},
                          {"2020-03-08 00:00:01", false},
                          {"2020-03-08T00:00:01", false},
                          {"2020-03-08 00:00:00.001", false},
                          {"2020-03-08T00:00:00.001", false},
                          {"2020-03-08 12:00", false},
                          {"2020-02-29T23:59:59", false}};
    // One series a form: at one instant two forms are one key on an engine of timestamps.
    std::string rows;
    for (size_t k = 0; k < std::size(forms); ++k)
        rows += "insert into rhour values (" + std::to_string(100 + k) + ", '" + forms[k].text + "', 1);";
    Fill(rows);
    for (size_t k = 0; k < std::size(forms); ++k) {
        // Cut to the second, a thousandth past midnight is midnight.
        bool in = forms[k].in || (!backend_->KeepsFractionsOfSeconds() && Contains(forms[k].text, ".001"));
        std::vector<std::string> got =
            Series(QuoteDates(ValueStatement("", "rhour", static_cast<int>(100 + k), start_, end_)));
        EXPECT_EQ(got.size(), in ? 1u : 0u) << forms[k].text;
    }
}

TEST_P(BackendTest, DailyMaxMinArriveMergedInDateOrder) {
    Fill(
        "insert into rhour values (1234, '2020-03-01 01:00:00', 1);"
        "insert into rhour values (1234, '2020-03-02 05:00:00', 2);"
        "insert into rhour values (1234, '2020-03-08 00:00:00', 3);"
        "insert into rdaymax values (1234, '2020-03-01 00:00:00', 10);"
        "insert into rdaymax values (1234, '2020-03-02 00:00:00', 20);"
        "insert into rdaymax values (1234, '2020-03-09 00:00:00', 99);"
        "insert into rdaymin values (1234, '2020-02-29 00:00:00', -99);"
        "insert into rdaymin values (1234, '2020-03-02 00:00:00', -2);"
        "insert into rdaymin values (1234, '2020-03-03 00:00:00', -3);");
    long count = -1;
    std::vector<std::string> rows = Series(QuoteDates(HourlyWithMaxMin(1234, start_, end_)), &count);
    EXPECT_EQ(count, 7);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));  // "YYYY-MM-DD hh:mm" sorts by time
    std::vector<std::string> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"2020-03-01 00:00 10", "2020-03-01 01:00 1", "2020-03-02 00:00 -2",
                                                "2020-03-02 00:00 20", "2020-03-02 05:00 2", "2020-03-03 00:00 -3",
                                                "2020-03-08 00:00 3"}));
}

TEST_P(BackendTest, DailyValuesEndTheDayBeforeTheWindowEnd) {
    Fill(
        "insert into rday values (1234, '2020-02-29 00:00:00', 1);"
        "insert into rday values (1234, '2020-03-01 00:00:00', 2);"
        "insert into rday values (1234, '2020-03-07 00:00:00', 3);"
        "insert into rday values (1234, '2020-03-08 00:00:00', 4);");
    EXPECT_EQ(Series(QuoteDates(ValueStatement("", "rday", 1234, start_, end_ - 1))),
              (std::vector<std::string>{"2020-03-01 00:00 2", "2020-03-07 00:00 3"}));
}

TEST_P(BackendTest, UpdateStampIsTheThirdFieldOfRowZero) {
    Fill(
        "insert into rupdate values (5, 'logger', '2020-03-06 10:00:00');"
        "insert into rupdate values (0, 'loader', '2020-03-05 06:30:00');");
    std::unique_ptr<Database> db = Open();
    ASSERT_TRUE(db);
    Result<Recordset> rs = db->OpenRecordset(std::string("select * from rupdate where datatype_site_id=") + "0" + ";");
    ASSERT_TRUE(rs.ok()) << rs.error();
    EXPECT_EQ(rs->RecordCount(), 1);
    Result<double> stamp = rs->DayNumber(2);
    ASSERT_TRUE(stamp.ok()) << stamp.error();
    EXPECT_EQ(DayText(stamp.value()), "2020-03-05 06:30");
}

TEST_P(BackendTest, ModelRunListAndTraceFromTheRunTime) {
    Fill(
        "insert into mrundsid values (60, 1, '2020-02-29 06:00', 1234, 'a');"
        "insert into mrundsid values (65, 1, '2020-03-05 06:00', 1234, 'b');"
        "insert into mrundsid values (65, 2, '2020-03-05 06:00', 1234, 'c');"
        "insert into mrundsid values (70, 1, '2020-03-10 06:00', 1234, 'd');"
        "insert into mrundsid values (65, 3, '2020-03-05 06:00', 55, 'e');"
        "insert into mhour values (65, 2, 1234, '2020-03-05 05:00:00', 1);"
        "insert into mhour values (65, 2, 1234, '2020-03-05 06:00:00', 2);"
        "insert into mhour values (65, 2, 1234, '2020-03-08 00:00:00', 3);"
        "insert into mhour values (65, 2, 1234, '2020-03-08 01:00:00', 4);"
        "insert into mhour values (65, 1, 1234, '2020-03-06 00:00:00', 5);");
    std::unique_ptr<Database> db = Open();
    ASSERT_TRUE(db);
    // Runs numbered from the day of year of (start - 4 days) to that of the end.
    int lo = DayOfYear(start_ - 4), hi = DayOfYear(end_);
    Result<Recordset> runs = db->OpenRecordset(
        "SELECT run_id, trace, value_name, datatype_site_id, setup_string FROM mrundsid where datatype_site_id=" +
        std::to_string(1234) + " and run_id between " + std::to_string(lo) + " and " + std::to_string(hi) +
        " order by run_id desc, trace desc;");
    ASSERT_TRUE(runs.ok()) << runs.error();
    EXPECT_EQ(runs->RecordCount(), 3);
    EXPECT_EQ(runs->FieldName(2), "value_name");
    std::string run = runs->Text(0).value(), trace = runs->Text(1).value();
    EXPECT_EQ(run + "," + trace, "65,2");
    Result<double> runTime = runs->DayNumber(2);
    ASSERT_TRUE(runTime.ok()) << runTime.error();
    EXPECT_EQ(DayText(runTime.value()), "2020-03-05 06:00");

    std::string statement = "SELECT date_time, value FROM mhour WHERE trace= " + trace + " AND run_id=" + run +
                            " AND datatype_site_id=" + std::to_string(1234) + " AND date_time BETWEEN #" +
                            FormatDate(runTime.value(), "dd-mmm-yyyy hh:mm") + "# AND #" + Dmy(end_) +
                            "# ORDER BY date_time;";
    Result<Recordset> points = db->OpenRecordset(QuoteDates(statement));
    ASSERT_TRUE(points.ok()) << points.error() << "\n" << db->AdaptStatement(QuoteDates(statement));
    std::vector<std::string> rows;
    for (; !points->Eof(); points->MoveNext())
        rows.push_back(DayText(points->DayNumber(0).value()) + " " + CStr(points->Number(1).value()));
    EXPECT_EQ(rows, (std::vector<std::string>{"2020-03-05 06:00 2", "2020-03-08 00:00 3"}));
}

TEST_P(BackendTest, FieldsByPositionNullsAndText) {
    Fill(
        "insert into rsite values (1234, 'R\xC3\xADo Grande; upper', 10, 'Rain', 'mm', 7);"
        "insert into rsite values (1235, 'Zed', 27, 'ET', NULL, NULL);");
    std::unique_ptr<Database> db = Open();
    ASSERT_TRUE(db);
    Result<Recordset> rs = db->OpenRecordset(
        "select datatype_site_id, site_name, datatype_id, datatype_name, unit_name, station_id from rsite order by "
        "site_name;");
    ASSERT_TRUE(rs.ok()) << rs.error();
    ASSERT_EQ(rs->FieldCount(), 6);
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->Number(0).value(), 1234);
    EXPECT_EQ(rs->Text(1).value(), "R\xEDo Grande; upper");  // as Windows-1252 program text
    EXPECT_EQ(rs->Text(3).value(), "Rain");
    EXPECT_FALSE(rs->IsNull(4));
    // A name is not a date, and field 7 does not exist.
    EXPECT_NE(rs->DayNumber(1).error().find("not a date-time"), std::string::npos) << rs->DayNumber(1).error();
    EXPECT_NE(rs->Number(6).error().find("no field 7"), std::string::npos) << rs->Number(6).error();

    rs->MoveNext();
    EXPECT_TRUE(rs->IsNull(4));
    EXPECT_TRUE(rs->IsNull(5));
    Result<double> unit = rs->Number(5);
    EXPECT_FALSE(unit.ok());
    EXPECT_NE(unit.error().find("Null"), std::string::npos) << unit.error();
    EXPECT_NE(rs->Text(4).error().find("unit_name"), std::string::npos) << rs->Text(4).error();

    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_FALSE(rs->Number(0).ok());  // no current record
    rs->Close();
    EXPECT_FALSE(rs->IsOpen());
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_NE(rs->Number(0).error().find("closed"), std::string::npos);
}

TEST_P(BackendTest, EmptyResultHasNoRecords) {
    std::unique_ptr<Database> db = Open();
    ASSERT_TRUE(db);
    Result<Recordset> rs = db->OpenRecordset(QuoteDates(ValueStatement("", "runit", 1, start_, end_)));
    ASSERT_TRUE(rs.ok()) << rs.error();
    EXPECT_TRUE(rs->IsOpen());
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_EQ(rs->FieldCount(), 2);
}

TEST_P(BackendTest, ConnectionIsReadOnly) {
    std::unique_ptr<Database> db = Open();
    ASSERT_TRUE(db);
    EXPECT_EQ(db->EngineName(), backend_->EngineName());
    const std::string count = "select count(*) from rhour where datatype_site_id = 77;";

    Result<Recordset> plain = db->OpenRecordset("insert into rhour values (77, '2020-03-01 00:00:00', 1);");
    EXPECT_FALSE(plain.ok());
    EXPECT_FALSE(plain.error().empty());
    Result<Recordset> twoCommands =
        db->OpenRecordset("select 1; insert into rhour values (77, '2020-03-01 00:00:00', 1);");
    EXPECT_FALSE(twoCommands.ok());
    // Past the program's own checks, the engine itself refuses.
    Result<Recordset> disguised = db->OpenRecordset(backend_->DisguisedWrite());
    EXPECT_FALSE(disguised.ok());
    EXPECT_FALSE(disguised.error().empty());

    Result<Recordset> rows = db->OpenRecordset(count);
    ASSERT_TRUE(rows.ok()) << rows.error();
    EXPECT_EQ(rows->Number(0).value(), 0);
}

TEST_P(BackendTest, MissingTableGivesTheEnginesMessage) {
    std::unique_ptr<Database> db = Open();
    ASSERT_TRUE(db);
    Result<Recordset> rs = db->OpenRecordset(QuoteDates(ValueStatement("", "rhourx", 1, start_, end_)));
    ASSERT_FALSE(rs.ok());
    EXPECT_NE(rs.error().find("rhourx"), std::string::npos) << rs.error();
    // The connection stays usable after a failed statement.
    EXPECT_TRUE(db->OpenRecordset("select * from rsite;").ok());
    db->Close();
    EXPECT_FALSE(db->IsOpen());
    EXPECT_FALSE(db->OpenRecordset("select * from rsite;").ok());
    db->Close();  // twice is harmless
}

}  // namespace tidemark
