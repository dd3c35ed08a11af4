// Loads into real databases: what a file adds, replaces and leaves, the hourly and daily
// tables, the update stamp, and that a refused file leaves the database as it was.
#include "load/loader.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "core/textfile.h"
#include "load_support.h"
#include "support/pg_server.h"
#include "support/temp_folder.h"

namespace {

using namespace tidemark;
using namespace tidemark::load;
using namespace tidemark::load::testing;

// Every row of every table, as text, to compare a database before and after.
std::string Dump(const std::string& file) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::string out;
    for (const char* table : {"rsite", "runit", "rhour", "rday", "rdaymax", "rdaymin", "rupdate"}) {
        out += std::string("[") + table + "]\n";
        sqlite3_exec(
            db, (std::string("SELECT * FROM ") + table + " ORDER BY 1, 2, 3").c_str(),
            [](void* into, int n, char** values, char**) {
                for (int i = 0; i < n; ++i)
                    *static_cast<std::string*>(into) += std::string(values[i] ? values[i] : "-") + "|";
                *static_cast<std::string*>(into) += "\n";
                return 0;
            },
            &out, nullptr);
    }
    sqlite3_close(db);
    return out;
}

// Two days of 5-minute stage, 1.00 ft rising a hundredth an hour.
std::string StageCsv(int changedStep = -1, double changedValue = 0) {
    std::string text = "site,date_time,value,parameter,unit\n";
    for (int i = 0; i < 576; ++i) {
        double v = i == changedStep ? changedValue : 1.0 + (i / 12) * 0.01;
        text += "Creek," + StoredText(At(2024, 5, 1) + i * 300) + "," + std::to_string(v) + ",Stage,ft\n";
    }
    return text;
}

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.ok()); }

    Result<FileReport> Load(const std::string& name, const std::string& text, Seconds now, LoadOptions options = {}) {
        EXPECT_TRUE(WriteFileAtomic(folder_.File(name), text));
        Result<std::unique_ptr<LoadStore>> store = OpenSqliteStore(db_);
        EXPECT_TRUE(store) << store.error();
        return LoadFile(*store.value(), clock_, folder_.File(name), options, now);
    }

    testsupport::TempFolder folder_;
    std::string db_ = folder_.File("tidemark.db");
    ZoneClock clock_ = NewYork();
};

TEST_F(LoaderTest, LoadingTwiceChangesNothingAndARevisionReplaces) {
    auto first = Load("stage.csv", StageCsv(), At(2024, 5, 3, 8));
    ASSERT_TRUE(first) << first.error();
    ASSERT_EQ(first->series.size(), 1u);
    const SeriesReport& s = first->series[0];
    EXPECT_TRUE(s.added);
    EXPECT_EQ(s.series.dsid, 1001);  // an empty catalogue starts at 1001
    EXPECT_EQ(s.rowsAdded, 576);
    EXPECT_EQ(s.hourRows, 48);
    EXPECT_EQ(s.dayRows, 2);
    EXPECT_EQ(Scalar(db_, "SELECT site_name || '/' || datatype_name || '/' || unit_name FROM rsite"), "Creek/Stage/ft");
    EXPECT_EQ(Scalar(db_, "SELECT value FROM rhour WHERE date_time = '2024-05-01 05:00:00'"), "1.05");
    EXPECT_EQ(Scalar(db_, "SELECT count(*) FROM rdaymax"), "2");
    EXPECT_EQ(Scalar(db_, "SELECT date_time FROM rdaymax WHERE date_time < '2024-05-02'"), "2024-05-01 23:00:00");
    EXPECT_EQ(Scalar(db_, "SELECT date_time FROM rupdate WHERE datatype_site_id = 0"), "2024-05-03 08:00:00");

    const std::string before = Dump(db_);
    auto again = Load("stage.csv", StageCsv(), At(2024, 5, 3, 9));
    ASSERT_TRUE(again) << again.error();
    EXPECT_FALSE(again->changed);
    EXPECT_EQ(again->series[0].rowsUnchanged, 576);
    EXPECT_EQ(Dump(db_), before);  // not even the stamp moved

    // One value revised: it is replaced, its hour computed again, the stamp moves.
    auto revised = Load("revised.csv", StageCsv(60, 2.2), At(2024, 5, 3, 8));
    ASSERT_TRUE(revised) << revised.error();
    EXPECT_EQ(revised->series[0].rowsReplaced, 1);
    EXPECT_EQ(revised->series[0].rowsUnchanged, 575);
    EXPECT_EQ(Scalar(db_, "SELECT round(value, 4) FROM rhour WHERE date_time = '2024-05-01 05:00:00'"), "1.1458");
    EXPECT_EQ(Scalar(db_, "SELECT date_time || ' ' || value FROM rdaymax WHERE date_time < '2024-05-02'"),
              "2024-05-01 05:00:00 2.2");
    // Loaded within the second of the last stamp: the stamp still moves forward.
    EXPECT_EQ(Scalar(db_, "SELECT date_time FROM rupdate WHERE datatype_site_id = 0"), "2024-05-03 08:00:01");

    // A row stored without a value is there all the same: the file's value replaces it.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(db_.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE runit SET value = NULL WHERE date_time = '2024-05-01 06:00:00'", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    auto filled = Load("revised.csv", StageCsv(60, 2.2), At(2024, 5, 3, 9));
    ASSERT_TRUE(filled) << filled.error();
    EXPECT_EQ(filled->series[0].rowsReplaced, 1);
    EXPECT_EQ(Scalar(db_, "SELECT value FROM runit WHERE date_time = '2024-05-01 06:00:00'"), "1.06");
}

