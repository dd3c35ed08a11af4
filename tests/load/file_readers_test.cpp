// Reading CSV and RDB files and placing their times, without a database.
#include <gtest/gtest.h>

#include <string>

#include "core/textfile.h"
#include "load/csv_reader.h"
#include "load/rdb_reader.h"
#include "load/text_input.h"
#include "load_support.h"

namespace {

using namespace tidemark;
using namespace tidemark::load;
using namespace tidemark::load::testing;
using namespace std::string_literals;

TEST(FileTimes, FormsOffsetsAndDatesThatDoNotExist) {
    std::string why;
    auto t = ParseFileTime("2024-07-01T06:30:15.250+02:00", &why);
    ASSERT_TRUE(t) << why;
    EXPECT_EQ(t->wallClock, At(2024, 7, 1, 6, 30, 15));
    EXPECT_EQ(t->offset, 7200);
    EXPECT_EQ(ParseFileTime("2024-07-01 06:30 Z", &why)->offset, 0);
    EXPECT_EQ(ParseFileTime("2024-07-01 06:30-0500", &why)->offset, -5 * 3600);
    EXPECT_EQ(ParseFileTime("2024-07-01", &why)->wallClock, At(2024, 7, 1));
    EXPECT_FALSE(ParseFileTime("2023-02-29 10:00", &why));
    EXPECT_EQ(why, "is a date that does not exist");
    EXPECT_FALSE(ParseFileTime("2024-07-01 24:00", &why));
    EXPECT_FALSE(ParseFileTime("2024-07-01 06:30 EST", &why));
    EXPECT_FALSE(ParseFileTime("01/07/2024 06:30", &why));
    EXPECT_EQ(StoredText(At(2024, 2, 29, 23, 5, 9)), "2024-02-29 23:05:09");
    EXPECT_EQ(ParseStoredText("2024-02-29 23:05:09"), At(2024, 2, 29, 23, 5, 9));
}

TEST(FileTimes, InstantsBecomeNewYorkWallClockAndTheSkippedHourDoesNotExist) {
    ZoneClock clock = NewYork();
    // Noon UTC is 07:00 EST in winter and 08:00 EDT in summer.
    EXPECT_EQ(clock.LocalOf(At(2024, 1, 15, 12), 0), At(2024, 1, 15, 7));
    EXPECT_EQ(clock.LocalOf(At(2024, 7, 15, 12), 0), At(2024, 7, 15, 8));
    // An EST time given in summer is an hour earlier than the wall clock shows.
    EXPECT_EQ(clock.LocalOf(At(2024, 7, 15, 7), *ZoneCodeOffset("EST")), At(2024, 7, 15, 8));
    EXPECT_FALSE(clock.Exists(At(2024, 3, 10, 2, 30)));
    EXPECT_TRUE(clock.Exists(At(2024, 3, 10, 3, 0)));
    EXPECT_TRUE(clock.Exists(At(2024, 11, 3, 1, 30)));  // repeated, but there
    EXPECT_FALSE(ZoneClock::Make("Mars/Olympus_Mons").ok());
    EXPECT_FALSE(ZoneClock::Make("../../etc/passwd").ok());
}

TEST(CsvFiles, LongFormInAnyColumnOrderWithParameterAndUnit) {
    ZoneClock clock = NewYork();
    auto c = ReadCsv(
        "value,date_time,site,parameter,unit\r\n"
        "1.5,2024-05-01 00:00,Mill Falls,Stage,ft\r\n"
        "\r\n"
        "1.75,2024-05-01 00:15,Mill Falls,Stage,ft\r\n"
        ",2024-05-01 00:30,Mill Falls,Stage,ft\r\n"
        "0.02,2024-05-01 00:00,Cedar Ridge,Rain,in\r\n"
        "3,2024-05-01 04:00Z,1101,,\r\n",
        "f.csv", clock, {});
    ASSERT_TRUE(c) << c.error();
    EXPECT_EQ(c->format, "CSV (long form)");
    ASSERT_EQ(c->series.size(), 3u);
    const FileSeries& stage = c->series[0];
    EXPECT_EQ(stage.name.site, "Mill Falls");
    EXPECT_EQ(stage.name.parameter, "Stage");
    EXPECT_EQ(stage.name.unit, "ft");
    ASSERT_EQ(stage.values.size(), 2u);
    EXPECT_EQ(stage.values[1].local, At(2024, 5, 1, 0, 15));
    EXPECT_EQ(stage.values[1].value, 1.75);
    EXPECT_EQ(stage.values[1].line, 4);
    EXPECT_EQ(stage.missing, 1);
    EXPECT_EQ(c->series[2].name.dsid, 1101);
    EXPECT_EQ(c->series[2].values[0].local, At(2024, 5, 1, 0));  // 04:00 UTC is midnight EDT
}

TEST(CsvFiles, WideFormWithSemicolonsDecimalCommasAndNamedColumns) {
    ZoneClock clock = NewYork();
    auto c = ReadCsv(
        "date_time;2101;\"Lake Tamsin|Elevation|ft\";Harbor\n"
        "2024-05-01 00:00;1,25;100;NA\n"
        "2024-05-01 01:00;1,5;101,5;7\n",
        "w.csv", clock, {"Rain", "in"});
    ASSERT_TRUE(c) << c.error();
    EXPECT_EQ(c->format, "CSV (wide form)");
    ASSERT_EQ(c->series.size(), 3u);
    EXPECT_EQ(c->series[0].name.dsid, 2101);
    EXPECT_EQ(c->series[0].values[1].value, 1.5);
    EXPECT_EQ(c->series[1].name.site, "Lake Tamsin");
    EXPECT_EQ(c->series[1].name.parameter, "Elevation");
    EXPECT_EQ(c->series[1].values[1].value, 101.5);
    // The switches name what the header does not.
    EXPECT_EQ(c->series[2].name.parameter, "Rain");
    EXPECT_EQ(c->series[2].name.unit, "in");
    EXPECT_EQ(c->series[2].missing, 1);
}

TEST(CsvFiles, BadInputIsRefusedWithItsLine) {
    ZoneClock clock = NewYork();
    auto fault = [&](const std::string& text) {
        auto c = ReadCsv(text, "bad.csv", clock, {});
        EXPECT_FALSE(c);
        return c ? std::string() : std::to_string(c.fault().line) + " " + c.error();
    };
    const std::string header = "date_time,Creek\n";
    EXPECT_EQ(fault(header + "2024-05-01 00:00,1\n2024-05-01 00:05,high\n"), "3 value \"high\" is not a number");
    EXPECT_EQ(fault(header + "2024-02-30 00:00,1\n"), "2 date_time \"2024-02-30 00:00\" is a date that does not exist");
    EXPECT_EQ(fault(header + "2024-03-10 02:30,1\n"),
              "2 date_time \"2024-03-10 02:30\" is a local time that does not exist in America/New_York (the hour "
              "summer time skips)");
    EXPECT_EQ(fault(header + "2024-05-01 00:00,1,2\n"), "2 has 3 fields, the header 2");
    EXPECT_EQ(fault("site,value\nCreek,1\n").substr(0, 28), "1 has no date_time column in");
    EXPECT_EQ(fault(header + "2024-05-01 00:00,inf\n"), "2 value \"inf\" is not a number");
}

TEST(InputFiles, BinaryAndOverlongLinesAreRefusedBeforeReading) {
    std::string dir = ::testing::TempDir();
    std::string binary = dir + "binary.csv", longLine = dir + "long.csv";
    ASSERT_TRUE(WriteFileAtomic(binary,
                                "date_time,a\n2024-05-01 00:00,1\n\x7f"
                                "ELF\0\0"s));
    ASSERT_TRUE(
        WriteFileAtomic(longLine, "date_time,a\n2024-05-01 00:00," + std::string(kMaxLineBytes + 10, '1') + "\n"));
    auto b = ReadInputFile(binary);
    ASSERT_FALSE(b);
    EXPECT_EQ(b.fault().line, 3);
    EXPECT_EQ(b.error(), "holds binary data (a NUL byte), not text");
    auto l = ReadInputFile(longLine);
    ASSERT_FALSE(l);
    EXPECT_EQ(l.fault().line, 2);
}

TEST(RdbFiles, InstantaneousValuesAcrossTheAutumnChangeAndMissingCodes) {
    ZoneClock clock = NewYork();
    std::string text = std::string(kRdbHead) +
                       "USGS\t01646500\t2024-11-03 01:30\tEDT\t1000\tP\t3.10\tP\n"
                       "USGS\t01646500\t2024-11-03 01:45\tEDT\tIce\tP\t***\tP\n"
                       "USGS\t01646500\t2024-11-03 01:30\tEST\t1200\tP\t\tP\n"
                       "USGS\t01646500\t2024-11-03 02:00\tEST\t1300\tP\tEqp\n";
    ASSERT_TRUE(LooksLikeRdb(text));
    auto c = ReadRdb(text, "iv.rdb", clock);
    ASSERT_TRUE(c) << c.error();
    ASSERT_EQ(c->series.size(), 2u);
    const FileSeries& flow = c->series[0];
    EXPECT_EQ(flow.name.site, "POTOMAC RIVER NEAR WASH, DC");
    EXPECT_EQ(flow.name.parameter, "Discharge");
    EXPECT_EQ(flow.name.unit, "cfs");
    EXPECT_EQ(flow.name.parameterCode, 60);
    EXPECT_EQ(flow.table, ValueTable::Unit);
    ASSERT_EQ(flow.values.size(), 3u);
    // Both passes of 01:30 are on the wall clock's 01:30, an hour of instants apart.
    EXPECT_EQ(flow.values[0].local, At(2024, 11, 3, 1, 30));
    EXPECT_EQ(flow.values[1].local, At(2024, 11, 3, 1, 30));
    EXPECT_EQ(flow.values[1].instant - flow.values[0].instant, 3600);
    EXPECT_EQ(flow.missing, 1);
    EXPECT_EQ(c->series[1].name.parameter, "Gage height");
    EXPECT_EQ(c->series[1].name.unit, "ft");
    EXPECT_EQ(c->series[1].values.size(), 1u);
    EXPECT_EQ(c->series[1].missing, 3);
}

TEST(RdbFiles, DailyStatisticsGoToTheDailyTablesAndBadRowsAreRefused) {
    ZoneClock clock = NewYork();
    const std::string dv =
        "#  USGS 01646500 POTOMAC RIVER\n"
        "#    TS_ID  Parameter  Statistic  Description\n"
        "#    68479      00060      00003  Discharge, cubic feet per second (Mean)\n"
        "#    68480      00060      00001  Discharge, cubic feet per second (Maximum)\n"
        "#    68481      00060      00008  Discharge, cubic feet per second (Median)\n"
        "agency_cd\tsite_no\tdatetime\t68479_00060_00003\t68479_00060_00003_cd\t68480_00060_00001\t"
        "68481_00060_00008\n"
        "5s\t15s\t20d\t14n\t10s\t14n\t14n\n"
        "USGS\t01646500\t2024-01-01\t12300\tA\t13000\t12000\n";
    auto c = ReadRdb(dv, "dv.rdb", clock);
    ASSERT_TRUE(c) << c.error();
    ASSERT_EQ(c->series.size(), 2u);
    EXPECT_EQ(c->series[0].table, ValueTable::Day);
    EXPECT_EQ(c->series[0].name.parameter, "Discharge");
    EXPECT_EQ(c->series[1].table, ValueTable::DayMax);
    EXPECT_EQ(c->series[1].values[0].local, At(2024, 1, 1));
    ASSERT_EQ(c->notes.size(), 1u);

    auto badZone =
        ReadRdb(std::string(kRdbHead) + "USGS\t01646500\t2024-11-03 01:30\tXST\t1\tP\t2\tP\n", "z.rdb", clock);
    ASSERT_FALSE(badZone);
    EXPECT_EQ(badZone.fault().line, 9);
    EXPECT_EQ(badZone.error(), "has a time-zone code that is not known: \"XST\"");
    auto badValue =
        ReadRdb(std::string(kRdbHead) + "USGS\t01646500\t2024-11-03 01:30\tEST\t1\tP\tabc\tP\n", "v.rdb", clock);
    ASSERT_FALSE(badValue);
    EXPECT_EQ(badValue.fault().line, 9);
    auto noFormats = ReadRdb("agency_cd\tsite_no\tdatetime\n", "f.rdb", clock);
    ASSERT_FALSE(noFormats);
}

}  // namespace
