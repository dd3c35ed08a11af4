// Setup files damaged the ways files on a real machine get damaged, given to the built
// program: what cannot load is told with the file and the line and ends the program
// with status 1; what can load loads. Never a crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/textfile.h"
#include "core/vbtext.h"
#include "support/run_program.h"
#include "support/setup_text.h"
#include "support/sqlite_fixture.h"

using namespace tidemark;
using namespace tidemark::testsupport;

namespace {

std::string GraphLine(int n, const std::string& station) {
    return " " + std::to_string(n) + " ; 101 ;Stage;" + station +
           "; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; 0 ; 0 ; 0 ; 0 ";
}

// Two pages of one graph each; the first graph's station is `station`.
std::string SetupFile(const std::string& station) {
    return SqliteSetupText(3, 0,
                           {" 1 ;Rivers; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", GraphLine(1, station),
                            " 2 ;Lakes; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", GraphLine(1, "Lake")});
}

std::string Replaced(const std::string& text, const std::string& from, const std::string& to) {
    return ReplaceAll(text, from, to);
}

struct Case {
    std::string name;
    std::string bytes;
    int exit;                        // 1: the setup cannot load
    std::vector<std::string> texts;  // on standard error (exit 1) or in the export (exit 0)
};

TEST(BadSetupFiles, AreToldWithTheFileAndLineOrLoadNeverCrash) {
    SqliteFixture db(
        "INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);"
        "INSERT INTO rupdate VALUES (0, 'logger', '2026-03-10 13:05:00');"
        "INSERT INTO rhour VALUES (101, '2026-03-10 11:00:00', 2.75);");
    ASSERT_TRUE(db.ok()) << db.error();
    const std::string good = SetupFile("Creek");
    const std::string path = db.Folder() + "Tidemark_setup.txt";
    std::string binary;
    for (int i = 0; i < 2048; ++i) binary += static_cast<char>(i % 256);

    const std::vector<Case> cases = {
        {"truncated in the top section",
         good.substr(0, good.find("Font Names")),
         1,
         {path, "ends at line 5; its top section needs 10 lines"}},
        // The cut graph line has too few fields left to be one; the missing END tells the cut.
        {"truncated in a graph line",
         good.substr(0, good.rfind("Lake")),
         1,
         {path, "ends at line 16 without its END line", "on page #2, line#16"}},
        // Once loaded empty, or failed at a later page's line where a graph needed the days.
        {"a day window that ends before it starts",
         Replaced(good, "Days = 3 ; End Day +0", "Days = -5 ; End Day +0"),
         1,
         {path, "Line 1: Days -5 and End Day 0 leave a window of -5 days", "top section: Days = -5 ; End Day +0"}},
        {"a page time beyond 16 bits",
         Replaced(good, "Auto Paging = ", "Auto Paging = True, 1e308 ; "),
         1,
         {path, "Line 5: Page time: \" 1E308 ; ", "top section: Auto Paging = True, 1e308"}},
        {"binary", binary, 1, {path, "not a text file"}},
        {"a NUL byte", Replaced(good, "Creek", std::string("Cr\0eek", 6)), 1, {path, "NUL byte on line 14"}},
        {"a 1 MB line",
         Replaced(good, "Creek", std::string(1 << 20, 'x')),
         1,
         {path, "Line 14 of the setup file is longer than 65536 characters"}},
        // Refused by its size, before it is read.
        {"5 MB", good + std::string(5 << 20, '\n'), 1, {path, "is at most 4194304 bytes (4 MB)"}},
        {"CR-only line ends", Replaced(good, "\r\n", "\r"), 0, {"\"Rivers\"", "Creek"}},
        // Bytes beyond ASCII are Windows-1252, so UTF-8 reads as its Windows-1252 letters.
        {"Windows-1252 bytes",
         Replaced(good, "Creek",
                  "Cr\xe9"
                  "ek \x96 \x80"),
         0,
         {"Cr\u00e9ek \u2013 \u20ac"}},
        {"UTF-8 bytes",
         Replaced(good, "Creek",
                  "Cr\xc3\xa9"
                  "ek"),
         0,
         {"Cr\u00c3\u00a9ek"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileAtomic(path, c.bytes));
        const std::string json = db.Folder() + "pages.json";
        RemoveFile(json);
        SeparateStreamsResult r = RunProgramSeparately(
            {TIDEMARK_EXE, "--folder", db.Folder(), "--export-json", json, "--now", "2026-03-10 14:00"},
            db.Folder() + "out.log", db.Folder() + "err.log", 60);
        EXPECT_EQ(r.exitCode, c.exit) << r.err;
        const std::string told = c.exit == 0 ? ReadWholeFile(json) : r.err;
        for (const std::string& text : c.texts) EXPECT_NE(told.find(text), std::string::npos) << text << "\n" << told;
    }

    // A folder of the setup file's name is no missing file.
    ASSERT_TRUE(RemoveFile(path));
    ASSERT_TRUE(std::filesystem::create_directory(path));
    SeparateStreamsResult r = RunProgramSeparately({TIDEMARK_EXE, "--folder", db.Folder(), "--export-json",
                                                    db.Folder() + "pages.json", "--now", "2026-03-10 14:00"},
                                                   db.Folder() + "out.log", db.Folder() + "err.log", 60);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("is a folder, not a file"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("not found"), std::string::npos) << r.err;
}

}  // namespace

TEST(BadSetupFiles, RepeatedPagesLoadAndAreToldOnceOnStandardError) {
    SqliteFixture db("INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);");
    ASSERT_TRUE(db.ok()) << db.error();
    const std::string text = SqliteSetupText(3, 0,
                                             {" 1 ;Rivers; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", GraphLine(1, "Creek"),
                                              GraphLine(1, "Creek again"), " 1 ;Lakes; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON"});
    const std::string path = db.Folder() + "Tidemark_setup.txt";
    ASSERT_TRUE(WriteFileAtomic(path, text));
    const std::string json = db.Folder() + "pages.json";
    SeparateStreamsResult r = RunProgramSeparately(
        {TIDEMARK_EXE, "--folder", db.Folder(), "--export-json", json, "--now", "2026-03-10 14:00"},
        db.Folder() + "out.log", db.Folder() + "err.log", 60);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "Reading setup file " + path +
                         ": these lines load, but probably not as meant: / Line 15: graph 1 of page 1 is defined "
                         "again (first on line 14); this line counts / Line 16: page 1 is defined again (first on "
                         "line 13)\n");
    EXPECT_NE(ReadWholeFile(json).find("Creek again"), std::string::npos);
}
