#include <gtest/gtest.h>

#include "core/daynum.h"

using namespace tidemark;

TEST(DayNumber, KnownDatesAndRoundTrip) {
    EXPECT_EQ(DateSerial(1899, 12, 30), 0);
    EXPECT_EQ(DateSerial(1900, 1, 1), 2);
    EXPECT_EQ(DateSerial(2000, 1, 1), 36526);
    EXPECT_EQ(DateSerial(2026, 13, 1), DateSerial(2027, 1, 1));
    EXPECT_EQ(DateSerial(2024, 3, 0), DateSerial(2024, 2, 29));
    EXPECT_EQ(DateSerial(2026, 0, 1), DateSerial(2025, 12, 1));
    for (double d = 30000; d < 60000; d += 137.37) {
        CivilTime c = ToCivil(d);
        EXPECT_NEAR(MakeDayNumber(c.year, c.month, c.day, c.hour, c.minute, c.second), d, 1.0 / 86400);
    }
}

TEST(DayNumber, Parts) {
    double d = MakeDayNumber(2024, 3, 1, 23, 59, 0);
    EXPECT_EQ(DatePart(d), DateSerial(2024, 3, 1));
    EXPECT_EQ(Hour(d), 23);
    EXPECT_EQ(Minute(d), 59);
    EXPECT_EQ(DayOfYear(d), 61);  // leap year
    EXPECT_EQ(DayOfYear(DateSerial(2025, 12, 31)), 365);
    EXPECT_EQ(FirstOfMonth(d), DateSerial(2024, 3, 1));
    EXPECT_EQ(FirstOfMonth(MakeDayNumber(2024, 2, 29, 12)), DateSerial(2024, 2, 1));
    // 10:00 built from a sum of fractions still counts as 10 o'clock.
    double ten = DateSerial(2024, 1, 1) + 10.0 / 24.0;
    EXPECT_EQ(Hour(ten), 10);
}

TEST(DayNumber, HourBoundaries) {
    double base = DateSerial(2026, 5, 1);
    double at1005 = base + TimeSerial(10, 5, 0);
    EXPECT_EQ(HourBoundaries(at1005, base + TimeSerial(12, 59, 0)), 2);
    EXPECT_EQ(HourBoundaries(at1005, base + TimeSerial(13, 0, 0)), 3);
    EXPECT_EQ(HourBoundaries(base + TimeSerial(13, 0, 0), at1005), -3);
}

TEST(DayNumber, ParsingDatabaseAndLiteralText) {
    EXPECT_EQ(ParseIsoDateTime("2026-12-08 14:05:00"), MakeDayNumber(2026, 12, 8, 14, 5, 0));
    EXPECT_EQ(ParseIsoDateTime("2026-12-08T14:05"), MakeDayNumber(2026, 12, 8, 14, 5, 0));
    EXPECT_EQ(ParseIsoDateTime("2026-12-08 14:05:00.000"), MakeDayNumber(2026, 12, 8, 14, 5, 0));
    EXPECT_EQ(ParseIsoDateTime("2026-12-08"), DateSerial(2026, 12, 8));
    EXPECT_FALSE(ParseIsoDateTime("2026-02-30"));
    EXPECT_FALSE(ParseIsoDateTime("08-Dec-2026"));
    EXPECT_FALSE(ParseIsoDateTime("2026-12-08 25:00"));
    EXPECT_EQ(ParseDayMonthYear("08-Dec-2026"), DateSerial(2026, 12, 8));
    EXPECT_EQ(ParseDayMonthYear("08-dec-2026 23:59"), MakeDayNumber(2026, 12, 8, 23, 59));
    EXPECT_EQ(ParseDayMonthYear("Dec-08-2026"), DateSerial(2026, 12, 8));
    EXPECT_FALSE(ParseDayMonthYear("8-Dec-2026"));
    EXPECT_FALSE(ParseDayMonthYear("08-Dex-2026"));
}

TEST(DayNumber, ParsingTextOfPeopleAndCompanionPrograms) {
    EXPECT_EQ(ParseDateTimeText(" 2026-12-08 14:05 "), MakeDayNumber(2026, 12, 8, 14, 5));
    EXPECT_EQ(ParseDateTimeText("08-Dec-2026"), DateSerial(2026, 12, 8));
    EXPECT_EQ(ParseDateTimeText("12/8/2026 2:05 PM"), MakeDayNumber(2026, 12, 8, 14, 5));
    EXPECT_EQ(ParseDateTimeText("12/08/2026 12:30:15 am"), MakeDayNumber(2026, 12, 8, 0, 30, 15));
    EXPECT_EQ(ParseDateTimeText("2/29/2024"), DateSerial(2024, 2, 29));
    EXPECT_FALSE(ParseDateTimeText("2/30/2024"));
    EXPECT_FALSE(ParseDateTimeText("12/08/2026 13:00 PM"));
    EXPECT_FALSE(ParseDateTimeText("yesterday"));
    EXPECT_FALSE(ParseDateTimeText(""));
}
