#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/daynum.h"
#include "core/textfile.h"
#include "core/vbtext.h"
#include "data/getvalues.h"
#include "data/load_pages.h"
#include "support/recording_host.h"
#include "support/setup_text.h"
#include "support/sqlite_fixture.h"

using namespace tidemark;
using testsupport::SqliteFixture;

namespace {

std::string SetupText(int days, int endday, const std::vector<std::string>& pageLines) {
    return testsupport::SqliteSetupText(days, endday, pageLines);
}

std::string PageLine(int page, const std::string& title) {
    return " " + std::to_string(page) + " ;" + title + "; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON";
}

std::string GraphLine(int graph, int dsid) {
    return " " + std::to_string(graph) + " ; " + std::to_string(dsid) +
           " ;Stage;Creek; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; 0 ; 0 ; 0 ; 0 ";
}

// "mm-dd hh:nn value" of every point of the slot that holds a value.
std::vector<std::string> PresentPoints(const SlotSeries& s) {
    std::vector<std::string> out;
    for (int i = 1; i <= s.pointCount; ++i) {
        const SeriesPoint& p = s.points[static_cast<size_t>(i)];
        if (!IsMissing(p.value)) out.push_back(FormatDate(p.time, "mm-dd hh:nn") + " " + CStr(p.value));
    }
    return out;
}

// "mm-dd value" of the slot's first `count` daily values.
std::vector<std::string> Days(const SlotSeries& s, int count) {
    std::vector<std::string> out;
    for (int i = 1; i <= count; ++i) {
        const SeriesPoint& p = s.dailyPoints[static_cast<size_t>(i)];
        out.push_back(FormatDate(p.time, "mm-dd") + " " + CStr(p.value));
    }
    return out;
}

// 10 March 2026, 14:00.
const double kNow = MakeDayNumber(2026, 3, 10, 14, 0, 0);

class LoadPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(db_.ok()) << db_.error();
        ASSERT_TRUE(
            db_.Exec("INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);"
                     "INSERT INTO rsite VALUES (102, 'River', 1, 'Stage', 'ft', 2);"
                     "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');"
                     "INSERT INTO rhour VALUES (101, '2026-03-10 10:00:00', 2.5);"
                     "INSERT INTO rhour VALUES (101, '2026-03-10 11:00:00', 2.75);"
                     "INSERT INTO rhour VALUES (102, '2026-03-10 11:00:00', 7.125);"
                     "INSERT INTO rday VALUES (101, '2026-03-09 00:00:00', 2.4);"));
        state_.programFolder = db_.Folder();
    }

    void WriteSetup(const std::string& text) {
        ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_setup.txt", text));
    }

    void WriteThreePages() {
        WriteSetup(SetupText(5, 2,
                             {PageLine(1, "Rivers"), GraphLine(1, 101), PageLine(2, "More"), GraphLine(1, 102),
                              PageLine(3, "Last"), GraphLine(2, 101)}));
    }

    SqliteFixture db_{"", "tidemark.db"};
    ProgramState state_;
    RecordingHost host_{kNow};
};

}  // namespace

TEST_F(LoadPagesTest, CaptionsCountThePagesAndPageOneIsShownEarly) {
    WriteThreePages();
    int shown = 0;
    std::vector<size_t> captionsWhenShown;
    LoadPagesHooks hooks;
    hooks.showFirstPage = [&] {
        ++shown;
        captionsWhenShown.push_back(host_.captions.size());
    };
    std::vector<int> progress;
    hooks.progress = [&](int w) { progress.push_back(w); };
    LoadPagesResult out = LoadPages(state_, host_, LoadMode::Full, hooks);
    ASSERT_TRUE(out.ok()) << out.error();
    EXPECT_TRUE(host_.messages.empty());

    const std::string base = "Rivers 2026-Mar-10 updated at 01:05 PM";
    EXPECT_EQ(BaseCaption(state_), base);
    std::vector<std::string> expected = {base, base + "... Loading page 1 of 3", base + "... Loading page 2 of 3",
                                         base + "... Loading page 3 of 3", base};
    EXPECT_EQ(host_.captions, expected);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(captionsWhenShown, std::vector<size_t>{1});  // right after the base caption of page 1
    EXPECT_EQ(state_.currentpage, 1);
    EXPECT_EQ(progress, (std::vector<int>{800, 1600, 2400}));

    const SlotSeries& s = state_.store.At(1, 0);
    EXPECT_EQ(s.currentValue, 2.75);
    EXPECT_EQ(state_.store.At(2, 0).currentValue, 7.12);  // the loader rounds halves to even
    EXPECT_EQ(state_.store.At(3, 1).currentValue, 2.75);
    EXPECT_EQ(state_.labels[1][0].unit, "ft");
}

