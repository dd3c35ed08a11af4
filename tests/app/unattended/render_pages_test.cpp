// `tidemark --folder DIR --render-pages OUTDIR`: the images of an unattended round of the
// same folder at the same time, pixel for pixel, without its page times; published by
// FTP when the settings name a site and a password is given; a failure to write or send
// ends in exit status 1 with the reason on standard error.
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <QImage>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/color.h"
#include "core/textfile.h"
#include "pages/flood_bands.h"
#include "support/ftp_server.h"
#include "support/loopback.h"
#include "support/pdf_files.h"
#include "support/run_program.h"
#include "support/setup_text.h"
#include "support/sqlite_fixture.h"
#include "support/temp_folder.h"
#include "support/workbook_files.h"

using namespace tidemark;
using namespace tidemark::testsupport;
namespace fs = std::filesystem;

namespace {

constexpr const char* kNow = "2026-03-10 14:00";

// Page 1: a flood-band graph and a graph with a watch level; page 2 is left out of
// publishing; page 3: three graphs; page 4: web screens of a PDF and a workbook, page 5 of
// an HTML page, which the render loads while it draws the graph pages.
std::string SetupText() {
    auto graph = [](int n, int dsid, int32_t back, const std::string& tail) {
        return " " + std::to_string(n) + " ; " + std::to_string(dsid) + " ;Stage;Creek " + std::to_string(n) +
               "; 0 ; 0 ; 0 ; " + std::to_string(back) + " ; 16777215 ; 255 ; 65280 ; " + tail;
    };
    std::vector<std::string> lines = {
        " 1 ;Rivers; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON",          graph(1, 101, 0xF0E9E4, "2.4 ; 0 ; 3 ; 0 ;4;2.6;2.8;3.1"),
        graph(2, 102, 0xD0F0D0, "7.5 ; 0 ; 0 ; 0 "),        " 2 ;Hidden; 10 ; 8 ;-1 ;FTP_OFF;UNITS_ON",
        graph(1, 101, 0xE0E0E0, "0 ; 0 ; 0 ; 0 "),          " 3 ;More; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON",
        graph(1, 102, 0xD0D0F8, "0 ; 0 ; 0 ; 0 "),          graph(2, 101, 0xF8D0D0, "0 ; 0 ; 0 ; 0 "),
        graph(3, 102, 0xD8F8F8, "0 ; 0 ; 0 ; 0 "),          " 4 ;Reports; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON",
        " 1 ;-1 ;Web Screen;report.pdf; 1 ; 0 ; 0 ;-1 ; 0", " 2 ;-1 ;Web Screen;sites.xlsx; 1 ; 0 ; 0 ;-1 ; 0",
        " 5 ;Notes; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON",           " 1 ;-1 ;Web Screen;notes.html; 1 ; 0 ; 0 ;-1 ; 0",
    };
    return SqliteSetupText(3, 0, lines, {.fontName = "Liberation Sans", .startUp = "0,0,800,600,2"});
}

std::string Rows() {
    std::string sql =
        "INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);"
        "INSERT INTO rsite VALUES (102, 'River', 1, 'Stage', 'ft', 2);"
        "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');";
    for (int h = 0; h < 60; ++h) {
        char t[32];
        std::snprintf(t, sizeof t, "2026-03-%02d %02d:00:00", 8 + h / 24, h % 24);
        sql += "INSERT INTO rhour VALUES (101, '" + std::string(t) + "', " + std::to_string(2.3 + 0.012 * h) + ");";
        sql += "INSERT INTO rhour VALUES (102, '" + std::string(t) + "', " + std::to_string(7 + (h % 9) * 0.1) + ");";
    }
    return sql;
}

class RenderPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(db_.ok()) << db_.error();
        ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_setup.txt", SetupText()));
        ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "report.pdf", SolidPagesPdf({"1 0 0", "0 0 1"})));
        ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "notes.html",
                                    "<!DOCTYPE html><html><body style=\"margin:0;background:#10c020\">"
                                    "<h1>Gauge notes</h1></body></html>"));
        std::string error;
        ASSERT_TRUE(WriteWorkbookFromSqlite(db_.Folder() + "tidemark.db", db_.Folder() + "sites.xlsx", &error))
            << error;
        ASSERT_TRUE(work_.Write("screen.json", R"({"screens":[{"name":"s1","x":0,"y":0,"width":1024,"height":768,)"
                                               R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})"));
        ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + work_.File("screen.json")).c_str(), 1);
    }
    void TearDown() override {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::unsetenv("TIDEMARK_FTP_PASSWORD");
    }

    void PublishTo(const std::string& address, const std::string& user, bool eachGraph) const {
        ASSERT_TRUE(WriteFileAtomic(
            db_.Folder() + "Tidemark_autoweb.txt",
            JoinLinesCrLf({address, "", user, eachGraph ? " 1  Separately on/off" : " 0  Separately on/off"})));
    }

    SeparateStreamsResult Render(const std::string& out, bool eachGraph = false) const {
        std::vector<std::string> argv{TIDEMARK_EXE, "--folder", db_.Folder(), "--render-pages", out, "--now", kNow};
        if (eachGraph) argv.push_back("--each-graph");
        return RunProgramSeparately(argv, work_.File("render.out"), work_.File("render.err"), 60);
    }

    // One unattended round; its images are moved to `into`.
    void Round(const std::string& into) const {
        ProgramResult run = RunProgram({TIDEMARK_EXE, "1", "--folder", db_.Folder(), "--headless", "--now", kNow},
                                       work_.File("round.out"), 60);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        fs::create_directories(into);
        for (const auto& e : fs::directory_iterator(db_.Folder()))
            if (e.path().filename().string().rfind("Tidemark_window", 0) == 0)
                fs::rename(e.path(), fs::path(into) / e.path().filename());
    }

    static std::vector<std::string> Images(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    SqliteFixture db_{Rows()};
    TempFolder work_{"tidemark-render"};
};

