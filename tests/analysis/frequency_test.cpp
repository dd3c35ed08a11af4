#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "analysis/frequency.h"
#include "core/color.h"
#include "core/textfile.h"

using namespace tidemark;

namespace {

const char* kHeader = "Duration\t1\t2\t5\t10\t25\t50\t100\t200\t500\t1000";

class FrequencyFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() / ("tm_frequency_" + std::to_string(::getpid()) + "_" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
        path_ = (folder_ / "Tidemark_Frequency.txt").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    FrequencyLoadResult Load(const std::string& text) {
        EXPECT_TRUE(WriteFileAtomic(path_, text));
        return ReadFrequencyTable(path_, table_);
    }

    std::filesystem::path folder_;
    std::string path_;
    FrequencyTable table_;
};

// A loaded table from rows of depths (first element: minutes), header intervals given.
FrequencyTable MakeTable(std::vector<double> header, std::vector<std::vector<double>> rows) {
    FrequencyTable t;
    t.columns = static_cast<int16_t>(header.size() - 1);
    t.header = header;
    t.rows = static_cast<int16_t>(rows.size());
    t.depth.assign(header.size(), std::vector<double>(rows.size() + 1, 0.0));
    t.minutes.assign(rows.size() + 1, 0);
    t.steps.assign(rows.size() + 1, 0);
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) t.depth[c][r + 1] = rows[r][c];
        t.minutes[r + 1] = static_cast<int16_t>(rows[r][0]);
        t.steps[r + 1] = static_cast<int16_t>(rows[r][0] / 5);
    }
    t.loaded = true;
    return t;
}

const FrequencyTable kTenColumns = MakeTable(
    {0, 1, 2, 5, 10, 25, 50, 100, 200, 500, 1000},
    {{5, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0, 1.1, 1.2}, {60, 0.9, 1.2, 1.6, 1.9, 2.3, 2.6, 3.0, 3.3, 3.8, 4.2}});

}  // namespace

TEST(Getfrequency, InterpolatesInTheLogarithmOfTheYears) {
    EXPECT_DOUBLE_EQ(Getfrequency(1.05, kTenColumns, 60), 1.4);  // sqrt 2 after rounding
    EXPECT_DOUBLE_EQ(Getfrequency(1.2, kTenColumns, 60), 2);     // on a table depth
    EXPECT_DOUBLE_EQ(Getfrequency(0.9, kTenColumns, 60), 1);
    EXPECT_DOUBLE_EQ(Getfrequency(0.45, kTenColumns, 60), 0.5);  // below the first depth
    EXPECT_DOUBLE_EQ(Getfrequency(0, kTenColumns, 60), 0);
    EXPECT_DOUBLE_EQ(Getfrequency(0.35, kTenColumns, 5), 1.4);
    EXPECT_DOUBLE_EQ(Getfrequency(4.2, kTenColumns, 60), 1000);
}

TEST(Getfrequency, NoRowForTheDurationGivesZero) {
    EXPECT_EQ(Getfrequency(1.0, kTenColumns, 45), 0);
    EXPECT_EQ(Getfrequency(1.0, FrequencyTable{}, 60), 0);
}

TEST(Getfrequency, ExtrapolatesAlongTheLastTwoColumns) {
    // Ten columns: beyond 1000 years along 500-1000 (0.4 more depth doubles the years).
    EXPECT_DOUBLE_EQ(Getfrequency(4.6, kTenColumns, 60), 2000);
    // Fewer columns: the same along their own last two.
    auto three = MakeTable({0, 1, 10, 100}, {{60, 1, 2, 3}});
    EXPECT_DOUBLE_EQ(Getfrequency(2.5, three, 60), 32);  // 10^1.5
    EXPECT_DOUBLE_EQ(Getfrequency(4, three, 60), 1000);
    // One column: the straight line through the origin's interval goes on.
    auto one = MakeTable({0, 1}, {{60, 2}});
    EXPECT_DOUBLE_EQ(Getfrequency(3, one, 60), 1.5);
}