TEST_F(LoadPagesTest, DateWindowForFutureDaysHistoricalStartAndZeroDays) {
    WriteSetup(SetupText(5, 2, {PageLine(1, "Rivers"), GraphLine(1, 101)}));
    ASSERT_TRUE(LoadPages(state_, host_, LoadMode::Full).ok());
    // Starts 4 days before today, ends at the start of the day 3 days after today.
    EXPECT_EQ(state_.window.start, DateSerial(2026, 3, 6));
    EXPECT_EQ(state_.window.end, DateSerial(2026, 3, 13));
    EXPECT_EQ(state_.window.span, 7);
    EXPECT_EQ(state_.settings.days, 7);
    EXPECT_EQ(state_.window.currentHour, 14);
    EXPECT_EQ(state_.store.PointCapacity(), 8 * 28);
    EXPECT_EQ(state_.store.At(1, 0).DailyRoom(), 9);

    // A reload starts again from the user's 5 days, not from the span.
    state_.historicalStart = true;
    state_.historyStartText = "Feb-01-2026";
    state_.settings.endday = 0;
    ASSERT_TRUE(LoadPages(state_, host_, LoadMode::Reload).ok());
    EXPECT_EQ(state_.window.start, DateSerial(2026, 2, 1));
    EXPECT_EQ(state_.window.end, DateSerial(2026, 2, 1) + 7);  // days 5 + the old endday 2

    WriteSetup(SetupText(0, 0, {PageLine(1, "Rivers"), GraphLine(1, 101)}));
    ProgramState fresh;
    fresh.programFolder = db_.Folder();
    ASSERT_TRUE(LoadPages(fresh, host_, LoadMode::Full).ok());
    EXPECT_EQ(fresh.window.start, DateSerial(2026, 3, 4));
    EXPECT_EQ(fresh.window.span, 7);

    Result<DateWindow> w = ComputeDateWindow(state_.settings, kNow, true, "soon");
    EXPECT_FALSE(w);
    EXPECT_NE(w.error().find("soon"), std::string::npos);
}

TEST_F(LoadPagesTest, AFaultOnPageOneEndsAFullLoadWithOneMessage) {
    WriteSetup(SetupText(5, 0, {PageLine(1, "Rivers"), GraphLine(1, 101)}));
    ASSERT_TRUE(db_.Exec("DROP TABLE rhour;"));
    LoadPagesResult out = LoadPages(state_, host_, LoadMode::Full);
    ASSERT_FALSE(out.ok());
    EXPECT_TRUE(out.fault().fatal);
    ASSERT_EQ(host_.messages.size(), 1u);
    const std::string tail = "\r\nReading setup file " + db_.Folder() + "Tidemark_setup.txt on page #1, line#15";
    ASSERT_GE(host_.messages[0].size(), tail.size());
    EXPECT_EQ(host_.messages[0].substr(host_.messages[0].size() - tail.size()), tail) << host_.messages[0];
    EXPECT_NE(host_.messages[0].find("rhour"), std::string::npos) << host_.messages[0];
}

TEST_F(LoadPagesTest, ReloadReadsNoFileAndKeepsTheDefinitions) {
    WriteThreePages();
    ASSERT_TRUE(LoadPages(state_, host_, LoadMode::Full).ok());
    PageSet before = state_.pages;
    // Changed by hand on disk: a reload does not look at it.
    WriteSetup(SetupText(9, 0, {PageLine(1, "Changed"), GraphLine(1, 102)}));
    ASSERT_TRUE(
        db_.Exec("UPDATE rhour SET value = 3 WHERE datatype_site_id = 101 AND date_time = '2026-03-10 11:00:00';"));
    host_.captions.clear();
    LoadPagesResult out = LoadPages(state_, host_, LoadMode::Reload);
    ASSERT_TRUE(out.ok()) << out.error();
    EXPECT_EQ(state_.pages, before);
    EXPECT_EQ(state_.store.At(1, 0).currentValue, 3);
    EXPECT_EQ(host_.captions.back(), "Rivers 2026-Mar-10 updated at 01:05 PM");
}

