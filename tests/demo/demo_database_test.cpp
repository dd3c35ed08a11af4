#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>

#include "core/daynum.h"
#include "demo_support.h"

using namespace demo_test;

namespace {

class DemoDatabase : public ::testing::Test {
protected:
    static void SetUpTestSuite() { folder_ = std::make_unique<GeneratedFolder>(); }
    static void TearDownTestSuite() { folder_.reset(); }
    void SetUp() override {
        ASSERT_EQ(folder_->run.status, 0) << folder_->run.err;
        db_ = std::make_unique<Db>(folder_->Database());
    }
    static std::unique_ptr<GeneratedFolder> folder_;
    std::unique_ptr<Db> db_;
};
std::unique_ptr<GeneratedFolder> DemoDatabase::folder_;

double Day(const std::string& text) {
    auto d = tidemark::ParseIsoDateTime(text);
    if (!d) throw std::runtime_error("not a date-time: " + text);
    return *d;
}

long long MinutesBetween(const std::string& a, const std::string& b) {
    return std::llround((Day(b) - Day(a)) * 1440.0);
}

}  // namespace

TEST_F(DemoDatabase, HasExactlyTheSchemaFile) {
    // The same objects, with the same definitions, as a database built from the file.
    auto schema = tidemark::ReadFileBytes(std::string(TIDEMARK_SOURCE_DIR) + "/db/schema.sql");
    ASSERT_TRUE(schema);
    sqlite3* fresh = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &fresh), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(fresh, schema->c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    std::vector<std::string> expected;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(fresh, "select type || ' ' || name || ' ' || sql from sqlite_master order by name", -1, &st,
                       nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        expected.push_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(fresh);

    std::vector<std::string> actual;
    for (auto& row : db_->Query("select type || ' ' || name || ' ' || sql from sqlite_master order by name"))
        actual.push_back(row[0]);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(db_->Scalar("pragma integrity_check"), "ok");
}

TEST_F(DemoDatabase, CatalogueOffersTheSeriesKindsTheGraphsNeed) {
    int count = std::stoi(db_->Scalar("select count(*) from rsite"));
    EXPECT_GE(count, 18);
    EXPECT_LE(count, 24);
    EXPECT_GE(std::stoi(db_->Scalar("select count(*) from rsite where datatype_id = 10 and unit_name = 'inches'")), 3);
    EXPECT_EQ(db_->Scalar("select count(*) from rsite where datatype_id = 27"), "1");
    EXPECT_EQ(db_->Scalar("select count(*) from rsite where unit_name = 'direction'"), "1");
    EXPECT_GE(std::stoi(db_->Scalar("select count(*) from rsite where unit_name = 'ft'")), 3);
    EXPECT_GE(std::stoi(db_->Scalar("select count(*) from rsite where unit_name = 'cfs'")), 2);
    // Names are copied into the setup file, whose fields ";" separates.
    EXPECT_EQ(db_->Scalar("select count(*) from rsite where site_name like '%;%'"), "0");
    // Every series has unit, hourly and daily rows.
    EXPECT_EQ(
        db_->Scalar("select count(*) from rsite where datatype_site_id not in (select datatype_site_id from runit)"
                    " or datatype_site_id not in (select datatype_site_id from rhour)"
                    " or datatype_site_id not in (select datatype_site_id from rday)"),
        "0");
}

// Gauges report up to the demo's now, as the caption's update time says; only the
// official forecast (and the model runs) look ahead.
TEST_F(DemoDatabase, UnitValuesAreFiveMinutesApartOverSixtyDaysAndOnlyTheForecastLooksAhead) {
    std::map<std::string, std::pair<std::string, std::string>> spans;
    std::string lastId, lastTime;
    long long badSteps = 0;
    for (auto& row : db_->Query("select datatype_site_id, date_time from runit order by 1, 2")) {
        if (row[0] == lastId && MinutesBetween(lastTime, row[1]) != 5) ++badSteps;
        if (row[0] != lastId) spans[row[0]].first = row[1];
        spans[row[0]].second = row[1];
        lastId = row[0];
        lastTime = row[1];
    }
    EXPECT_EQ(badSteps, 0);
    // 60 days ending today: from midnight on 2 January (2024 is a leap year).
    const std::string first = "2024-01-02 00:00:00";
    const std::string forecast = db_->Scalar("select datatype_site_id from rsite where datatype_name like 'Forecast%'");
    int endsNow = 0;
    for (auto& [id, span] : spans) {
        if (span.first == first && span.second == kNowStored) ++endsNow;
        EXPECT_LE(span.second, id == forecast ? std::string("2024-03-03 07:25:00") : std::string(kNowStored)) << id;
    }
    EXPECT_GE(endsNow, 15);  // every gauge that reports
    EXPECT_EQ(spans.at(forecast).second, "2024-03-03 07:25:00");
    for (const char* table : {"rhour", "rday", "rdaymax", "rdaymin"})
        EXPECT_EQ(db_->Scalar(std::string("select count(*) from ") + table + " where date_time > '" + kNowStored +
                              "' and datatype_site_id <> " + forecast),
                  "0")
            << table;
    EXPECT_GT(std::stoll(db_->Scalar("select count(*) from mhour where date_time > '" + std::string(kNowStored) + "'")),
              0);
    EXPECT_EQ(db_->Scalar("select count(*) from runit where date_time not like '____-__-__ __:__:00'"), "0");
}

TEST_F(DemoDatabase, UpdateStampIsNow) {
    EXPECT_EQ(db_->Scalar("select date_time from rupdate where datatype_site_id = 0"), kNowStored);
    EXPECT_EQ(db_->Scalar("select count(*) from rupdate where datatype_site_id = 0"), "1");
}

TEST_F(DemoDatabase, HourlyAndDailyValuesAgreeWithUnitValues) {
    // Rain totals, other series means; hours and days stamped at their start.
    auto check = [&](const std::string& table, int periodChars, const std::string& suffix) {
        const std::string key = "substr(date_time, 1, " + std::to_string(periodChars) + ")";
        std::string sql =
            "select a.datatype_site_id, a.date_time, a.value, s.datatype_id, s.unit_name, g.total, g.mean"
            " from " +
            table +
            " a join rsite s using (datatype_site_id)"
            " join (select datatype_site_id, " +
            key +
            " as period, sum(value) as total, avg(value) as mean"
            "       from runit group by 1, 2) g"
            "   on g.datatype_site_id = a.datatype_site_id and g.period = substr(a.date_time, 1, " +
            std::to_string(periodChars) +
            ")"
            " where s.unit_name <> 'direction'";
        int checked = 0;
        for (auto& r : db_->Query(sql)) {
            ASSERT_EQ(r[1].substr(static_cast<size_t>(periodChars)), suffix) << table << " " << r[0];
            bool depth = r[3] == "10" || r[3] == "27";
            double expected = std::stod(depth ? r[5] : r[6]);
            // Stored values are rounded: whole percent, tenths of degrees, three
            // significant digits of flow.
            double tolerance = r[4] == "%" ? 0.51 : std::max(0.06, std::fabs(expected) * 0.006);
            ASSERT_NEAR(std::stod(r[2]), expected, tolerance) << table << " " << r[0] << " " << r[1];
            ++checked;
        }
        EXPECT_GT(checked, 100) << table;
    };
    check("rhour", 13, ":00:00");
    check("rday", 10, " 00:00:00");
}

TEST_F(DemoDatabase, DailyExtremesBracketTheDay) {
    auto rows = db_->Query(
        "select x.datatype_site_id, x.date_time, x.value, n.value, g.high, u.value"
        " from rdaymax x join rdaymin n on n.datatype_site_id = x.datatype_site_id"
        "   and substr(n.date_time, 1, 10) = substr(x.date_time, 1, 10)"
        " join (select datatype_site_id, substr(date_time, 1, 10) as day, max(value) as high from runit"
        "       group by 1, 2) g on g.datatype_site_id = x.datatype_site_id and g.day = substr(x.date_time, 1, 10)"
        " left join runit u on u.datatype_site_id = x.datatype_site_id and u.date_time = x.date_time");
    ASSERT_GT(rows.size(), 100u);
    for (auto& r : rows) {
        EXPECT_GE(std::stod(r[2]), std::stod(r[3])) << r[0] << " " << r[1];
        // Stamped at the unit value where it occurred, which is the day's highest.
        EXPECT_EQ(r[2], r[4]) << r[0] << " " << r[1];
        EXPECT_EQ(r[2], r[5]) << r[0] << " " << r[1];
        EXPECT_LE(r[1], std::string(kNowStored));
    }
    EXPECT_EQ(db_->Scalar("select count(*) from rdaymax where datatype_site_id in"
                          " (select datatype_site_id from rsite where unit_name = 'deg F')"),
              db_->Scalar("select count(*) from rdaymin where datatype_site_id in"
                          " (select datatype_site_id from rsite where unit_name = 'deg F')"));
}

TEST_F(DemoDatabase, ValuesStayInPhysicalRanges) {
    for (const char* table : {"runit", "rhour", "rday"}) {
        std::string t = table;
        EXPECT_EQ(db_->Scalar("select count(*) from " + t +
                              " join rsite using (datatype_site_id)"
                              " where datatype_id in (10, 27) and value < 0"),
                  "0")
            << t;
        EXPECT_EQ(db_->Scalar("select count(*) from " + t +
                              " join rsite using (datatype_site_id)"
                              " where unit_name = 'direction' and (value < 0 or value > 4)"),
                  "0")
            << t;
        EXPECT_EQ(db_->Scalar("select count(*) from " + t + " where value is null"), "0") << t;
    }
    // Gauges record whole 0.01-inch tips.
    EXPECT_EQ(db_->Scalar("select count(*) from runit join rsite using (datatype_site_id) where datatype_id = 10"
                          " and abs(value * 100 - round(value * 100)) > 1e-6"),
              "0");
    // It rains on some days and not on others, and some storm is a real one.
    double wettestDay = db_->Number(
        "select max(value) from rday where datatype_site_id ="
        " (select min(datatype_site_id) from rsite where datatype_id = 10)");
    EXPECT_GT(wettestDay, 1.0);
    EXPECT_GE(std::stoi(db_->Scalar("select count(*) from rday join rsite using (datatype_site_id)"
                                    " where datatype_id = 10 and value = 0")),
              60);
    EXPECT_EQ(db_->Scalar("select count(*) from runit join rsite using (datatype_site_id)"
                          " where unit_name = 'ft' and (value < 0 or value > 2000)"),
              "0");
    EXPECT_EQ(db_->Scalar("select count(*) from runit join rsite using (datatype_site_id)"
                          " where unit_name = 'deg F' and (value < -40 or value > 120)"),
              "0");
}

TEST_F(DemoDatabase, ModelRunsAreNumberedByDayOfYearAndHoldTraces) {
    auto runs = db_->Query("select run_id, trace, value_name, datatype_site_id from mrundsid order by 1, 4, 2");
    ASSERT_GE(runs.size(), 6u);
    std::set<std::string> runIds, traces;
    for (auto& r : runs) {
        double runTime = Day(r[2]);
        EXPECT_EQ(std::stoi(r[0]), tidemark::DayOfYear(runTime)) << r[2];
        EXPECT_LE(r[2], std::string(kNowStored));
        EXPECT_GE(runTime, Day(kNowStored) - 6);
        runIds.insert(r[0]);
        traces.insert(r[1]);
        for (const char* table : {"mhour", "munit"}) {
            std::string where = " where run_id = " + r[0] + " and trace = " + r[1] + " and datatype_site_id = " + r[3];
            EXPECT_GT(std::stoi(db_->Scalar(std::string("select count(*) from ") + table + where)), 24) << table;
            EXPECT_GT(db_->Scalar(std::string("select max(date_time) from ") + table + where), r[2]) << table;
        }
        EXPECT_EQ(db_->Scalar("select count(*) from rsite where datatype_site_id = " + r[3]), "1");
    }
    EXPECT_GE(runIds.size(), 3u);
    EXPECT_GE(traces.size(), 2u);
    // Today's 06:00 run (day 61 of 2024) is the newest.
    EXPECT_EQ(*runIds.rbegin(), "61");
}