TEST(Getfrequency, MoreThanTenColumnsAreUsed) {
    auto twelve = MakeTable({0, 1, 2, 5, 10, 25, 50, 100, 200, 500, 1000, 2000, 5000},
                            {{60, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}});
    EXPECT_DOUBLE_EQ(Getfrequency(11, twelve, 60), 2000);
    EXPECT_DOUBLE_EQ(Getfrequency(12, twelve, 60), 5000);
}

TEST(Getfrequency, UnusableTablesGiveZeroNeverNanOrInfinity) {
    auto zeroRow = MakeTable({0, 1, 2, 5}, {{60, 0, 0, 0}});
    auto badYears = MakeTable({0, 1, 0, -5}, {{60, 1, 2, 3}});
    auto flatTop = MakeTable({0, 1, 2, 5}, {{60, 1, 2, 2}});
    auto steep = MakeTable({0, 1, 1e300}, {{60, 1, 1.0000001}});
    FrequencyTable ragged = kTenColumns;
    ragged.depth.resize(3);  // a table built by hand with missing columns
    struct Case {
        const FrequencyTable* table;
        double depth;
    };
    for (Case c : {Case{&zeroRow, 0},
                   {&zeroRow, 1},
                   {&badYears, 1.5},
                   {&badYears, 2.5},
                   {&flatTop, 3},
                   {&steep, 5},
                   {&ragged, 5},
                   {&kTenColumns, -9998},
                   {&kTenColumns, NAN},
                   {&kTenColumns, INFINITY}}) {
        double years = Getfrequency(c.depth, *c.table, 60);
        EXPECT_TRUE(std::isfinite(years)) << c.depth;
        EXPECT_EQ(years, 0) << c.depth;
    }
    EXPECT_DOUBLE_EQ(Getfrequency(2, flatTop, 60), 2);  // the usable part still answers
    // A missing value stays missing, whatever the table holds.
    EXPECT_EQ(Getfrequency(kMissing, kTenColumns, 60), kMissing);
    EXPECT_EQ(Getfrequency(kMissing, zeroRow, 45), kMissing);
}

TEST_F(FrequencyFile, ReadsHeaderRowsAndUnits) {
    std::string text = std::string("Depth-duration table\r\nnotes\tignored before the header\r\n") + kHeader +
                       "\r\n5min\t0.3\t0.4\r\n\r\nsingle field\r\n1h\t0.9\t1.2\t1.6\r\n1d\t2.5\t3.1\r\n"
                       "2.5 hd\t4\r\n";
    auto result = Load(text);
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_TRUE(table_.loaded);
    EXPECT_EQ(table_.columns, 10);
    ASSERT_EQ(table_.header.size(), 11u);
    EXPECT_EQ(table_.header[0], 0);
    EXPECT_EQ(table_.header[10], 1000);
    ASSERT_EQ(table_.rows, 4);
    EXPECT_EQ(table_.minutes, (std::vector<int16_t>{0, 5, 60, 1440, 3600}));  // "hd" counts as days
    EXPECT_EQ(table_.steps, (std::vector<int16_t>{0, 1, 12, 288, 720}));
    EXPECT_EQ(table_.depth[0][2], 60);
    EXPECT_EQ(table_.depth[3][2], 1.6);
    EXPECT_EQ(table_.depth[3][1], 0);  // short rows are zero-filled
    EXPECT_EQ(table_.depth[10][3], 0);
    EXPECT_DOUBLE_EQ(Getfrequency(1.05, table_, 60), 1.4);
}

