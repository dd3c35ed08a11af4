// The built tidemark-load filling a fresh program folder from a long CSV, a wide CSV and
// an agency file across a change to summer time, and the built tidemark drawing what it
// loaded: the JSON export and the page images read back.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QColor>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "core/textfile.h"
#include "load/local_time.h"
#include "load_support.h"
#include "support/run_program.h"
#include "support/setup_text.h"
#include "support/temp_folder.h"

namespace {

using namespace tidemark;
using namespace tidemark::load;
using namespace tidemark::load::testing;
namespace fs = std::filesystem;

std::string Graph(int n, int dsid, const std::string& station) {
    return " " + std::to_string(n) + " ; " + std::to_string(dsid) + " ;Value;" + station +
           "; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; 0 ; 0 ; 0 ; 0 ";
}

// 9 to 11 March 2024 in New York: the clocks go forward at 02:00 on the 10th.
Seconds Start() { return SecondsFromCivil(2024, 3, 9, 0, 0, 0); }
constexpr const char* kNow = "2024-03-11 23:55";

std::string LongCsv() {
    std::string text = "date_time;site;value\n";
    for (Seconds t = Start(); t < Start() + 3 * 86400; t += 900) {
        if (t >= SecondsFromCivil(2024, 3, 10, 2, 0, 0) && t < SecondsFromCivil(2024, 3, 10, 3, 0, 0)) continue;
        double hours = static_cast<double>(t - Start()) / 3600;
        text += StoredText(t).substr(0, 16) + ";Creek|Stage|ft;" + std::to_string(2 + hours / 100) + "\n";
    }
    return text;
}

std::string WideCsv() {
    std::string text = "date_time,\"Ridge|Rain|in\"\n";
    // Hourly rain in UTC, 0.01 every hour and 0.1 in the hour starting at noon.
    for (Seconds t = Start() + 5 * 3600; t < Start() + 5 * 3600 + 71 * 3600; t += 3600)
        text += StoredText(t) + "Z," + ((t / 3600) % 24 == 17 ? "0.1" : "0.01") + "\n";
    return text;
}

// Instantaneous values every 15 minutes in EST, then EDT from the change on.
std::string Rdb() {
    std::string text = kRdbHead;
    const Seconds change = SecondsFromCivil(2024, 3, 10, 7, 0, 0);  // in UTC
    int k = 0;
    for (Seconds utc = Start() + 5 * 3600; utc < Start() + 4 * 3600 + 3 * 86400; utc += 900, ++k) {
        bool summer = utc >= change;
        Seconds wall = utc + (summer ? -4 : -5) * 3600;
        std::string flow = k == 7 ? "Ice" : std::to_string(1000 + k);
        text += "USGS\t01646500\t" + StoredText(wall).substr(0, 16) + (summer ? "\tEDT\t" : "\tEST\t") + flow +
                "\tP\t" + std::to_string(3.0 + k * 0.001) + "\tP\n";
    }
    return text;
}

class LoadProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.ok());
        ASSERT_TRUE(folder_.Write(
            "Tidemark_setup.txt",
            testsupport::SqliteSetupText(
                3, 0,
                {" 1 ;Loaded; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", Graph(1, 1001, "Creek"), Graph(2, 1002, "Ridge"),
                 Graph(3, 1003, "Potomac flow"), Graph(4, 1004, "Potomac stage")})));
        ASSERT_TRUE(folder_.Write("long.csv", LongCsv()));
        ASSERT_TRUE(folder_.Write("wide.csv", WideCsv()));
        ASSERT_TRUE(folder_.Write("iv.rdb", Rdb()));
    }

    testsupport::ProgramResult Load(std::vector<std::string> files) {
        std::vector<std::string> argv{TIDEMARK_LOAD_EXE, "--folder", folder_.Path(), "--tz", "America/New_York"};
        for (const std::string& f : files) argv.push_back(folder_.File(f));
        return testsupport::RunProgram(argv, folder_.File("load.log"), 120);
    }

    std::string Db() const { return folder_.File("tidemark.db"); }

    testsupport::TempFolder folder_;
};

