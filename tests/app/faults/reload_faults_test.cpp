// A wall display left paging for months meets every fault a database can have: the
// built program, started normally and headless (its caption goes to standard output),
// pages every second while the test, acting as the logger, stamps the database and
// breaks it. Through each fault the display goes on paging with the last good data and
// its caption says " ... reload failed: " and why; once the fault is repaired the next
// tick shows the new data. One running program takes every fault of its backend.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/textfile.h"
#include "support/child_process.h"
#include "support/pg_server.h"
#include "support/run_program.h"
#include "support/setup_text.h"
#include "support/sqlite_fixture.h"
#include "support/temp_folder.h"

using namespace tidemark;
using namespace tidemark::testsupport;
using namespace std::chrono_literals;

namespace {

constexpr const char* kFailed = " ... reload failed: ";

// Stamps 13:10, 13:11, ... of the day the program's clock reads, as the database holds
// them and as the caption shows them.
std::string StampText(int n) { return "2026-03-10 13:" + std::to_string(10 + n) + ":00"; }
std::string Shown(int n) { return "updated at 01:" + std::to_string(10 + n) + " PM"; }
std::string StampSql(int n) {
    return "UPDATE rupdate SET date_time = '" + StampText(n) + "' WHERE datatype_site_id = 0;";
}

std::string Rows() {
    return "INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);"
           "INSERT INTO rsite VALUES (102, 'River', 1, 'Stage', 'ft', 2);"
           "INSERT INTO rupdate VALUES (0, 'logger', '" +
           StampText(0) +
           "');"
           "INSERT INTO rhour VALUES (101, '2026-03-10 10:00:00', 2.5);"
           "INSERT INTO rhour VALUES (101, '2026-03-10 11:00:00', 2.75);"
           "INSERT INTO rhour VALUES (102, '2026-03-10 11:00:00', 7.125);";
}

std::string SetupFile(const std::string& connection) {
    std::vector<std::string> lines;
    for (int page = 1; page <= 3; ++page) {
        lines.push_back(" " + std::to_string(page) + " ;Page " + std::to_string(page) +
                        "; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON");
        lines.push_back(std::string(" 1 ; ") + (page == 2 ? "102" : "101") +
                        " ;Stage;Creek; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; 0 ; 0 ; 0 ; 0 ");
    }
    return SqliteSetupText(
        3, 0, lines,
        {.fontName = "Liberation Sans", .startUp = "0,0,800,600,0", .autoPaging = "True, 1", .connection = connection});
}

// The offscreen platform with a screen of its own for the program.
bool GiveTheProgramAScreen(const TempFolder& work) {
    return work.Write("screen.json",
                      "{\"screens\":[{\"name\":\"s1\",\"x\":0,\"y\":0,\"width\":800,\"height\":600,"
                      "\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}") &&
           setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + work.File("screen.json")).c_str(), 1) == 0;
}

// The running program and the lines of its output.
class Display {
public:
    bool Start(const std::string& folder, const TempFolder& work, std::string* error) {
        output_ = work.File("display.out");
        return process_.Start({TIDEMARK_EXE, "--folder", folder, "--headless", "--now", "2026-03-10 14:00"}, output_,
                              error);
    }

    // Where the output ends now: later waits look only at what comes after.
    size_t Mark() { return ReadWholeFile(output_).size(); }

    // The first line after `from` that holds every text of `all` and none of `none`;
    // empty when none came within the limit. `end` receives where that line ends.
    std::string WaitForLine(size_t from, const std::vector<std::string>& all, const std::vector<std::string>& none,
                            std::chrono::seconds limit, size_t* end = nullptr) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            std::string out = ReadWholeFile(output_);
            size_t at = std::min(from, out.size());
            while (true) {
                size_t nl = out.find('\n', at);
                if (nl == std::string::npos) break;
                std::string line = out.substr(at, nl - at);
                bool match = true;
                for (const auto& t : all) match = match && line.find(t) != std::string::npos;
                for (const auto& t : none) match = match && line.find(t) == std::string::npos;
                if (match) {
                    if (end) *end = nl + 1;
                    return line;
                }
                at = nl + 1;
            }
            if (!process_.Running() || std::chrono::steady_clock::now() > deadline) return {};
            std::this_thread::sleep_for(50ms);
        }
    }

    // The lines between two marks that hold `text`.
    int CountLines(size_t from, size_t to, const std::string& text) {
        std::string out = ReadWholeFile(output_).substr(0, to);
        int n = 0;
        for (size_t at = out.find(text, from); at != std::string::npos; at = out.find(text, at + 1)) ++n;
        return n;
    }

    bool Running() { return process_.Running(); }
    std::string Output() { return ReadWholeFile(output_); }

