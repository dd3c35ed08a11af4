// The built program's --help, --version and command-line mistakes: which stream each
// text goes to and the exit status scripts and service managers act on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_program.h"
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
        for (const char* status : {"\n  0  ", "\n  1  ", "\n  2  "}) EXPECT_NE(r.out.find(status), std::string::npos);
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

}  // namespace