TEST_F(LoadProgram, FillsAFreshFolderThatTheProgramThenDraws) {
    auto r = Load({"long.csv", "wide.csv", "iv.rdb"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("made a new database"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("new series 1001 Creek / Stage (ft): unit values, 284 added"), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("new series 1003 POTOMAC RIVER NEAR WASH, DC / Discharge (cfs): unit values, 283 added, 0 "
                            "replaced, 0 unchanged, 1 missing, 2024-03-09 00:00:00 to 2024-03-11 23:45:00"),
              std::string::npos)
        << r.output;

    // The agency's EST and EDT times are New York wall-clock time: no value in the
    // skipped hour, 23 hours on the 10th, each day complete.
    EXPECT_EQ(
        Scalar(Db(), "SELECT count(*) FROM runit WHERE datatype_site_id = 1004 AND date_time LIKE '2024-03-10 02:%'"),
        "0");
    EXPECT_EQ(Scalar(Db(), "SELECT count(*) FROM rhour WHERE datatype_site_id = 1004 AND date_time LIKE '2024-03-10%'"),
              "23");
    EXPECT_EQ(Scalar(Db(), "SELECT count(*) FROM rday WHERE datatype_site_id IN (1001, 1003, 1004)"), "9");
    EXPECT_EQ(
        Scalar(Db(), "SELECT value FROM runit WHERE datatype_site_id = 1003 AND date_time = '2024-03-10 03:00:00'"),
        "1104.0");
    // Rain: daily totals, the noon burst in each day (the UTC hour 17 is noon EST and
    // 13:00 EDT).
    EXPECT_EQ(Scalar(Db(), "SELECT group_concat(round(value, 4), ' ') FROM rday WHERE datatype_site_id = 1002"),
              "0.33 0.32 0.33");
    EXPECT_EQ(
        Scalar(Db(), "SELECT date_time FROM rdaymax WHERE datatype_site_id = 1002 AND date_time LIKE '2024-03-11%'"),
        "2024-03-11 13:00:00");

    // The program reads and draws it.
    std::string json = folder_.File("pages.json");
    auto e = testsupport::RunProgram({TIDEMARK_EXE, "--folder", folder_.Path(), "--export-json", json, "--now", kNow},
                                     folder_.File("export.log"), 120);
    ASSERT_EQ(e.exitCode, 0) << e.output;
    QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(ReadFileBytes(json).value_or(""))).object();
    QJsonArray graphs = root["pages"].toArray()[0].toObject()["graphs"].toArray();
    ASSERT_EQ(graphs.size(), 4) << e.output;
    double lastHour[] = {
        std::stod(
            Scalar(Db(), "SELECT value FROM rhour WHERE datatype_site_id = 1001 ORDER BY date_time DESC LIMIT 1")),
        0.01,
        std::stod(
            Scalar(Db(), "SELECT value FROM rhour WHERE datatype_site_id = 1003 ORDER BY date_time DESC LIMIT 1")),
        std::stod(
            Scalar(Db(), "SELECT value FROM rhour WHERE datatype_site_id = 1004 ORDER BY date_time DESC LIMIT 1"))};
    for (int k = 0; k < 4; ++k) {
        QJsonObject g;
        for (const auto& each : graphs)
            if (each.toObject()["slot"].toInt() == k) g = each.toObject();
        // The display rounds the value it shows.
        EXPECT_NEAR(g["currentValue"].toDouble(), lastHour[k], std::max(0.006, lastHour[k] * 0.005)) << k;
        int points = 0;
        for (const auto& s : g["series"].toArray())
            for (const auto& v : s.toObject()["y"].toArray()) points += v.isNull() ? 0 : 1;
        EXPECT_GE(points, 71) << k;  // every loaded hour is on the graph
    }

    const std::string out = folder_.File("images/");
    auto p = testsupport::RunProgram({TIDEMARK_EXE, "--folder", folder_.Path(), "--render-pages", out, "--now", kNow},
                                     folder_.File("render.log"), 120);
    ASSERT_EQ(p.exitCode, 0) << p.output;
    int images = 0;
    for (const auto& entry : fs::directory_iterator(out)) {
        if (entry.path().extension() != ".png") continue;
        QImage image(QString::fromStdString(entry.path().string()));
        ASSERT_FALSE(image.isNull()) << entry.path();
        // The red trace colour of the setup is drawn.
        int red = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); ++x)
                if (QColor c = image.pixelColor(x, y); c.red() > 180 && c.green() < 100 && c.blue() < 100) ++red;
        EXPECT_GT(red, 100) << entry.path();
        ++images;
    }
    EXPECT_GE(images, 1);
}