private:
    ChildProcess process_;
    std::string output_;
};

// The caption's page title: the text before the date of the update stamp.
std::string PageTitle(const std::string& caption) { return caption.substr(0, caption.find(" 2026-")); }

// One fault: how it is made (stamping the database where the fault allows, so that
// the next tick wants to reload), the cause the caption must name, and its repair.
struct Fault {
    std::string name;
    std::function<bool()> make;
    std::string cause;
    std::function<bool()> repair;
};

// Runs the faults in turn on a display that shows stamp 0 when it starts; fault k
// stamps the database with stamp k + 1.
void Survive(Display& display, const std::vector<Fault>& faults) {
    // Page 1 is shown before the other pages are in, and a fault of that first load ends
    // the program: the faults wait until it is through.
    size_t from = 0;
    ASSERT_FALSE(display.WaitForLine(0, {"Loading page 3 of 3"}, {}, 60s, &from).empty()) << display.Output();
    ASSERT_FALSE(display.WaitForLine(from, {Shown(0)}, {kFailed, "Loading"}, 60s).empty()) << display.Output();
    int shown = 0;
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        size_t mark = display.Mark();
        ASSERT_TRUE(fault.make());
        // The fault is told with the time of the data still shown, and paging goes on
        // through it: another page tells it too.
        size_t told = 0;
        std::string line = display.WaitForLine(mark, {kFailed, fault.cause}, {}, 30s, &told);
        ASSERT_FALSE(line.empty()) << display.Output().substr(mark);
        EXPECT_NE(line.find(Shown(shown)), std::string::npos) << line;
        ASSERT_FALSE(display.WaitForLine(told, {kFailed, fault.cause}, {PageTitle(line) + " 2026-"}, 30s).empty())
            << display.Output().substr(told);

        // Repaired, every page is loaded again (a caption that only claimed the new time
        // would not do) and then shown with the new stamp; only a tick already under way
        // when the fault ended may still fail.
        size_t repaired = display.Mark();
        ASSERT_TRUE(fault.repair());
        size_t loaded = 0;
        ++shown;
        ASSERT_FALSE(display.WaitForLine(repaired, {"Loading page 3 of 3"}, {}, 30s, &loaded).empty())
            << display.Output().substr(repaired);
        EXPECT_LE(display.CountLines(repaired, loaded, kFailed), 1) << display.Output().substr(repaired);
        ASSERT_FALSE(display.WaitForLine(loaded, {Shown(shown)}, {kFailed, "Loading"}, 30s).empty())
            << display.Output().substr(repaired);
    }
    EXPECT_TRUE(display.Running()) << display.Output();
}

// A writer of its own holding the database locked with an exclusive transaction.
class ExclusiveWriter {
public:
    ~ExclusiveWriter() {
        if (db_) sqlite3_close(db_);
    }
    bool Lock(const std::string& path, const std::string& sql) {
        return sqlite3_open(path.c_str(), &db_) == SQLITE_OK && Exec("BEGIN EXCLUSIVE;" + sql);
    }
    bool Commit() { return Exec("COMMIT;"); }

private:
    bool Exec(const std::string& sql) {
        char* message = nullptr;
        bool ok = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK;
        if (!ok) ADD_FAILURE() << (message ? message : "sqlite3_exec failed");
        sqlite3_free(message);
        return ok;
    }
    sqlite3* db_ = nullptr;
};

// The display of the SQLite fixture's three pages, running.
struct SqliteDisplay {
    SqliteFixture db{Rows()};
    TempFolder work;
    Display display;

    // Empty once it runs, else why it does not.
    std::string Start() {
        if (!db.ok()) return db.error();
        if (!GiveTheProgramAScreen(work)) return "no screen for the program";
        if (!WriteFileAtomic(db.Folder() + "Tidemark_setup.txt", SetupFile("Provider=SQLite;Data Source=tidemark.db")))
            return "cannot write the setup file";
        std::string error;
        return display.Start(db.Folder(), work, &error) ? std::string() : error;
    }
};

