// Model-run traces on a real SQLite file: run numbers, the run list, Add and Clear Last,
// the run the loader adds by itself, and the wheel arithmetic of the run grid.
#include <gtest/gtest.h>

#include "core/daynum.h"
#include "core/textfile.h"
#include "core/vbtext.h"
#include "data/database_access.h"
#include "data/load_pages.h"
#include "data/model_runs.h"
#include "support/recording_host.h"
#include "support/setup_text.h"
#include "support/sqlite_fixture.h"

using namespace tidemark;
using testsupport::SqliteFixture;

namespace {

// 10 March 2026, 14:00: day 69 of the year.
const double kNow = MakeDayNumber(2026, 3, 10, 14, 0, 0);

RunRow RunOf(const std::string& id, const std::string& trace, const std::string& made) {
    return RunRow{{id, trace, made, "101", ""}};
}

class ModelRunsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(db_.ok()) << db_.error();
        ASSERT_TRUE(
            db_.Exec("INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);"
                     "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');"
                     "INSERT INTO rhour VALUES (101, '2026-03-09 12:00:00', 2.5);"
                     "INSERT INTO rhour VALUES (101, '2026-03-10 12:00:00', 2.75);"
                     "INSERT INTO rhour VALUES (202, '2026-03-10 12:00:00', 9.5);"
                     // Today's run, yesterday's, and one of the day before with two traces.
                     "INSERT INTO mrundsid VALUES (69, 1, '2026-03-10 06:00:00', 101, 'today');"
                     "INSERT INTO mrundsid VALUES (68, 1, '2026-03-09 06:00:00', 101, 'yesterday');"
                     "INSERT INTO mrundsid VALUES (67, 2, '2026-03-08 06:00:00', 101, 'older');"
                     "INSERT INTO mrundsid VALUES (67, 1, '2026-03-08 06:00:00', 101, 'older');"
                     "INSERT INTO mrundsid VALUES (20, 1, '2026-01-20 06:00:00', 101, 'outside');"
                     "INSERT INTO mhour VALUES (68, 1, 101, '2026-03-09 00:00:00', 1.0);"
                     "INSERT INTO mhour VALUES (68, 1, 101, '2026-03-09 12:00:00', 3.0);"
                     "INSERT INTO mhour VALUES (68, 1, 101, '2026-03-11 12:00:00', 3.5);"
                     "INSERT INTO mhour VALUES (67, 2, 101, '2026-03-10 12:00:00', 4.0);"));
        state_.programFolder = db_.Folder();
    }

    void Load(const std::string& dsidField, const std::string& parameter = "Stage") {
        std::string graph = " 1 ; " + dsidField + " ;" + parameter +
                            ";Creek; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; 0 ; 0 ; 0 ; 0 ";
        ASSERT_TRUE(
            WriteFileAtomic(db_.Folder() + "Tidemark_setup.txt",
                            testsupport::SqliteSetupText(5, 2, {" 1 ;Runs; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", graph})));
        state_.loading = true;
        LoadPagesResult out = LoadPages(state_, host_, LoadMode::Full);
        state_.loading = false;
        ASSERT_TRUE(out.ok()) << out.error();
        auto db = OpenDatabase(state_.settings, state_.programFolder);
        ASSERT_TRUE(db) << db.error();
        conn_ = std::move(db.value());
    }

    std::vector<std::string> TracePoints(int n) {
        std::vector<std::string> out;
        const ModelTrace* t = state_.traces.Find(1, 0, n);
        if (!t) return out;
        for (int i = 1; i <= t->PointRoom(); ++i)
            if (!IsMissing(t->points[static_cast<size_t>(i)].value))
                out.push_back(FormatDate(t->points[static_cast<size_t>(i)].time, "dd hh:mm") + " " +
                              CStr(t->points[static_cast<size_t>(i)].value));
        return out;
    }

    SqliteFixture db_{"", "tidemark.db"};
    ProgramState state_;
    RecordingHost host_{kNow};
    std::unique_ptr<Database> conn_;
};

}  // namespace

TEST(ModelRunNumbers, WindowsListRunsFromFourDaysBeforeTheStartAndFromZeroAcrossANewYear) {
    DateWindow march{MakeDayNumber(2026, 3, 3), MakeDayNumber(2026, 3, 10)};
    EXPECT_EQ(RunNumbersFor(march), (RunNumberRange{DayOfYear(MakeDayNumber(2026, 2, 27)), 69}));
    DateWindow newYear{MakeDayNumber(2025, 12, 29), MakeDayNumber(2026, 1, 5)};
    EXPECT_EQ(RunNumbersFor(newYear), (RunNumberRange{0, 5}));
    EXPECT_EQ(RunListStatement(101, {58, 69}),
              "SELECT run_id, trace, value_name, datatype_site_id, setup_string FROM mrundsid where "
              "datatype_site_id=101 and run_id between 58 and 69 order by run_id desc, trace desc;");
}