TEST_F(LoadPagesTest, AFailedReloadKeepsTheLastGoodDataAndGoesOn) {
    WriteThreePages();
    ASSERT_TRUE(LoadPages(state_, host_, LoadMode::Full).ok());
    const SlotSeries before = state_.store.At(2, 0);
    const DateWindow window = state_.window;
    ASSERT_TRUE(db_.Exec("DROP TABLE rday;"));
    host_.SetNow(kNow + 1);
    LoadPagesResult out = LoadPages(state_, host_, LoadMode::Reload);
    ASSERT_FALSE(out.ok());
    EXPECT_FALSE(out.fault().fatal);
    EXPECT_TRUE(host_.messages.empty());  // no box on a wall display
    EXPECT_NE(host_.Caption().find(" ... reload failed: "), std::string::npos) << host_.Caption();
    const SlotSeries& after = state_.store.At(2, 0);
    EXPECT_EQ(after.currentValue, before.currentValue);
    EXPECT_EQ(after.pointCount, before.pointCount);
    EXPECT_EQ(state_.window.start, window.start);
    EXPECT_EQ(state_.settings.days, 7);

    // The database comes back: the next reload works again.
    ASSERT_TRUE(
        db_.Exec("CREATE TABLE rday (datatype_site_id INTEGER NOT NULL, date_time TEXT NOT NULL, value REAL,"
                 " PRIMARY KEY (datatype_site_id, date_time)) WITHOUT ROWID;"));
    EXPECT_TRUE(LoadPages(state_, host_, LoadMode::Reload).ok());
    EXPECT_EQ(state_.window.start, window.start + 1);

    // Unattended, the failure goes where the window's host writes messages (stderr).
    state_.autostartseconds = 5;
    std::remove(db_.Path().c_str());
    out = LoadPages(state_, host_, LoadMode::Reload);
    ASSERT_FALSE(out.ok());
    EXPECT_FALSE(out.fault().fatal);
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_NE(host_.messages[0].find("reload failed"), std::string::npos);
    EXPECT_EQ(state_.store.At(1, 0).currentValue, 2.75);
}

TEST_F(LoadPagesTest, IncludeDailyMaxMinOnLineThreeMergesTheDailyExtremesIntoHourlyGraphs) {
    ASSERT_TRUE(
        db_.Exec("INSERT INTO rdaymax VALUES (101, '2026-03-09 15:30:00', 3.875);"
                 "INSERT INTO rdaymin VALUES (101, '2026-03-09 04:15:00', 1.125);"));
    const std::vector<std::string> page = {PageLine(1, "Rivers"), GraphLine(1, 101)};
    const std::vector<std::string> hourly = {"03-10 10:00 2.5", "03-10 11:00 2.75"};

    WriteSetup(testsupport::SqliteSetupText(5, 0, page, {.includeDailyMaxMin = true}));
    ASSERT_TRUE(LoadPages(state_, host_, LoadMode::Full).ok());
    EXPECT_EQ(PresentPoints(state_.store.At(1, 0)),
              (std::vector<std::string>{"03-09 04:15 1.125", "03-09 15:30 3.875", hourly[0], hourly[1]}));
    EXPECT_EQ(state_.labels[1][0].legend1, "Hourly Avg w/Daily MaxMin");
    // A reload keeps to the setting.
    ASSERT_TRUE(LoadPages(state_, host_, LoadMode::Reload).ok());
    EXPECT_EQ(PresentPoints(state_.store.At(1, 0)).size(), 4u);
    EXPECT_EQ(state_.labels[1][0].legend1, "Hourly Avg w/Daily MaxMin");

    // Off, the same graph reads the hourly rows alone.
    WriteSetup(testsupport::SqliteSetupText(5, 0, page));
    ProgramState off;
    off.programFolder = db_.Folder();
    ASSERT_TRUE(LoadPages(off, host_, LoadMode::Full).ok());
    EXPECT_EQ(PresentPoints(off.store.At(1, 0)), hourly);
    EXPECT_EQ(off.labels[1][0].legend1, "Hourly Avg");
}