TEST(ReloadFaults, ASqliteDisplayPagesThroughLocksMovesDroppedTablesAndBadRows) {
    SqliteDisplay running;
    ASSERT_EQ(running.Start(), "");
    SqliteFixture& db = running.db;
    Display& display = running.display;

    const std::string file = db.Path(), away = db.Path() + ".away";
    ExclusiveWriter writer;
    auto exec = [&](const std::string& path, const std::string& sql) {
        std::string e;
        bool ok = ExecSqliteScript(path, sql, &e);
        EXPECT_TRUE(ok) << e;
        return ok;
    };
    const std::vector<Fault> faults = {
        // A reload waits a few seconds for a writer's lock, not for ever.
        {"locked by a writer", [&] { return writer.Lock(file, StampSql(1)); }, "database is locked",
         [&] { return writer.Commit(); }},
        {"renamed away and back",
         [&] { return std::rename(file.c_str(), away.c_str()) == 0 && exec(away, StampSql(2)); }, "does not exist",
         [&] { return std::rename(away.c_str(), file.c_str()) == 0; }},
        // The new stamp was seen while the table was missing: the repair alone must
        // bring the reload back.
        {"table dropped",
         [&] { return exec(file, "CREATE TABLE rhour_kept AS SELECT * FROM rhour; DROP TABLE rhour;" + StampSql(3)); },
         "no such table: rhour",
         [&] {
             return exec(file,
                         "CREATE TABLE rhour (datatype_site_id INTEGER NOT NULL, date_time TEXT NOT NULL, value REAL,"
                         " PRIMARY KEY (datatype_site_id, date_time)) WITHOUT ROWID;"
                         "INSERT INTO rhour SELECT * FROM rhour_kept; DROP TABLE rhour_kept;");
         }},
        {"a missing reading",
         [&] { return exec(file, "INSERT INTO rhour VALUES (102, '2026-03-10 12:00:00', NULL);" + StampSql(4)); },
         "Table rhour, series 102, row 2026-03-10 12:00:00",
         [&] { return exec(file, "DELETE FROM rhour WHERE value IS NULL;"); }},
        {"a malformed date-time",
         [&] { return exec(file, "INSERT INTO rhour VALUES (101, '2026-03-10 1x:00:00', 3);" + StampSql(5)); },
         "Table rhour, series 101, row 2026-03-10 1x:00:00",
         [&] { return exec(file, "DELETE FROM rhour WHERE date_time LIKE '%x%';"); }},
    };
    Survive(display, faults);
}

// Every tick's read waits for the writer's lock on the window's thread: a wait of the
// engine's usual five seconds would turn a page of one second every six. A read gives
// up after a blink instead and the pages keep their pace.
TEST(ReloadFaults, ADatabaseLockedForLongDoesNotSlowThePaging) {
    SqliteDisplay running;
    ASSERT_EQ(running.Start(), "");
    Display& display = running.display;
    size_t from = 0;
    ASSERT_FALSE(display.WaitForLine(0, {"Loading page 3 of 3"}, {}, 60s, &from).empty()) << display.Output();
    ASSERT_FALSE(display.WaitForLine(from, {Shown(0)}, {kFailed, "Loading"}, 60s).empty()) << display.Output();

    ExclusiveWriter writer;
    ASSERT_TRUE(writer.Lock(running.db.Path(), StampSql(1)));
    const size_t locked = display.Mark();
    std::this_thread::sleep_for(8s);
    const size_t after = display.Mark();
    ASSERT_TRUE(writer.Commit());
    // About six turns at a second and a quarter each; two at six seconds each. A turn
    // shows the page's caption alone before the fault is added to it.
    EXPECT_GE(display.CountLines(locked, after, Shown(0) + "\n"), 4) << display.Output().substr(locked);
    EXPECT_GE(display.CountLines(locked, after, "database is locked"), 4) << display.Output().substr(locked);
    EXPECT_TRUE(display.Running());
}

TEST(ReloadFaults, APostgresqlDisplayPagesThroughItsServerStoppedAndStartedAgain) {
    PgServer pg;
    std::string error;
    ASSERT_TRUE(pg.Start(&error)) << error;
    ASSERT_TRUE(pg.Exec(Rows(), &error)) << error;
    TempFolder work;
    ASSERT_TRUE(GiveTheProgramAScreen(work));
    TempFolder folder;
    ASSERT_TRUE(folder.Write("Tidemark_setup.txt", SetupFile(pg.ConnectionString())));

    Display display;
    ASSERT_TRUE(display.Start(folder.Path(), work, &error)) << error;
    const std::vector<Fault> faults = {
        {"server stopped", [&] { return pg.Halt(&error); }, "Cannot open the PostgreSQL",
         [&] { return pg.Resume(&error) && pg.Exec(StampSql(1), &error); }},
        // The stamp changes while a table is missing; the repair alone brings it back.
        {"table dropped", [&] { return pg.Exec("ALTER TABLE rhour RENAME TO rhour_kept;" + StampSql(2), &error); },
         "relation \"rhour\" does not exist",
         [&] { return pg.Exec("ALTER TABLE rhour_kept RENAME TO rhour;", &error); }},
    };
    Survive(display, faults);
    EXPECT_EQ(error, "");
}

}  // namespace
