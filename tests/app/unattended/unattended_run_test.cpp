// `tidemark 1 --folder DIR` without a display: an image of every page that is published,
// each the size of the window's client area and showing every graph's backdrop in its
// cell, and the program ends by itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/textfile.h"
#include "pages/layout.h"
#include "support/run_program.h"
#include "support/setup_text.h"
#include "support/sqlite_fixture.h"
#include "support/temp_folder.h"

#include <QColor>
#include <QImage>

using namespace tidemark;
using namespace tidemark::testsupport;

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

struct Graph {
    int dsid;
    int32_t backcolor;
};

std::string SetupText(const std::vector<std::vector<Graph>>& pages, int ftpOffPage) {
    std::vector<std::string> lines;
    for (size_t p = 0; p < pages.size(); ++p) {
        int page = static_cast<int>(p) + 1;
        lines.push_back(" " + std::to_string(page) + " ;Page " + std::to_string(page) + "; 10 ; 8 ;-1 ;" +
                        (page == ftpOffPage ? "FTP_OFF" : "FTP_ON") + ";UNITS_ON");
        for (size_t g = 0; g < pages[p].size(); ++g)
            lines.push_back(" " + std::to_string(g + 1) + " ; " + std::to_string(pages[p][g].dsid) +
                            " ;Stage;Creek; 0 ; 0 ; 0 ; " + std::to_string(pages[p][g].backcolor) +
                            " ; 16777215 ; 255 ; 65280 ; 0 ; 0 ; 0 ; 0 ");
    }
    return SqliteSetupText(3, 0, lines, {.fontName = "Liberation Sans", .startUp = "0,0,800,600,2"});
}

const char* kRows =
    "INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);"
    "INSERT INTO rsite VALUES (102, 'River', 1, 'Stage', 'ft', 2);"
    "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');"
    "INSERT INTO rhour VALUES (101, '2026-03-10 10:00:00', 2.5);"
    "INSERT INTO rhour VALUES (101, '2026-03-10 11:00:00', 2.75);"
    "INSERT INTO rhour VALUES (102, '2026-03-10 11:00:00', 7.125);";

// The offscreen platform with a screen of kScreenWidth x kScreenHeight for the program.
bool GiveTheProgramAScreen(const TempFolder& work) {
    if (!work.Write("screen.json", "{\"screens\":[{\"name\":\"s1\",\"x\":0,\"y\":0,\"width\":" +
                                       std::to_string(kScreenWidth) + ",\"height\":" + std::to_string(kScreenHeight) +
                                       ",\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}"))
        return false;
    return setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + work.File("screen.json")).c_str(), 1) == 0;
}

QColor Color(int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

int Distinct(const QImage& image) {
    std::vector<QRgb> seen;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7) {
            QRgb c = image.pixel(x, y);
            if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
            if (seen.size() > 20) return static_cast<int>(seen.size());
        }
    return static_cast<int>(seen.size());
}

}  // namespace

TEST(UnattendedRun, WritesEveryPublishedPageAndEndsByItself) {
    SqliteFixture db(kRows);
    ASSERT_TRUE(db.ok()) << db.error();
    const std::vector<std::vector<Graph>> pages = {
        {{101, 0xF0E9E4}, {102, 0xD0F0D0}},
        {{102, 0xC0E0FF}},
        {{101, 0xE0E0E0}},  // not published
        {{101, 0xD0D0F8}, {102, 0xF8D0D0}, {101, 0xD8F8F8}, {102, 0xE8E0C8}},
    };
    ASSERT_TRUE(WriteFileAtomic(db.Folder() + "Tidemark_setup.txt", SetupText(pages, 3)));

    TempFolder work;
    ASSERT_TRUE(GiveTheProgramAScreen(work));
    ProgramResult run = RunProgram(
        {TIDEMARK_EXE, "1", "--folder", db.Folder(), "--headless", "--now", "2026-03-10 14:00"}, work.File("run.out"));
    ASSERT_EQ(run.exitCode, 0) << run.output;

    QSize size;
    for (int page : {1, 2, 4}) {
        std::string path = db.Folder() + "Tidemark_window" + std::to_string(page) + ".png";
        EXPECT_NE(run.output.find("Saved... " + path), std::string::npos) << run.output;
        QImage image(QString::fromStdString(path));
        ASSERT_FALSE(image.isNull()) << path;
        if (size.isEmpty()) size = image.size();
        // The maximised window's client area: the screen less any frame.
        EXPECT_EQ(image.size(), size);
        EXPECT_LE(image.width(), kScreenWidth);
        EXPECT_GE(image.width(), kScreenWidth - 20);
        EXPECT_LE(image.height(), kScreenHeight);
        EXPECT_GE(image.height(), kScreenHeight - 40);
        EXPECT_GT(Distinct(image), 5) << path << " looks blank";

        // Each graph's backdrop colour at the top corners of its cell.
        const std::vector<Graph>& graphs = pages[static_cast<size_t>(page - 1)];
        int n = static_cast<int>(graphs.size());
        double W = image.width() * 15.0, H = image.height() * 15.0 - kBottomBand;
        for (int s = 0; s < n; ++s) {
            WindowRect cell = ChartRectFor(n, s, W, H);
            int left = static_cast<int>(std::lround(cell.left / 15)) + 2;
            int right = static_cast<int>(std::lround(cell.Right() / 15)) - 3;
            int top = std::max(0, static_cast<int>(std::lround(cell.top / 15))) + 2;
            QColor expected = Color(graphs[static_cast<size_t>(s)].backcolor);
            EXPECT_EQ(image.pixelColor(left, top), expected) << path << " graph " << s + 1;
            EXPECT_EQ(image.pixelColor(right, top), expected) << path << " graph " << s + 1;
        }
    }
    EXPECT_FALSE(FileExists(db.Folder() + "Tidemark_window3.png"));
    EXPECT_FALSE(FileExists(db.Folder() + "Tidemark_window5.png"));
}