TEST_F(LoadProgram, LoadingTwiceChangesNothingAndABadLineLoadsNothing) {
    ASSERT_EQ(Load({"long.csv", "wide.csv", "iv.rdb"}).exitCode, 0);
    const std::string stamp = Scalar(Db(), "SELECT date_time FROM rupdate WHERE datatype_site_id = 0");
    const std::string rows = Scalar(Db(), "SELECT count(*) || '/' || round(sum(value), 6) FROM runit");
    auto again = Load({"long.csv", "wide.csv", "iv.rdb"});
    ASSERT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(testsupport::NonEmptyLines(again.output).size(), 7u) << again.output;  // no stamp lines
    EXPECT_NE(
        again.output.find("iv.rdb: USGS RDB, 2 series, 0 rows added, 0 replaced, 567 unchanged (nothing changed)"),
        std::string::npos)
        << again.output;
    EXPECT_EQ(Scalar(Db(), "SELECT date_time FROM rupdate WHERE datatype_site_id = 0"), stamp);

    std::string bad = LongCsv();
    size_t at = 0;
    for (int line = 1; line < 10; ++line) at = bad.find('\n', at) + 1;
    bad.insert(at, "2024-03-12 00:00;Creek|Stage|ft;12..5\n");
    ASSERT_TRUE(folder_.Write("bad.csv", bad));
    auto refused = Load({"bad.csv", "wide.csv"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.output.find("tidemark-load: " + folder_.File("bad.csv") + ":10: value \"12..5\" is not a number"),
              std::string::npos)
        << refused.output;
    // The other file of the run is still loaded (here: found unchanged).
    EXPECT_NE(refused.output.find("wide.csv: CSV (wide form), 1 series, 0 rows added"), std::string::npos);
    EXPECT_EQ(Scalar(Db(), "SELECT count(*) || '/' || round(sum(value), 6) FROM runit"), rows);
    EXPECT_EQ(Scalar(Db(), "SELECT date_time FROM rupdate WHERE datatype_site_id = 0"), stamp);

    auto usage = testsupport::RunProgram({TIDEMARK_LOAD_EXE, "--tz", "Nowhere/Atlantis", "x.csv"},
                                         folder_.File("usage.log"), 30);
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.output.find("unknown time zone \"Nowhere/Atlantis\""), std::string::npos) << usage.output;
}

TEST_F(LoadProgram, AKillLeavesTheDatabaseAsBeforeTheFileOrWithAllOfIt) {
    ASSERT_EQ(Load({"long.csv"}).exitCode, 0);
    const std::string count =
        "SELECT count(*) || '/' || (SELECT count(*) FROM rhour) || '/' || "
        "(SELECT count(*) FROM rsite) FROM runit";
    const std::string before = Scalar(Db(), count);
    // Twenty new series of a month of 5-minute values: long enough to be killed within.
    std::string big = "date_time";
    for (int s = 0; s < 20; ++s) big += ",Gauge " + std::to_string(s) + "|Stage|ft";
    big += "\n";
    for (Seconds t = Start(); t < Start() + 30 * 86400; t += 300) {
        if (t >= SecondsFromCivil(2024, 3, 10, 2, 0, 0) && t < SecondsFromCivil(2024, 3, 10, 3, 0, 0)) continue;
        big += StoredText(t);
        for (int s = 0; s < 20; ++s) big += "," + std::to_string(s + (t % 86400) / 1e5);
        big += "\n";
    }
    ASSERT_TRUE(folder_.Write("big.csv", big));
    pid_t pid = 0;
    ASSERT_EQ(testsupport::SpawnWithOutput(
                  {TIDEMARK_LOAD_EXE, "--folder", folder_.Path(), "--tz", "America/New_York", folder_.File("big.csv")},
                  folder_.File("big.log"), pid),
              0);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    // The next session of the loader puts back what a killed one left.
    auto next = Load({"long.csv"});
    EXPECT_EQ(next.exitCode, 0) << next.output;
    EXPECT_EQ(Scalar(Db(), "PRAGMA integrity_check"), "ok");
    const std::string after = Scalar(Db(), count);
    const std::string complete =
        std::to_string(284 + 20 * (8640 - 12)) + "/" + std::to_string(71 + 20 * (720 - 1)) + "/21";
    EXPECT_TRUE(after == before || after == complete) << after << " (before: " << before << ")";
}

TEST_F(LoadProgram, AWatchedFolderTakesDroppedFilesAndSetsTheBadOnesAside) {
    const std::string drop = folder_.File("drop/");
    fs::create_directories(drop);
    pid_t pid = 0;
    ASSERT_EQ(testsupport::SpawnWithOutput(
                  {TIDEMARK_LOAD_EXE, "--folder", folder_.Path(), "--tz", "America/New_York", "--watch", drop},
                  folder_.File("watch.log"), pid),
              0);
    // Written under a temporary name, then renamed, as loggers do.
    ASSERT_TRUE(WriteFileAtomic(drop + ".incoming.tmp", WideCsv()));
    fs::rename(drop + ".incoming.tmp", drop + "rain.csv");
    ASSERT_TRUE(WriteFileAtomic(drop + "broken.csv", "date_time,Creek\n2024-03-09 00:00,x\n"));
    bool done = false;
    for (int i = 0; i < 150 && !done; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        done = fs::exists(drop + "loaded/rain.csv") && fs::exists(drop + "failed/broken.csv.reason.txt");
    }
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const std::string log = testsupport::ReadWholeFile(folder_.File("watch.log"));
    ASSERT_TRUE(done) << log;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
    EXPECT_FALSE(fs::exists(drop + "rain.csv"));
    EXPECT_EQ(Scalar(Db(), "SELECT count(*) FROM rday WHERE datatype_site_id = 1001"), "3");
    EXPECT_NE(ReadFileBytes(drop + "failed/broken.csv.reason.txt").value_or("").find(":2: value \"x\" is not a number"),
              std::string::npos);
}

}  // namespace
