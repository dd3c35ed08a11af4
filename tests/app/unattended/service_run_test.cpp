// The built program under a service manager: an unattended round started with
// NOTIFY_SOCKET and WATCHDOG_USEC, as systemd starts the kiosk service, tells it READY
// once, pings all through the round at least as often as the watchdog needs, says what
// it published, and that it stops; stopped by a signal in the middle of a round, it
// says so at once and ends cleanly.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/textfile.h"
#include "support/notify_listener.h"
#include "support/run_program.h"
#include "support/setup_text.h"
#include "support/sqlite_fixture.h"
#include "support/temp_folder.h"

using namespace tidemark;
using namespace tidemark::testsupport;
using namespace std::chrono_literals;

namespace {

const char* kRows =
    "INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);"
    "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');"
    "INSERT INTO rhour VALUES (101, '2026-03-10 10:00:00', 2.5);"
    "INSERT INTO rhour VALUES (101, '2026-03-10 11:00:00', 2.75);";

std::string ThreePages() {
    std::vector<std::string> lines;
    for (int page = 1; page <= 3; ++page) {
        lines.push_back(" " + std::to_string(page) + " ;Page " + std::to_string(page) +
                        "; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON");
        lines.push_back(" 1 ; 101 ;Stage;Creek; 0 ; 0 ; 0 ; 15788516 ; 16777215 ; 255 ; 65280 ; 0 ; 0 ; 0 ; 0 ");
    }
    return SqliteSetupText(3, 0, lines, {.fontName = "Liberation Sans"});
}

constexpr auto kWatchdog = 5s;

}  // namespace

TEST(ServiceRun, AnUnattendedRoundTellsTheManagerReadyPingsStatusAndStopping) {
    SqliteFixture db(kRows);
    ASSERT_TRUE(db.ok()) << db.error();
    ASSERT_TRUE(WriteFileAtomic(db.Folder() + "Tidemark_setup.txt", ThreePages()));
    NotifyListener manager("@tidemark-service-run-" + std::to_string(::getpid()));
    ASSERT_TRUE(manager.ok()) << manager.error();

    ::setenv("NOTIFY_SOCKET", manager.Address().c_str(), 1);
    ::setenv("WATCHDOG_USEC", std::to_string(std::chrono::microseconds(kWatchdog).count()).c_str(), 1);
    TempFolder work;
    ProgramResult run =
        RunProgram({TIDEMARK_EXE, "2", "--folder", db.Folder(), "--headless", "--now", "2026-03-10 14:00"},
                   work.File("run.out"), 120);
    ::unsetenv("NOTIFY_SOCKET");
    ::unsetenv("WATCHDOG_USEC");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_TRUE(manager.WaitFor("STOPPING", 5s));

    std::vector<Notification> all = manager.Received();
    ASSERT_FALSE(all.empty());
    EXPECT_NE(all.front().text.find("EXTEND_TIMEOUT_USEC="), std::string::npos) << all.front().text;
    ASSERT_EQ(manager.With("READY").size(), 1u);
    EXPECT_NE(manager.With("READY")[0].text.find("STATUS=page 1"), std::string::npos) << manager.With("READY")[0].text;
    EXPECT_EQ(all.back().text.rfind("STOPPING=1", 0), 0u) << all.back().text;

    // From the first message to the last, no stretch without a ping as long as the
    // watchdog: the manager would have taken the round for a hung display.
    std::vector<Notification> pings = manager.With("WATCHDOG");
    ASSERT_GE(pings.size(), 2u);
    auto last = all.front().at;
    for (const Notification& ping : pings) {
        EXPECT_LT(ping.at - last, kWatchdog);
        last = ping.at;
    }
    EXPECT_LT(all.back().at - last, kWatchdog);

    // The round's three images (it begins with page 2 and ends with page 1), as the
    // status tells them with the time of the data shown, which the round loaded at its
    // start (a round never reloads).
    bool told = false;
    for (const Notification& status : manager.With("STATUS")) {
        const std::string text = AssignmentValue(status.text, "STATUS");
        if (text.rfind("page 1, data of 2026-03-10 13:05, loaded at start;", 0) == 0 &&
            text.find("last image Tidemark_window1.png ") != std::string::npos &&
            text.find(" ok (3 of 3 this round)") != std::string::npos)
            told = true;
    }
    std::string statuses;
    for (const Notification& n : manager.With("STATUS")) statuses += n.text + "\n";
    EXPECT_TRUE(told) << "no status told of the round's last image:\n" << statuses;
}

namespace {

// Waits until the file holds `text`; false after `limit`.
bool WaitForOutput(const std::string& file, const std::string& text, std::chrono::seconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (ReadWholeFile(file).find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

}  // namespace

// What "systemctl stop" (SIGTERM), Ctrl+C (SIGINT) and "systemctl kill -s HUP" do to a
// round: the manager hears STOPPING=1 as soon as the signal is read, the image being
// written is finished (never a half file, no temporary file left), and the program ends
// with status 0 long before the round would have ended by itself.
TEST(ServiceRun, ASignalInTheMiddleOfARoundStopsItCleanly) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        SqliteFixture db(kRows);
        ASSERT_TRUE(db.ok()) << db.error();
        ASSERT_TRUE(WriteFileAtomic(db.Folder() + "Tidemark_setup.txt", ThreePages()));
        NotifyListener manager("@tidemark-service-stop-" + std::to_string(::getpid()) + "-" + std::to_string(signal));
        ASSERT_TRUE(manager.ok()) << manager.error();

        ::setenv("NOTIFY_SOCKET", manager.Address().c_str(), 1);
        TempFolder work;
        const std::string output = work.File("run.out");
        pid_t pid = 0;
        // Three seconds a page: the signal comes seconds before the round's next page.
        const int started = SpawnWithOutput(
            {TIDEMARK_EXE, "3", "--folder", db.Folder(), "--headless", "--now", "2026-03-10 14:00"}, output, pid);
        ::unsetenv("NOTIFY_SOCKET");
        ASSERT_EQ(started, 0);
        // The round's first image (page 2) is written as the round begins.
        const bool roundBegun = WaitForOutput(output, "Tidemark_window2.png", 60s);
        ::kill(pid, signal);
        const int status = WaitForExit(pid, 60);
        const std::string said = ReadWholeFile(output);
        ASSERT_TRUE(roundBegun) << said;
        ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal or killed: " << said;
        EXPECT_EQ(WEXITSTATUS(status), 0) << said;
        EXPECT_NE(said.find(std::string("tidemark: ") +
                            (signal == SIGTERM  ? "SIGTERM"
                             : signal == SIGINT ? "SIGINT"
                                                : "SIGHUP") +
                            ": stopping"),
                  std::string::npos)
            << said;

        ASSERT_TRUE(manager.WaitFor("STOPPING", 5s));
        EXPECT_EQ(manager.With("STOPPING").size(), 1u);
        EXPECT_EQ(AssignmentValue(manager.With("STOPPING")[0].text, "STATUS").rfind("stopping; page 2", 0), 0u)
            << manager.With("STOPPING")[0].text;

        for (const auto& entry : std::filesystem::directory_iterator(db.Folder())) {
            const std::string name = entry.path().filename().string();
            EXPECT_EQ(name.find(".tmp-"), std::string::npos) << "a temporary file was left: " << name;
            if (name.rfind("Tidemark_window", 0) == 0) {
                EXPECT_FALSE(QImage(QString::fromStdString(entry.path().string())).isNull())
                    << name << " is not a whole image";
            }
        }
        EXPECT_TRUE(std::filesystem::exists(db.Folder() + "Tidemark_window2.png"));
    }
}
