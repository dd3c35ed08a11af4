#include <gtest/gtest.h>

#include <filesystem>

#include "core/daynum.h"
#include "core/textfile.h"
#include "data/alert_report.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

using namespace tidemark;

namespace {

// A program folder "<tmp>/Tidemark/" with its companion "<tmp>/Streamkeep/".
class AlertReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = tmp_.Path() + "Tidemark/";
        std::filesystem::create_directories(program_);
        std::filesystem::create_directories(tmp_.Path() + "Streamkeep");
        state_.programFolder = program_;
        SizePageSet(state_.pages, 2);
        CreateAlertTable(state_.pages);
        state_.window.start = DateSerial(2026, 3, 1);
        state_.window.end = DateSerial(2026, 3, 8);
        // Page 1 graph 1 and page 2 graph 3 watch 101; page 1 graph 2 watches 202.
        Alert(1, 0).dsid = 101;
        Alert(2, 2).dsid = 101;
        Alert(1, 1).dsid = 202;
    }

    AlertSlot& Alert(int page, int slot) { return state_.pages.alerts[page][slot]; }

    void WriteReport(const std::vector<std::string>& lines) {
        ASSERT_TRUE(WriteFileAtomic(tmp_.Path() + "Streamkeep/Streamkeep_Alert.txt", JoinLinesCrLf(lines)));
    }

    void Read() { ReadAlertFile(state_, host_); }

    testsupport::TempFolder tmp_{"tm_alert"};
    std::string program_;
    ProgramState state_;
    RecordingHost host_;
};

}  // namespace

TEST_F(AlertReportTest, PathIsTheSiblingStreamkeepFolder) {
    EXPECT_EQ(AlertReportPath("/opt/x/Tidemark/"), "/opt/x/Streamkeep/Streamkeep_Alert.txt");
    EXPECT_EQ(AlertReportPath("/opt/x/Tidemark"), "/opt/x/Streamkeep/Streamkeep_Alert.txt");
}

TEST_F(AlertReportTest, MissingReportIsToldAndLoadGoesOn) {
    Read();
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0], "Not found: " + tmp_.Path() + "Streamkeep/Streamkeep_Alert.txt" +
                                     "\r\n\r\nView Alerts on maximized Streamkeep window and save empty file.");
    EXPECT_FALSE(state_.pages.alertspresent);
}

TEST_F(AlertReportTest, WindowEdgesPercentValuesAndEveryWatchingGraph) {
    WriteReport({
        "Streamkeep alert report",
        "Issued: 2026-03-01 00:00",  // equal to the window start: ignored
        "group",
        "   101 Creek stage",
        "Value",
        "50",
        "",
        "Issued: 2026-03-08 00:00",  // equal to the window end: used
        "group",
        "   101 Creek stage",
        "Value",
        "85%",
        "",
    });
    Read();
    EXPECT_TRUE(host_.messages.empty());
    ASSERT_EQ(Alert(1, 0).markcount, 1);
    EXPECT_EQ(Alert(1, 0).marks[0].value, 85);
    EXPECT_EQ(Alert(1, 0).marks[0].issued, DateSerial(2026, 3, 8));
    EXPECT_EQ(Alert(2, 2).markcount, 1);
    EXPECT_EQ(Alert(1, 1).markcount, 0);
    EXPECT_TRUE(state_.pages.alertspresent);
}

TEST_F(AlertReportTest, MarkRuleSameValueWithinADayOnceAgainAfterADay) {
    WriteReport({
        "Issued: 2026-03-02 10:00", "g", "   101", "v", "3.5", "",
        "Issued: 2026-03-02 20:00", "g", "   101", "v", "3.5", "",  // same value, 10 h later
        "Issued: 2026-03-03 10:00", "g", "   101", "v", "3.5", "",  // exactly 1 day after the mark
        "Issued: 2026-03-04 12:00", "g", "   101", "v", "4",   "",  // changed value
        "Issued: 2026-03-05 12:00", "g", "   202", "v", "0",   "",  // 0 on a graph without marks
    });
    Read();
    ASSERT_EQ(Alert(1, 0).markcount, 3);
    EXPECT_EQ(Alert(1, 0).marks[1].issued, MakeDayNumber(2026, 3, 3, 10));
    EXPECT_EQ(Alert(1, 0).marks[2].value, 4);
    EXPECT_EQ(Alert(1, 1).markcount, 0);
}

