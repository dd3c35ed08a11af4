#include "core/text_limits.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

using namespace tidemark;

namespace {

class LimitedFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() / ("tm_limits_" + std::to_string(::getpid()) + "_" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
        path_ = (folder_ / "file.txt").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    LineRead Read(const std::string& bytes, size_t maxLines = static_cast<size_t>(-1)) {
        std::ofstream(path_, std::ios::binary) << bytes;
        return ReadLinesLimited(path_, maxLines);
    }

    std::filesystem::path folder_;
    std::string path_;
};

const std::string kLongest(kLongestTextLine, 'x');

}  // namespace

TEST(TextLimits, ExcerptCutsLongValuesAndSaysSo) {
    EXPECT_EQ(Excerpt("short"), "short");
    EXPECT_EQ(Excerpt(std::string(200, 'a')), std::string(200, 'a'));
    EXPECT_EQ(Excerpt(std::string(100000, 'a')), std::string(200, 'a') + "... (100000 characters)");
}

TEST(TextLimits, FirstLongLineCountsLinesAsTheReadersDo) {
    EXPECT_EQ(FirstLongLine(""), 0u);
    // A line of exactly the limit is kept, with either line end.
    EXPECT_EQ(FirstLongLine("a\r\n" + kLongest + "\r\nb"), 0u);
    EXPECT_EQ(FirstLongLine("a\n" + kLongest), 0u);
    EXPECT_EQ(FirstLongLine("a\r\nb\r\n" + kLongest + "x\r\n"), 3u);
    // A lone CR ends a line only where the reader takes it so.
    const std::string crLines = "a\r" + kLongest + "\rb";
    EXPECT_EQ(FirstLongLine(crLines, true), 0u);
    EXPECT_EQ(FirstLongLine(crLines, false), 1u);
}

TEST_F(LimitedFile, ReadsLinesAsSplitLinesUpToTheLimit) {
    LineRead r = Read("one\r\ntwo\rstill two\n\n" + kLongest + "\r\nlast");
    ASSERT_EQ(r.status, LineReadStatus::Read) << r.fault;
    EXPECT_EQ(r.lines, (std::vector<std::string>{"one", "two\rstill two", "", kLongest, "last"}));
    EXPECT_EQ(Read("").lines.size(), 0u);
    EXPECT_EQ(Read("a\r\n").lines, std::vector<std::string>{"a"});
}

TEST_F(LimitedFile, ALongLineEndsTheReadNamingTheFileAndLine) {
    // Longer than the buffer the reader fills at a time, so the line is seen across reads.
    LineRead r = Read("one\r\ntwo\r\n" + std::string(1 << 20, 'y') + "\r\nfour\r\n");
    EXPECT_EQ(r.status, LineReadStatus::LineTooLong);
    EXPECT_EQ(r.longLine, 3u);
    EXPECT_EQ(r.lines, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(r.fault, "Line 3 of " + path_ + " is longer than 65536 characters");

    // One character over, on the last line without a line end.
    r = Read("one\n" + kLongest + "x");
    EXPECT_EQ(r.status, LineReadStatus::LineTooLong);
    EXPECT_EQ(r.longLine, 2u);
}

TEST_F(LimitedFile, StopsAfterTheLinesAskedFor) {
    // Whatever follows the lines asked for is not read, long or not.
    LineRead r = Read("a\r\nb\r\n" + std::string(1 << 20, 'z'), 2);
    ASSERT_EQ(r.status, LineReadStatus::Read) << r.fault;
    EXPECT_EQ(r.lines, (std::vector<std::string>{"a", "b"}));
}

TEST_F(LimitedFile, AFileThatCannotBeOpenedIsNamed) {
    LineRead r = ReadLinesLimited((folder_ / "missing.txt").string());
    EXPECT_EQ(r.status, LineReadStatus::CannotRead);
    EXPECT_NE(r.fault.find("missing.txt"), std::string::npos);
}