TEST_F(LoadPagesTest, UnitValuesAreReadUnlessThePageTurnsThemToHoursForGraphsOutsideTheFrequencyTable) {
    ASSERT_TRUE(
        db_.Exec("INSERT INTO runit VALUES (101, '2026-03-10 10:05:00', 2.625);"
                 "INSERT INTO runit VALUES (101, '2026-03-10 10:10:00', 2.5);"
                 "INSERT INTO rdaymax VALUES (101, '2026-03-09 15:30:00', 3.875);"));
    std::string unitsOff = PageLine(1, "Hours");
    unitsOff.replace(unitsOff.find("UNITS_ON"), 8, "UNITS_OFF");
    WriteSetup(testsupport::SqliteSetupText(
        5, 0, {unitsOff, GraphLine(1, 101), GraphLine(2, 101) + "; -1 ", PageLine(2, "Units"), GraphLine(1, 101)},
        {.plotUnitValues = true, .includeDailyMaxMin = true}));
    ASSERT_TRUE(LoadPages(state_, host_, LoadMode::Full).ok());
    // Hourly rows on the page of hours, without the daily extremes that only the hourly
    // statement of an hourly setup takes in.
    EXPECT_EQ(PresentPoints(state_.store.At(1, 0)), (std::vector<std::string>{"03-10 10:00 2.5", "03-10 11:00 2.75"}));
    // A recurrence-interval graph keeps its unit values there (no table: 0 years).
    EXPECT_EQ(PresentPoints(state_.store.At(1, 1)), (std::vector<std::string>{"03-10 10:05 0", "03-10 10:10 0"}));
    EXPECT_EQ(PresentPoints(state_.store.At(2, 0)), (std::vector<std::string>{"03-10 10:05 2.625", "03-10 10:10 2.5"}));
}

TEST_F(LoadPagesTest, MissingDaysAreFilledInPlainAndMonthlyDailyValues) {
    ASSERT_TRUE(
        db_.Exec("INSERT INTO rday VALUES (102, '2026-03-06 00:00:00', 1);"
                 "INSERT INTO rday VALUES (102, '2026-03-09 00:00:00', 2);"));
    std::string monthly = GraphLine(2, 102);
    monthly.replace(monthly.find(";Stage;"), 7, ";Monthly Rainfall;");
    WriteSetup(SetupText(5, 0, {PageLine(1, "Days"), GraphLine(1, 102), monthly}));
    ASSERT_TRUE(LoadPages(state_, host_, LoadMode::Full).ok());
    EXPECT_EQ(Days(state_.store.At(1, 0), 4),
              (std::vector<std::string>{"03-06 1", "03-07 -9999", "03-08 -9999", "03-09 2"}));
    // The monthly graph's days carry the running total across the gap.
    EXPECT_EQ(Days(state_.store.At(1, 1), 4),
              (std::vector<std::string>{"03-06 1", "03-07 -9999", "03-08 -9999", "03-09 3"}));
}