TEST_F(AlertReportTest, SeparatorsAndBlocksStartedInsideValues) {
    WriteReport({
        "Issued: 2026-03-02 10:00",
        "group",
        "   202 Gauge",
        "Value",
        "1.25",
        "",
        "*",
        "   101 Creek",
        "Value",
        "7",
        "Issued: 2026-03-03 10:00",  // starts a new block without an empty line
        "group",
        "     0 no series",
        "   101 Creek",
        "Value",
        "9",
        "*",
        "   202",
        "Value",
        "2",
    });
    Read();
    ASSERT_EQ(Alert(1, 1).markcount, 2);
    EXPECT_EQ(Alert(1, 1).marks[0].value, 1.25);
    EXPECT_EQ(Alert(1, 1).marks[1].value, 2);
    ASSERT_EQ(Alert(1, 0).markcount, 2);
    EXPECT_EQ(Alert(1, 0).marks[0].value, 7);
    EXPECT_EQ(Alert(1, 0).marks[1].value, 9);
}

TEST_F(AlertReportTest, GraphsWithoutAlertAndUnreadableTimesGetNoMarks) {
    Alert(1, 3).dsid = 0;  // a graph that shows 303 without ",ALERT"
    WriteReport({
        "Issued: 2026-03-02 10:00", "g", "   303", "v", "5", "", "Issued: sometime", "g", "   101", "v", "5", "",
        "Issued: 2026-03-09 10:00", "g", "   101", "v", "5", "",  // after the window
    });
    Read();
    for (int p = 1; p <= 2; ++p)
        for (int s = 0; s < 12; ++s) EXPECT_EQ(Alert(p, s).markcount, 0) << p << "," << s;
    EXPECT_FALSE(state_.pages.alertspresent);
}

TEST_F(AlertReportTest, ClearingKeepsTheWatchedSeries) {
    Alert(1, 0).markcount = 4;
    ClearAlertMarks(state_.pages, 1);
    EXPECT_EQ(Alert(1, 0).markcount, 0);
    EXPECT_EQ(Alert(1, 0).dsid, 101);
    ClearAlertMarks(state_.pages, 99);  // out of range: nothing happens
}

TEST_F(AlertReportTest, ASeriesNumberOutOfRangeIsToldAndTheRestIsRead) {
    WriteReport({
        "Issued: 2026-03-02 10:00",
        "g",
        "1e99 W",
        "v",
        "7",
        "",
        "-9e12",
        "v",
        "8",
        "",
        "   101",
        "v",
        "5",
        "",
        "   101",
        "v",
        "1e308",
        "",
    });
    Read();
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0],
              "Alert report line 3: the series number \"1e99 W\" is out of range; its values are ignored.\r\n"
              "Alert report line 7: the series number \"-9e12\" is out of range; its values are ignored.\r\n"
              "Alert report line 15: the value 1E+308 of series 101 is out of range; it is ignored.");
    EXPECT_EQ(Alert(1, 0).markcount, 1);
    EXPECT_EQ(Alert(1, 1).markcount, 0);
}

TEST_F(AlertReportTest, ALongLineEndsTheReadKeepingTheMarksBeforeIt) {
    WriteReport({
        "Issued: 2026-03-02 10:00",
        "g",
        "   101",
        "v",
        "5",
        "",
        "Issued: 2026-03-03 10:00",
        "g",
        "   202",
        "v",
        std::string(70000, '9'),
        "",
    });
    Read();
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0], "Line 11 of " + tmp_.Path() +
                                     "Streamkeep/Streamkeep_Alert.txt is longer than 65536 characters; the report is "
                                     "read up to the line before it.");
    EXPECT_EQ(Alert(1, 0).markcount, 1);
    EXPECT_EQ(Alert(1, 1).markcount, 0);
}
