#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/textfile.h"

using namespace tidemark;

TEST(TextFile, SplitAcceptsCrLfAndLf) {
    EXPECT_EQ(SplitLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitLines("x\ry\r\n"), (std::vector<std::string>{"x\ry"}));
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(JoinLinesCrLf({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(TextFile, AtomicWriteReplacesAndKeepsBytes) {
    auto dir = std::filesystem::temp_directory_path() / ("tm_textfile_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string path = (dir / "f.txt").string();
    std::string bytes = "caf\xe9\r\nline\r\n";
    ASSERT_TRUE(WriteFileAtomic(path, bytes));
    EXPECT_EQ(ReadFileBytes(path), bytes);
    ASSERT_TRUE(WriteFileAtomic(path, "new"));
    EXPECT_EQ(ReadFileBytes(path), "new");
    // No temporary files are left behind.
    int count = 0;
    for (auto& e : std::filesystem::directory_iterator(dir)) {
        (void)e;
        ++count;
    }
    EXPECT_EQ(count, 1);
    // A folder that does not exist fails with a message and writes nothing.
    Result<void> written = WriteFileAtomic((dir / "no" / "f.txt").string(), "x");
    EXPECT_FALSE(written);
    EXPECT_FALSE(written.error().empty());
    EXPECT_FALSE(ReadFileBytes((dir / "missing.txt").string()));
    std::filesystem::remove_all(dir);
}