void ExpectSamePixels(const std::string& expectedPath, const std::string& actualPath) {
    QImage expected(QString::fromStdString(expectedPath)), actual(QString::fromStdString(actualPath));
    ASSERT_FALSE(expected.isNull()) << expectedPath;
    ASSERT_FALSE(actual.isNull()) << actualPath;
    ASSERT_EQ(actual.size(), expected.size()) << actualPath;
    QImage a = actual.convertToFormat(QImage::Format_RGB32), e = expected.convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int y = 0; y < e.height(); ++y)
        for (int x = 0; x < e.width(); ++x)
            if (a.pixel(x, y) != e.pixel(x, y)) ++differing;
    EXPECT_EQ(differing, 0) << actualPath << " differs from " << expectedPath;
}

// Children of this process still running; those that have ended are reaped.
int ProcessesLeftBehind() {
    for (;;) {
        int status = 0;
        pid_t pid = ::waitpid(-1, &status, WNOHANG);
        if (pid > 0) continue;
        // 0: children that have not ended; -1 (no child at all): none.
        return pid == 0 ? 1 : 0;
    }
}

}  // namespace

TEST_F(RenderPagesTest, WritesTheImagesOfAnUnattendedRoundPixelForPixel) {
    PublishTo("", "", false);
    Round(work_.File("round"));
    PublishTo("", "", true);
    Round(work_.File("round-graphs"));

    std::string out = work_.File("out/pages");  // made by the program
    SeparateStreamsResult run = Render(out, true);
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Saved... " + out + "/Tidemark_window3.png"), std::string::npos) << run.out;

    std::vector<std::string> pages = Images(work_.File("round")), graphs = Images(work_.File("round-graphs"));
    EXPECT_EQ(pages, (std::vector<std::string>{"Tidemark_window1.png", "Tidemark_window3.png", "Tidemark_window4.png",
                                               "Tidemark_window5.png"}));
    ASSERT_EQ(graphs.size(), 8u);  // the web screens' cells too
    std::vector<std::string> all = pages;
    all.insert(all.end(), graphs.begin(), graphs.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(Images(out), all);
    for (const std::string& name : pages) ExpectSamePixels(work_.File("round/" + name), out + "/" + name);
    for (const std::string& name : graphs) ExpectSamePixels(work_.File("round-graphs/" + name), out + "/" + name);

    // The flood bands are there: page 1's first graph shows the major band's colour as
    // alpha 100 leaves it on the white plot.
    QImage band(QString::fromStdString(out + "/Tidemark_window_1_1.png"));
    Rgb c = SplitColor(FloodCategoryColor(FloodCategory::Major));
    auto mix = [](int v) { return (v * kFloodBandAlpha + 255 * (255 - kFloodBandAlpha) + 127) / 255; };
    QRgb major = qRgb(mix(c.red), mix(c.green), mix(c.blue));
    int pixels = 0;
    for (int y = 0; y < band.height(); ++y)
        for (int x = 0; x < band.width(); ++x) pixels += band.pixel(x, y) == major;
    EXPECT_GT(pixels, 100);

    // Page 4 shows the PDF's red first page (its blue second one is further down), page 5
    // the HTML page's green: not frames from before the documents were laid out.
    auto count = [](const QImage& image, QRgb colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour;
        return n;
    };
    QImage reports(QString::fromStdString(out + "/Tidemark_window4.png"));
    QImage notes(QString::fromStdString(out + "/Tidemark_window5.png"));
    const int share = reports.width() * reports.height() / 20;
    EXPECT_GT(count(reports, qRgb(255, 0, 0)), share);
    EXPECT_EQ(count(reports, qRgb(0, 0, 255)), 0);
    EXPECT_GT(count(notes, qRgb(0x10, 0xc0, 0x20)), share * 15);
}

TEST_F(RenderPagesTest, SendsEveryImageAndFailsWhenOneCannotBeSentOrWritten) {
    FtpServer server;
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    PublishTo(server.HostAndPort(), server.User(), false);
    ::setenv("TIDEMARK_FTP_PASSWORD", server.Password().c_str(), 1);
    std::string out = work_.File("out");
    SeparateStreamsResult sent = Render(out);
    ASSERT_EQ(sent.exitCode, 0) << sent.out << sent.err;
    for (const char* name : {"Tidemark_window1.png", "Tidemark_window3.png"}) {
        auto local = ReadFileBytes(out + "/" + name);
        ASSERT_TRUE(local) << name;
        EXPECT_EQ(server.Read(name), *local) << name;
    }
    EXPECT_FALSE(server.Exists("Tidemark_window2.png"));

    // A server that is not there: every image is still written, each failure told.
    PublishTo("127.0.0.1:" + std::to_string(FreeLoopbackPort()), server.User(), false);
    ::setenv("TIDEMARK_FTP_TIMEOUT", "2", 1);
    SeparateStreamsResult down = Render(work_.File("down"));
    ::unsetenv("TIDEMARK_FTP_TIMEOUT");
    EXPECT_EQ(down.exitCode, 1) << down.out << down.err;
    EXPECT_NE(down.err.find("Cannot send " + work_.File("down/Tidemark_window1.png")), std::string::npos) << down.err;
    EXPECT_NE(down.err.find("Cannot send " + work_.File("down/Tidemark_window3.png")), std::string::npos) << down.err;
    EXPECT_EQ(down.err.find(server.Password()), std::string::npos);

    // An output folder that cannot be made.
    ::unsetenv("TIDEMARK_FTP_PASSWORD");
    ASSERT_TRUE(work_.Write("a file", "x"));
    SeparateStreamsResult blocked = Render(work_.File("a file/pages"));
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_NE(blocked.err.find(work_.File("a file/pages")), std::string::npos) << blocked.err;

    // An image that cannot be written (a folder holds its name) is told; the pages after
    // it are still written and said.
    std::string partly = work_.File("partly");
    std::filesystem::create_directories(partly + "/Tidemark_window1.png");
    SeparateStreamsResult missed = Render(partly);
    EXPECT_EQ(missed.exitCode, 1);
    EXPECT_NE(missed.err.find(partly + "/Tidemark_window1.png"), std::string::npos) << missed.err;
    EXPECT_EQ(missed.out.find("Saved... " + partly + "/Tidemark_window1.png"), std::string::npos) << missed.out;
    EXPECT_NE(missed.out.find("Saved... " + partly + "/Tidemark_window3.png"), std::string::npos) << missed.out;
    EXPECT_TRUE(ReadFileBytes(partly + "/Tidemark_window3.png"));
}

// The browser engine reports how it started (its graphics, its switches, its sandbox) on
// standard error; the program's own lines stand alone there unless TIDEMARK_DEBUG=1 asks
// for the engine's too.
TEST_F(RenderPagesTest, TheBrowserEngineKeepsItsDiagnosticsOffStandardErrorUnlessDebugging) {
    // Orphans of the program become this process's children, so a browser process the
    // render leaves behind is found below.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    TempFolder out("tidemark-render-out");
    // A private runtime folder, as a desktop session gives one: without it Qt says so.
    TempFolder runtime("tidemark-runtime");
    ASSERT_EQ(::chmod(runtime.Path().c_str(), 0700), 0);
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    SeparateStreamsResult quiet = Render(out.Path());
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(quiet.out.find("WebEngine"), std::string::npos) << quiet.out;
    EXPECT_EQ(ProcessesLeftBehind(), 0);

    ::setenv("TIDEMARK_DEBUG", "1", 1);
    SeparateStreamsResult debugging = Render(out.Path());
    ::unsetenv("TIDEMARK_DEBUG");
    ::unsetenv("XDG_RUNTIME_DIR");
    ASSERT_EQ(debugging.exitCode, 0) << debugging.err;
    EXPECT_NE(debugging.err, "");
}