// Graphs are fetched two at a time, the second on another connection and thread: each
// lands in its own slot as a fetch on its own would leave it, and a fault of the second
// is told against its own page.
TEST_F(LoadPagesTest, GraphsFetchedInPairsAreThoseFetchedAloneAndFaultsNameTheirPage) {
    std::string rows;
    for (int dsid = 103; dsid <= 108; ++dsid) {
        rows += "INSERT INTO rsite VALUES (" + std::to_string(dsid) + ", 'Gauge', 1, 'Stage', 'ft', 3);";
        for (int hour = 0; hour < 48; ++hour)
            rows += "INSERT INTO rhour VALUES (" + std::to_string(dsid) + ", '" +
                    FormatDate(kNow - 2 + hour / 24.0, "yyyy-mm-dd hh:nn:ss") + "', " +
                    std::to_string(dsid * 0.1 + hour * 0.25) + ");";
    }
    ASSERT_TRUE(db_.Exec(rows));
    std::vector<std::string> lines;
    for (int p = 1; p <= 3; ++p) {
        lines.push_back(PageLine(p, "Page " + std::to_string(p)));
        // Pages of odd and even graph counts, so pairs also span two pages.
        for (int g = 1; g <= p + 1; ++g) lines.push_back(GraphLine(g, 101 + (p * 3 + g) % 8));
    }
    WriteSetup(SetupText(5, 0, lines));
    ASSERT_TRUE(LoadPages(state_, host_, LoadMode::Full).ok());
    for (int p = 1; p <= 3; ++p)
        for (int slot = 0; slot <= p; ++slot) {
            const SlotSeries loaded = state_.store.At(p, slot);
            FetchOptions asTheLoaderDoes;
            asTheLoaderDoes.roundHalfEven = true;
            Getvalues1(state_, host_, p, slot, asTheLoaderDoes);
            const SlotSeries& alone = state_.store.At(p, slot);
            EXPECT_EQ(PresentPoints(loaded), PresentPoints(alone)) << "page " << p << " graph " << slot + 1;
            EXPECT_EQ(Days(loaded, 5), Days(alone, 5)) << "page " << p << " graph " << slot + 1;
            EXPECT_EQ(loaded.currentValue, alone.currentValue) << "page " << p << " graph " << slot + 1;
            EXPECT_FALSE(PresentPoints(loaded).empty());
        }
    EXPECT_TRUE(host_.messages.empty());

    // Page 2's last graph (series 102) is fetched beside page 3's first, page 3 already
    // prepared.
    ASSERT_TRUE(db_.Exec("INSERT INTO rhour VALUES (102, '" + FormatDate(kNow - 1.5, "yyyy-mm-dd hh:nn:ss") +
                         "', 'not a number');"));
    ProgramState fresh;
    fresh.programFolder = db_.Folder();
    LoadPagesResult out = LoadPages(fresh, host_, LoadMode::Full);
    ASSERT_FALSE(out.ok());
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_NE(host_.messages[0].find("on page #2"), std::string::npos) << host_.messages[0];
    EXPECT_NE(host_.messages[0].find("series 102"), std::string::npos) << host_.messages[0];
}

// A page's graphs are fetched two at a time with nothing served in between; the window
// is served after every pair, so a slow page does not freeze it.
TEST_F(LoadPagesTest, TheWindowIsServedAfterEveryPairOfGraphs) {
    auto yieldsLoading = [this](int graphs) {
        std::vector<std::string> lines{PageLine(1, "Rivers")};
        for (int g = 1; g <= graphs; ++g) lines.push_back(GraphLine(g, 101 + g % 2));
        WriteSetup(SetupText(5, 0, lines));
        ProgramState fresh;
        fresh.programFolder = db_.Folder();
        int before = host_.yields;
        EXPECT_TRUE(LoadPages(fresh, host_, LoadMode::Full).ok());
        return host_.yields - before;
    };
    int two = yieldsLoading(2), twelve = yieldsLoading(12);
    EXPECT_GE(twelve - two, 5) << "two graphs: " << two << " yields, twelve graphs: " << twelve;
}

TEST_F(LoadPagesTest, WebScreensOfPagesReadAheadOfPageOneAreReadiedOncePageOneIsShown) {
    auto webScreen = [](int graph) {
        return " " + std::to_string(graph) + " ;-1 ;Web Screen;notes.html; -1 ; 0 ; 0 ; 0 ; 0";
    };
    WriteSetup(SetupText(5, 2,
                         {PageLine(1, "Rivers"), GraphLine(1, 101), webScreen(2), PageLine(2, "Notes"), webScreen(1),
                          GraphLine(2, 102)}));
    std::vector<std::string> steps;
    LoadPagesHooks hooks;
    hooks.showFirstPage = [&] { steps.push_back("page 1 shown"); };
    hooks.prepareWebScreen = [&](int page, int slot) {
        steps.push_back("web screen " + std::to_string(page) + "," + std::to_string(slot));
    };
    LoadPagesResult out = LoadPages(state_, host_, LoadMode::Full, hooks);
    ASSERT_TRUE(out.ok()) << out.error();
    // Page 1's own web screen is ready when page 1 shows; page 2's, queued with its graph
    // while page 1's was fetched, comes after.
    EXPECT_EQ(steps, (std::vector<std::string>{"web screen 1,1", "page 1 shown", "web screen 2,0"}));
    EXPECT_EQ(state_.store.At(2, 1).currentValue, 7.12);
}
