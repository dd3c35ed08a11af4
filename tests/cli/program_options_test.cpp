// The built program's --help, --version and command-line mistakes: which stream each
// text goes to and the exit status scripts and service managers act on.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <ctime>
#include <string>
#include <vector>

#include "core/textfile.h"
#include "support/run_program.h"
#include "support/setup_text.h"
#include "support/sqlite_fixture.h"
#include "support/temp_folder.h"

using namespace tidemark;
using testsupport::RunProgramSeparately;
using testsupport::SeparateStreamsResult;
using testsupport::TempFolder;

namespace {

class ProgramOptionsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.ok()) << folder_.error(); }

    SeparateStreamsResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), TIDEMARK_EXE);
        return RunProgramSeparately(args, folder_.File("out.txt"), folder_.File("err.txt"), 60);
    }

    static std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

    TempFolder folder_;
};

TEST_F(ProgramOptionsTest, VersionNamesTheProgramAndItsNumberOnStandardOutput) {
    SeparateStreamsResult r = Run({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(FirstLine(r.out), std::string("tidemark (Tidemark) ") + TIDEMARK_PROJECT_VERSION);
    EXPECT_NE(r.out.find("\nCopyright (C) "), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
}

TEST_F(ProgramOptionsTest, HelpGoesToStandardOutputWithTheExitStatuses) {
    for (const char* option : {"--help", "-h"}) {
        SCOPED_TRACE(option);
        SeparateStreamsResult r = Run({option});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out.rfind("Usage: tidemark ", 0), 0u) << r.out;
        EXPECT_NE(r.out.find("Exit status:"), std::string::npos);
        for (const char* status : {"\n  0  ", "\n  1  ", "\n  2  ", "\n  3  "})
            EXPECT_NE(r.out.find(status), std::string::npos);
        EXPECT_NE(r.out.find("--render-pages OUTDIR"), std::string::npos);
        EXPECT_EQ(r.err, "");
    }
}

// A mistake is told in two lines on standard error, the GNU way, and nothing starts.
TEST_F(ProgramOptionsTest, MistakesEndWithStatusTwoAndAPointerToHelp) {
    struct Case {
        std::vector<std::string> args;
        std::string firstLine;
    };
    const std::vector<Case> cases = {
        {{"--frobnicate"}, "tidemark: unrecognized option '--frobnicate'"},
        {{"-x"}, "tidemark: invalid option -- 'x'"},
        {{"--folder"}, "tidemark: option '--folder' requires an argument"},
        {{"--headless=yes"}, "tidemark: option '--headless' doesn't allow an argument"},
        {{"--now", "soon"}, "tidemark: invalid date-time 'soon' for --now (use \"YYYY-MM-DD HH:MM\")"},
        {{"99999"}, "tidemark: the number of seconds per page must lie within -32768 to 32767"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        SeparateStreamsResult r = Run(c.args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, c.firstLine + "\nTry 'tidemark --help' for more information.\n");
        EXPECT_EQ(r.out, "");
    }
}

// A run that cannot load its setup ends with status 1, which a service manager counts as
// a failure to restart after; it must not be confused with a mistyped command line.
TEST_F(ProgramOptionsTest, ASetupThatCannotLoadEndsWithStatusOne) {
    SeparateStreamsResult r = Run({"1", "--headless", "--folder", folder_.Path()});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("Tidemark_setup.txt"), std::string::npos) << r.err;

    r = Run({"--folder", folder_.Path(), "--export-json", folder_.File("pages.json")});
    EXPECT_EQ(r.exitCode, 1) << r.err;
}

// Names of folders and files reach the terminal in "Saved... " lines and in faults; an
// escape sequence among them is shown, not obeyed.
TEST(ProgramOutput, ControlCharactersAreShownNotWrittenToTheTerminal) {
    testsupport::SqliteFixture db("INSERT INTO rsite VALUES (101, 'Creek', 1, 'Stage', 'ft', 1);");
    ASSERT_TRUE(db.ok()) << db.error();
    const std::string graph = " 1 ; 101 ;Stage;Creek; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; 65280 ; 2 ; 0 ; 0 ; 0 ";
    ASSERT_TRUE(
        WriteFileAtomic(db.Folder() + "Tidemark_setup.txt",
                        testsupport::SqliteSetupText(3, 0, {" 1 ;Rivers; 10 ; 8 ;-1 ;FTP_ON;UNITS_ON", graph})));
    auto run = [&](const std::string& images) {
        return RunProgramSeparately({TIDEMARK_EXE, "--folder", db.Folder(), "--render-pages", images},
                                    db.Folder() + "out.txt", db.Folder() + "err.txt", 120);
    };
    SeparateStreamsResult r = run(db.Folder() + "out\x1b]0;owned\x07\x1b[2J");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Saved... " + db.Folder() + "out\\x1B]0;owned\\x07\\x1B[2J/Tidemark_window1.png"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(r.out.find('\x07'), std::string::npos);

    // C1 controls too: CSI written in UTF-8 and as the single byte of 8-bit terminals.
    r = run(db.Folder() +
            "c1\xC2\x9B"
            "2J\x9B"
            "2J");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("c1\\xC2\\x9B2J\\x9B2J/Tidemark_window1.png"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\x9B'), std::string::npos);

    // A folder that cannot be made names itself on standard error, escaped.
    ASSERT_TRUE(WriteFileAtomic(db.Folder() + "plain", "a file where a folder should be"));
    r = run(db.Folder() + "plain/\x1b[2Jimages");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("plain/\\x1B[2Jimages"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
}

// A run killed while it replaced a file of its folder left the temporary file behind;
// the next start clears those of the program's own files, and only those, and none that
// a running instance may still be writing.
TEST_F(ProgramOptionsTest, AStartClearsTheProgramsOwnStaleTemporaryFiles) {
    const std::vector<std::string> stale = {"Tidemark_setup.txt.tmp-a1B2c3", "Tidemark_window3.png.tmp-ZZ9zz9",
                                            "Tidemark_autoweb.txt.tmp-000000"};
    const std::vector<std::string> kept = {"notes.txt.tmp-a1B2c3", "Tidemark_setup.txt.tmp-short",
                                           "Tidemark_setup.txt.tmp-young1"};
    for (const auto& name : stale) ASSERT_TRUE(folder_.Write(name, "half"));
    for (const auto& name : kept) ASSERT_TRUE(folder_.Write(name, "half"));
    const std::time_t hourAgo = std::time(nullptr) - 3600;
    for (const auto& name : stale) {
        utimbuf old{hourAgo, hourAgo};
        ASSERT_EQ(::utime(folder_.File(name).c_str(), &old), 0);
    }
    for (const auto& name : {kept[0], kept[1]}) {
        utimbuf old{hourAgo, hourAgo};
        ASSERT_EQ(::utime(folder_.File(name).c_str(), &old), 0);
    }
    // Written after this run starts: still another instance's.
    utimbuf later{std::time(nullptr) + 600, std::time(nullptr) + 600};
    ASSERT_EQ(::utime(folder_.File(kept[2]).c_str(), &later), 0);

    Run({"--folder", folder_.Path(), "--export-json", folder_.File("pages.json")});
    struct stat st {};
    for (const auto& name : stale) EXPECT_NE(::stat(folder_.File(name).c_str(), &st), 0) << name;
    for (const auto& name : kept) EXPECT_EQ(::stat(folder_.File(name).c_str(), &st), 0) << name;
}

}  // namespace
