#include <gtest/gtest.h>

#include "app/command_line.h"

using namespace tidemark;

TEST(CommandLine, SecondsAndPassword) {
    CommandLine cl = ParseCommandLine({"60", "secret"}, "");
    EXPECT_EQ(cl.autostartseconds, 60);
    EXPECT_EQ(cl.password, "secret");
    EXPECT_TRUE(cl.error.empty());

    cl = ParseCommandLine({"30"}, "");
    EXPECT_EQ(cl.autostartseconds, 30);
    EXPECT_EQ(cl.password, "");

    // A negative number is an unattended start whose page time is its absolute value.
    cl = ParseCommandLine({"-45"}, "");
    EXPECT_EQ(cl.autostartseconds, -45);
    EXPECT_EQ(cl.PageSeconds(), 45);

    // No number: a normal start.
    cl = ParseCommandLine({}, "");
    EXPECT_EQ(cl.autostartseconds, 0);
    cl = ParseCommandLine({"abc"}, "");
    EXPECT_EQ(cl.autostartseconds, 0);
}

// Whole seconds as the program's integer conversion makes them: to the nearest, halves
// to even, within 16 bits.
TEST(CommandLine, SecondsRoundToTheNearestWholeNumberHalvesToEven) {
    EXPECT_EQ(ParseCommandLine({"30.7"}, "").autostartseconds, 31);
    EXPECT_EQ(ParseCommandLine({"30.2", "secret"}, "").autostartseconds, 30);
    EXPECT_EQ(ParseCommandLine({"0.6"}, "").autostartseconds, 1);
    EXPECT_EQ(ParseCommandLine({"-0.6"}, "").autostartseconds, -1);
    EXPECT_EQ(ParseCommandLine({"2.5"}, "").autostartseconds, 2);
    EXPECT_EQ(ParseCommandLine({"3.5"}, "").autostartseconds, 4);
    // Half a second is no seconds at all: a normal start.
    EXPECT_EQ(ParseCommandLine({"0.5"}, "").autostartseconds, 0);

    EXPECT_EQ(ParseCommandLine({"32767.4"}, "").autostartseconds, 32767);
    EXPECT_EQ(ParseCommandLine({"-32768"}, "").autostartseconds, -32768);
    EXPECT_EQ(ParseCommandLine({"-32768"}, "").PageSeconds(), 32768);
    EXPECT_FALSE(ParseCommandLine({"32767.5"}, "").error.empty());
    EXPECT_FALSE(ParseCommandLine({"-32768.6"}, "").error.empty());
}

TEST(CommandLine, PasswordFromTheEnvironmentUnlessGiven) {
    EXPECT_EQ(ParseCommandLine({"60"}, "fromenv").password, "fromenv");
    EXPECT_EQ(ParseCommandLine({"60", "given"}, "fromenv").password, "given");
    // Words after the first space form the password, as one trimmed text.
    EXPECT_EQ(ParseCommandLine({"60", "two", "words"}, "").password, "two words");
}

TEST(CommandLine, OptionsBesideTheNumber) {
    CommandLine cl = ParseCommandLine({"--folder", "/srv/tm", "1", "--headless"}, "");
    EXPECT_EQ(cl.folder, "/srv/tm/");
    EXPECT_EQ(cl.autostartseconds, 1);
    EXPECT_TRUE(cl.headless);
    EXPECT_EQ(cl.password, "");

    cl = ParseCommandLine({"--folder=/srv/tm/", "--export-json=out.json", "--now", "2026-03-10 14:00"}, "");
    EXPECT_EQ(cl.folder, "/srv/tm/");
    EXPECT_EQ(cl.exportJson, "out.json");
    EXPECT_EQ(cl.now, "2026-03-10 14:00");
    EXPECT_TRUE(cl.error.empty());

    cl = ParseCommandLine({"--render-pages", "web", "--each-graph"}, "secret");
    EXPECT_EQ(cl.renderPages, "web/");
    EXPECT_TRUE(cl.eachGraph);
    EXPECT_EQ(cl.password, "secret");
    EXPECT_TRUE(cl.error.empty());

    EXPECT_TRUE(ParseCommandLine({"--help"}, "").help);
    EXPECT_TRUE(ParseCommandLine({"--version"}, "").version);
    // The splash window's label and the banner of --version carry the same number.
    ASSERT_EQ(VersionText().rfind("Version ", 0), 0u);
    EXPECT_EQ(VersionBanner().rfind("tidemark (Tidemark) " + VersionText().substr(8) + "\n", 0), 0u);
}

// After "--" every word is plain: a password may begin with "-" or "--".
TEST(CommandLine, DoubleDashEndsTheOptions) {
    CommandLine cl = ParseCommandLine({"--folder", "/srv/tm", "--", "60", "--headless"}, "");
    EXPECT_TRUE(cl.error.empty()) << cl.error;
    EXPECT_EQ(cl.autostartseconds, 60);
    EXPECT_EQ(cl.password, "--headless");
    EXPECT_FALSE(cl.headless);
}

// A dash before the seconds is an option unless a number follows it; after the seconds
// the words are the password, whatever they start with.
TEST(CommandLine, ShortOptionsAreToldApartFromNegativeSecondsAndPasswords) {
    EXPECT_EQ(ParseCommandLine({"-v"}, "").error, "invalid option -- 'v'");
    EXPECT_TRUE(ParseCommandLine({"-h"}, "").help);
    EXPECT_EQ(ParseCommandLine({"-.6"}, "").autostartseconds, -1);

    CommandLine cl = ParseCommandLine({"60", "-pass"}, "");
    EXPECT_TRUE(cl.error.empty()) << cl.error;
    EXPECT_EQ(cl.password, "-pass");
}

TEST(CommandLine, MistakesAreNamed) {
    EXPECT_EQ(ParseCommandLine({"--version=2"}, "").error, "option '--version' doesn't allow an argument");
    // The first mistake is the one told.
    EXPECT_EQ(ParseCommandLine({"--bad", "--worse"}, "").error, "unrecognized option '--bad'");
    EXPECT_EQ(CommandLineErrorText("unrecognized option '--bad'"),
              "tidemark: unrecognized option '--bad'\nTry 'tidemark --help' for more information.\n");
    EXPECT_NE(ParseCommandLine({"--frobnicate"}, "").error.find("--frobnicate"), std::string::npos);
    EXPECT_NE(ParseCommandLine({"--folder"}, "").error.find("--folder"), std::string::npos);
    EXPECT_NE(ParseCommandLine({"--now", "tomorrow"}, "").error.find("--now"), std::string::npos);
    EXPECT_FALSE(ParseCommandLine({"99999"}, "").error.empty());
    EXPECT_EQ(ParseCommandLine({"--each-graph"}, "").error, "option '--each-graph' goes with '--render-pages'");
    EXPECT_EQ(ParseCommandLine({"--render-pages", "a", "--export-json", "b"}, "").error,
              "options '--render-pages' and '--export-json' cannot be combined");
}