// The number of seconds is taken as a whole number the way the program converts all
// numbers, halves to even: 0.6 is one second, an unattended start, not 0, a normal one.
TEST(UnattendedRun, AFractionOfASecondRoundsToAWholeSecond) {
    SqliteFixture db(kRows);
    ASSERT_TRUE(db.ok()) << db.error();
    ASSERT_TRUE(
        WriteFileAtomic(db.Folder() + "Tidemark_setup.txt", SetupText({{{101, 0xF0E9E4}}, {{102, 0xC0E0FF}}}, 0)));
    TempFolder work;
    ASSERT_TRUE(GiveTheProgramAScreen(work));
    // A normal start would run until it is killed.
    ProgramResult run =
        RunProgram({TIDEMARK_EXE, "0.6", "--folder", db.Folder(), "--headless", "--now", "2026-03-10 14:00"},
                   work.File("run.out"), 30);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(FileExists(db.Folder() + "Tidemark_window1.png")) << run.output;
    EXPECT_TRUE(FileExists(db.Folder() + "Tidemark_window2.png")) << run.output;
}

namespace {

std::vector<std::string> ScreenFilesInTemp() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
        if (entry.path().filename().string().rfind("tidemark-screen-", 0) == 0) names.push_back(entry.path());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// Without a screen of its own the offscreen platform is 800 x 800; the program gives it a
// full-size one for the images, through a file that is gone once the program started.
TEST(UnattendedRun, APlainOffscreenRunPublishesForAFullSizeScreen) {
    SqliteFixture db(kRows);
    ASSERT_TRUE(db.ok()) << db.error();
    ASSERT_TRUE(WriteFileAtomic(db.Folder() + "Tidemark_setup.txt", SetupText({{{101, 0xF0E9E4}}}, 0)));
    TempFolder work;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<std::string> before = ScreenFilesInTemp();
    ProgramResult run =
        RunProgram({TIDEMARK_EXE, "1", "--folder", db.Folder(), "--headless", "--now", "2026-03-10 14:00"},
                   work.File("run.out"), 60);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    QImage image(QString::fromStdString(db.Folder() + "Tidemark_window1.png"));
    ASSERT_FALSE(image.isNull()) << run.output;
    // The maximised window's client area on a 1920 x 1080 screen.
    EXPECT_GE(image.width(), 1900);
    EXPECT_LE(image.width(), 1920);
    EXPECT_GE(image.height(), 1040);
    EXPECT_LE(image.height(), 1080);
    EXPECT_EQ(ScreenFilesInTemp(), before);
}

// Without a screen nobody can answer a message box: a setup that cannot load is told on
// standard error and the program ends with a failure instead of waiting for ever.
TEST(UnattendedRun, AHeadlessStartWithABrokenSetupSaysWhyAndFails) {
    TempFolder folder;
    ASSERT_TRUE(folder.Write("Tidemark_setup.txt", "only one line\r\n"));
    ProgramResult run = RunProgram({TIDEMARK_EXE, "--folder", folder.Path(), "--headless"}, folder.File("run.out"), 60);
    EXPECT_GT(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Tidemark_setup.txt"), std::string::npos) << run.output;
}