TEST(ModelRunNumbers, HistoryDecidesWhereARunsValuesStart) {
    DateWindow w{MakeDayNumber(2020, 3, 1), MakeDayNumber(2020, 3, 8)};
    RunRow run = RunOf("65", "2", "2020-03-05 06:00:00");
    double made = MakeDayNumber(2020, 3, 5, 6, 0, 0);
    EXPECT_EQ(RunTraceStatement("mhour", run, made, 101, w, false, false),
              "SELECT date_time, value FROM mhour WHERE trace= 2 AND run_id=65 AND datatype_site_id=101 AND date_time "
              "BETWEEN #05-Mar-2020 06:00# AND #08-Mar-2020# ORDER BY date_time;");
    EXPECT_NE(RunTraceStatement("munit", run, made, 101, w, true, true).find("BETWEEN '01-Mar-2020' AND '08-Mar-2020'"),
              std::string::npos);
}

TEST(ModelRunNumbers, WheelNotchesScrollThreeRowsAndKeepTheRemainder) {
    WheelRows wheel;
    EXPECT_EQ(wheel.Turn(60), 0);
    EXPECT_EQ(wheel.Turn(60), -3);   // one notch away from the user: up
    EXPECT_EQ(wheel.Turn(-240), 6);  // two notches back
    EXPECT_EQ(wheel.Turn(-100), 0);
    EXPECT_EQ(wheel.Turn(-20), 3);
}

TEST(ModelRunNumbers, UnattendedRunIsTheNewestOfYesterdayOrEarlier) {
    RunList list{{},
                 {RunOf("69", "1", "2026-03-10 06:00:00"), RunOf("68", "1", "2026-03-09 23:00:00"),
                  RunOf("67", "1", "2026-03-08 06:00:00")}};
    EXPECT_EQ(UnattendedRun(list, kNow, false), 1u);
    EXPECT_EQ(UnattendedRun(list, kNow, true), 2u);  // a ratio graph takes the one before
    EXPECT_EQ(UnattendedRun(list, MakeDayNumber(2026, 3, 9, 12, 0, 0), true), std::nullopt);
    EXPECT_EQ(UnattendedRun(RunList{}, kNow, false), std::nullopt);
}

TEST_F(ModelRunsTest, AddAndClearLastWorkOnTheListedRuns) {
    Load("101");
    auto list = ReadRunList(*conn_, state_, 1, 0);
    ASSERT_TRUE(list) << list.error();
    ASSERT_EQ(list->rows.size(), 4u);  // run 20 lies outside the window's run numbers
    EXPECT_EQ(list->rows[0].cells[0], "69");
    EXPECT_EQ(list->rows[2].cells[1], "2");  // the highest trace first
    EXPECT_EQ(list->columns.size(), 5u);

    EXPECT_EQ(AddTrace(state_, *conn_, 1, 0, {&list->rows[1], false}).error(), "");
    EXPECT_EQ(state_.pages.Graph(1, 0).tracecount, 1);
    EXPECT_EQ(TracePoints(1), (std::vector<std::string>{"09 12:00 3", "11 12:00 3.5"}));  // from the run time on
    EXPECT_EQ(state_.traces.Find(1, 0, 1)->label, "Mar09 06:00");
    EXPECT_EQ(state_.traces.At(1, 0).lastRunText, "68, 1, Mar09 06:00");

    EXPECT_EQ(AddTrace(state_, *conn_, 1, 0, {&list->rows[1], true}).error(), "");
    EXPECT_EQ(TracePoints(2).front(), "09 00:00 1");  // with its history
    // A run without values adds nothing.
    EXPECT_EQ(AddTrace(state_, *conn_, 1, 0, {&list->rows[0], false}).error(), "");
    EXPECT_EQ(state_.pages.Graph(1, 0).tracecount, 2);

    ClearLastTrace(state_, 1, 0);
    ClearLastTrace(state_, 1, 0);
    ClearLastTrace(state_, 1, 0);
    EXPECT_EQ(state_.pages.Graph(1, 0).tracecount, 0);
    EXPECT_NE(state_.traces.Find(1, 0, 2), nullptr);  // the store keeps them

    RunRow broken = RunOf("68", "1", "soon");
    EXPECT_NE(AddTrace(state_, *conn_, 1, 0, {&broken, false}).error(), "");
    EXPECT_EQ(AddTraceFaultMessage(&broken, 1, 0, "boom"), "Run ID 68 on Page 1 Graph 1: boom");
}

TEST_F(ModelRunsTest, TheLoaderAddsYesterdaysRunToRunGraphsAndRunNumbersReadTheObservedTable) {
    Load("101,RUN");
    EXPECT_EQ(state_.pages.Graph(1, 0).tracecount, 1);
    EXPECT_EQ(state_.traces.Find(1, 0, 1)->label, "Mar09 06:00");
    EXPECT_TRUE(host_.messages.empty());

    Load("101,RUN", "Stage ratio");
    EXPECT_EQ(state_.pages.Graph(1, 0).tracecount, 1);
    EXPECT_EQ(TracePoints(1), (std::vector<std::string>{"10 12:00 4"}));  // run 67's second trace

    Load("101,0,202");
    // A run number reads its own series from the observed table.
    EXPECT_EQ(state_.pages.Page(1).runnumber[0], 202);
    EXPECT_EQ(TracePoints(1), (std::vector<std::string>{"10 12:00 9.5"}));
}