TEST_F(LoaderTest, ADayJudgedSoFarIsJudgedAgainWhenTheSeriesGoesOn) {
    auto values = [](Seconds from, int count) {
        std::string text = "date_time,Creek|Stage|ft\n";
        for (int i = 0; i < count; ++i) text += StoredText(from + i * 300) + ",1.5\n";
        return text;
    };
    // The gauge's morning: today so far has a daily value.
    ASSERT_TRUE(Load("morning.csv", values(At(2024, 5, 1), 144), At(2024, 5, 1, 12)));
    EXPECT_EQ(Scalar(db_, "SELECT group_concat(date_time) FROM rday"), "2024-05-01 00:00:00");
    // It was down in the afternoon; the next day came whole: the first day is now half a
    // day, too little for a daily value.
    ASSERT_TRUE(Load("next.csv", values(At(2024, 5, 2), 288), At(2024, 5, 3)));
    EXPECT_EQ(Scalar(db_, "SELECT group_concat(date_time) FROM rday"), "2024-05-02 00:00:00");
    EXPECT_EQ(Scalar(db_, "SELECT count(*) FROM rhour"), "36");
}

TEST_F(LoaderTest, AFileWithAFaultAnywhereLoadsNothing) {
    ASSERT_TRUE(Load("stage.csv", StageCsv(), At(2024, 5, 3, 8)));
    const std::string before = Dump(db_);
    // A bad value far down the file.
    std::string text = StageCsv(10, 5);
    text += "Creek,2024-05-03 00:00:00,n/a,Stage,ft\n";
    auto bad = Load("bad.csv", text, At(2024, 5, 3, 9));
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.fault().line, 578);
    EXPECT_EQ(Dump(db_), before);
    // A fault met while writing (the second series names no catalogue row) takes back
    // what the first series had written.
    auto unknown =
        Load("unknown.csv", "date_time,Creek|Stage|ft,New Gauge,777\n2024-05-03 00:00,9,1,2\n2024-05-03 00:05,9,1,2\n",
             At(2024, 5, 3, 9));
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error(),
              "series 777 is not in the catalogue (rsite); name a new series by its site name instead");
    EXPECT_EQ(unknown.fault().line, 1);
    EXPECT_EQ(Dump(db_), before);
}

TEST_F(LoaderTest, TheRepeatedAutumnHourKeepsEveryDropOfRain) {
    // Rain every 15 minutes through the night the clocks go back, given in UTC: the
    // two passes of 01:00-01:45 share their wall-clock times.
    std::string text = "date_time,Ridge|Precipitation|in\n";
    double total = 0;
    for (int i = 0; i < 4 * 6; ++i) {
        double v = 0.01 * (i % 3 + 1);
        total += v;
        text += StoredText(At(2024, 11, 3, 4) + i * 900) + "Z," + std::to_string(v) + "\n";
    }
    auto r = Load("rain.csv", text, At(2024, 11, 4));
    ASSERT_TRUE(r) << r.error();
    EXPECT_EQ(r->series[0].aggregation, series_tables::Aggregation::Sum);
    // 24 readings on 20 wall-clock times, the total kept.
    EXPECT_EQ(Scalar(db_, "SELECT count(*) FROM runit"), "20");
    EXPECT_EQ(Scalar(db_, "SELECT round(sum(value), 6) FROM runit"),
              Scalar(db_, "SELECT round(" + std::to_string(total) + ", 6)"));
    EXPECT_EQ(Scalar(db_, "SELECT min(date_time) || ' ' || max(date_time) FROM runit"),
              "2024-11-03 00:00:00 2024-11-03 04:45:00");
    EXPECT_EQ(Scalar(db_, "SELECT round(sum(value), 6) FROM rhour"),
              Scalar(db_, "SELECT round(" + std::to_string(total) + ", 6)"));
}

TEST(LoaderPostgres, TheSameLoadOnAPostgreSqlServer) {
    std::string why;
    testsupport::PgServer* server = testsupport::PgServer::Shared(&why);
    ASSERT_NE(server, nullptr) << why;
    testsupport::TempFolder folder;
    ASSERT_TRUE(folder.Write("stage.csv", StageCsv()));
    ZoneClock clock = NewYork();
    auto loadOnce = [&](Seconds now) {
        auto store =
            OpenPostgresStore({server->Host(), server->Database(), server->User(), server->Password(), server->Port()});
        EXPECT_TRUE(store) << store.error();
        return LoadFile(*store.value(), clock, folder.File("stage.csv"), {}, now);
    };
    auto first = loadOnce(At(2024, 5, 3, 8));
    ASSERT_TRUE(first) << first.error();
    EXPECT_EQ(first->series[0].rowsAdded, 576);
    EXPECT_EQ(first->series[0].hourRows, 48);
    auto again = loadOnce(At(2024, 5, 3, 9));
    ASSERT_TRUE(again) << again.error();
    EXPECT_FALSE(again->changed);
    EXPECT_EQ(again->series[0].rowsUnchanged, 576);
    auto store =
        OpenPostgresStore({server->Host(), server->Database(), server->User(), server->Password(), server->Port()});
    ASSERT_TRUE(store);
    auto hours = store.value()->Range(Table::Hour, first->series[0].series.dsid, At(2024, 5, 1, 5), At(2024, 5, 1, 6));
    ASSERT_TRUE(hours) << hours.error();
    ASSERT_EQ(hours->size(), 1u);
    EXPECT_NEAR(hours->front().value, 1.05, 1e-9);
    auto stamp = store.value()->Stamp();
    ASSERT_TRUE(stamp && stamp.value());
    EXPECT_EQ(*stamp.value(), At(2024, 5, 3, 8));
}

}  // namespace