TEST_F(FrequencyFile, LfLinesAndHalfMinutesRoundToEven) {
    auto result = Load(std::string(kHeader) + "\n12.5\t1\n17.5m\t1\n0.5h\t1\n");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(table_.minutes, (std::vector<int16_t>{0, 12, 18, 30}));
    EXPECT_EQ(table_.steps, (std::vector<int16_t>{0, 2, 4, 6}));  // 2.4, 3.6, 6
    EXPECT_EQ(table_.depth[0][1], 12.5);
}

TEST_F(FrequencyFile, RowsAfterTheSixteenthAreIgnored) {
    std::string text = std::string(kHeader) + "\r\n";
    for (int r = 1; r <= 20; ++r) text += std::to_string(r * 5) + "m\t" + std::to_string(r) + "\r\n";
    ASSERT_TRUE(Load(text).ok());
    EXPECT_EQ(table_.rows, 16);
    EXPECT_EQ(table_.minutes.back(), 80);
    EXPECT_EQ(Getfrequency(1, table_, 85), 0);
}

TEST_F(FrequencyFile, NoHeaderGivesAnEmptyTable) {
    ASSERT_TRUE(Load("5m\t0.3\r\n1h\t2\t3\r\n").ok());
    EXPECT_TRUE(table_.Empty());
}

TEST_F(FrequencyFile, TooLongRowFailsNamingFileAndLine) {
    table_ = kTenColumns;
    auto result = Load("Duration\t1\t2\r\n5m\t0.3\t0.4\r\n1h\t0.9\t1.2\t1.5\r\n");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.fault().kind, FrequencyFaultKind::Invalid);
    EXPECT_NE(result.error().find(path_), std::string::npos) << result.error();
    EXPECT_NE(result.error().find("line 3"), std::string::npos) << result.error();
    EXPECT_TRUE(table_.Empty());
    EXPECT_FALSE(table_.loaded);
    EXPECT_TRUE(table_.header.empty());
}

TEST_F(FrequencyFile, DurationBeyondSixteenBitsFails) {
    auto result = Load(std::string(kHeader) + "\r\n1h\t1\r\n30d\t2\r\n");  // 43200 minutes
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.fault().kind, FrequencyFaultKind::Invalid);
    EXPECT_NE(result.error().find("line 3"), std::string::npos) << result.error();
    EXPECT_NE(result.error().find("30d"), std::string::npos) << result.error();
    EXPECT_TRUE(table_.Empty());
    // Just inside the range loads.
    ASSERT_TRUE(Load(std::string(kHeader) + "\r\n22.7d\t1\r\n").ok());
    EXPECT_EQ(table_.minutes[1], 32688);
}

TEST_F(FrequencyFile, MissingFileMessage) {
    table_ = kTenColumns;
    std::string missing = (folder_ / "absent.txt").string();
    auto result = ReadFrequencyTable(missing, table_);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.fault().kind, FrequencyFaultKind::NotFound);
    EXPECT_EQ(result.error(), missing + " not found.");
    EXPECT_TRUE(table_.Empty());
}

TEST_F(FrequencyFile, ALongLineFailsNamingFileAndLineAndAFieldIsQuotedShort) {
    table_ = kTenColumns;
    auto result = Load(std::string(kHeader) + "\r\n1h\t1\r\n" + std::string(70000, '2') + "\t1\r\n");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.fault().kind, FrequencyFaultKind::Invalid);
    EXPECT_EQ(result.error(), "Line 3 of " + path_ + " is longer than 65536 characters");
    EXPECT_TRUE(table_.Empty());
    EXPECT_FALSE(table_.loaded);

    // Under the line limit, a message still repeats at most 200 characters of a field.
    const std::string label = "99999" + std::string(4995, '.');  // 99999 minutes
    result = Load(std::string(kHeader) + "\r\n" + label + "\t1\r\n");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.fault().kind, FrequencyFaultKind::Invalid);
    EXPECT_NE(result.error().find(label.substr(0, 200) + "... (5000 characters)\" is out of range"), std::string::npos)
        << result.error().size();
    EXPECT_LT(result.error().size(), 400u);
}
