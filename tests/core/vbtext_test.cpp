#include <gtest/gtest.h>

#include "core/daynum.h"
#include "core/vbtext.h"

using namespace tidemark;

TEST(Str, LeadingSpaceNoLeadingZeroAndExponent) {
    EXPECT_EQ(Str(7), " 7");
    EXPECT_EQ(Str(-7), "-7");
    EXPECT_EQ(Str(0), " 0");
    EXPECT_EQ(Str(0.25), " .25");
    EXPECT_EQ(Str(-0.25), "-.25");
    EXPECT_EQ(Str(0.1499999), " .1499999");
    EXPECT_EQ(Str(0.00000015), " 1.5E-07");
    EXPECT_EQ(Str(1e20), " 1E+20");
    EXPECT_EQ(Str(123456789012345.0), " 123456789012345");
    EXPECT_EQ(Str(0.1 + 0.2), " .3");  // 15 significant digits hide binary noise
}

TEST(CStr, PlainDecimal) {
    EXPECT_EQ(CStr(0.25), "0.25");
    EXPECT_EQ(CStr(-9999), "-9999");
    EXPECT_EQ(CStr(12.5), "12.5");
    EXPECT_EQ(CStr(0), "0");
    EXPECT_EQ(CStr(1.0 / 3.0), "0.333333333333333");
}

TEST(Val, LenientLeadingNumber) {
    EXPECT_EQ(Val("  12.5abc"), 12.5);
    EXPECT_EQ(Val("5min"), 5);
    EXPECT_EQ(Val("1d"), 1);
    EXPECT_EQ(Val("-3"), -3);
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val(" 12."), 12);  // what "#0.##" writes for a whole number
    EXPECT_EQ(Val("1.5E-07"), 1.5e-7);
    EXPECT_EQ(Val("2e"), 2);
    EXPECT_EQ(Val("1.2.3"), 1.2);
}

TEST(StrictParse, FailsOnTextAndRange) {
    EXPECT_EQ(ParseInt16(" 7 "), 7);
    EXPECT_EQ(ParseInt16("-1"), -1);
    EXPECT_EQ(ParseInt16("2.5"), 2);  // halves to even
    EXPECT_EQ(ParseInt16("3.5"), 4);
    EXPECT_EQ(ParseInt16("32767"), 32767);
    EXPECT_FALSE(ParseInt16("32768"));
    EXPECT_FALSE(ParseInt16("-32769"));
    EXPECT_FALSE(ParseInt16("abc"));
    EXPECT_FALSE(ParseInt16(""));
    EXPECT_FALSE(ParseInt16("12x"));
    EXPECT_FALSE(ParseInt16("inf"));
    EXPECT_FALSE(ParseInt16("0x10"));
    EXPECT_EQ(ParseInt32("16777215"), 16777215);
    EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
    EXPECT_FALSE(ParseInt32("2147483648"));
    EXPECT_EQ(ParseSingle("1.5"), 1.5f);
    EXPECT_FALSE(ParseSingle("1e40"));
    EXPECT_FALSE(ParseSingle("x"));
}

TEST(Rounding, HalvesToEvenAndFloor) {
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(3.5), 4);
    EXPECT_EQ(CInt(-2.5), -2);
    EXPECT_FALSE(CInt(40000));
    EXPECT_EQ(Round(2.345, 2), 2.34);
    EXPECT_EQ(Round(2.355, 2), 2.36);
    EXPECT_EQ(Round(-1.125, 2), -1.12);
    EXPECT_EQ(Round(1.005, 2), 1.0);
    EXPECT_EQ(Round(12.3456, 2), 12.35);
    EXPECT_EQ(Int(-0.5), -1);
    EXPECT_EQ(Int(2.9), 2);
}

TEST(Format, NumberMasks) {
    EXPECT_EQ(Format(2.345, "#0.##"), "2.35");
    EXPECT_EQ(Format(12, "#0.##"), "12.");
    EXPECT_EQ(Val(Format(12, "#0.##")), 12);
    EXPECT_EQ(Format(0.5, "#0.##"), "0.5");
    EXPECT_EQ(Format(0.5, "0.##"), "0.5");
    EXPECT_EQ(Format(-2.345, "#0.##"), "-2.35");
    EXPECT_EQ(Format(0.125, "0.00"), "0.13");
    EXPECT_EQ(Format(-0.125, "0.00"), "-0.13");
    EXPECT_EQ(Format(1.23456, "#0.####"), "1.2346");
    EXPECT_EQ(Format(1234.5, "########0"), "1235");
    EXPECT_EQ(Format(12.34, "########0"), "12");
    EXPECT_EQ(Format(3.456, "#######0.0"), "3.5");
    EXPECT_EQ(Format(3, "#######0.0"), "3.0");
    EXPECT_EQ(Format(0.4567, "########0.00"), "0.46");
    EXPECT_EQ(Format(0.01234, "########0.000"), "0.012");
    EXPECT_EQ(Format(2.5, "0"), "3");
    EXPECT_EQ(Format(-2.5, "0"), "-3");
    EXPECT_EQ(Format(9.96, "0.0"), "10.0");
    EXPECT_EQ(Format(99.999, "0.00"), "100.00");
    EXPECT_EQ(Format(0.125, "0%"), "13%");
    EXPECT_EQ(Format(0.1234, "0%"), "12%");
    EXPECT_EQ(Format(-0.001, "0.00"), "0.00");
    EXPECT_EQ(Format(0.0004, "#0.##"), "0.");
    EXPECT_EQ(Format(1e-20, "0.00"), "0.00");
    EXPECT_EQ(Format(123456789.5, "########0"), "123456790");
}

TEST(FormatDate, EveryMaskTheProgramUses) {
    double d = MakeDayNumber(2026, 12, 8, 14, 5, 0);
    EXPECT_EQ(FormatDate(d, "dd-mmm-yyyy"), "08-Dec-2026");
    EXPECT_EQ(FormatDate(d, "dd-mmm-yyyy hh:mm"), "08-Dec-2026 14:05");
    EXPECT_EQ(FormatDate(d, "mmmdd"), "Dec08");
    EXPECT_EQ(FormatDate(d, "mmmdd hh:mm"), "Dec08 14:05");
    EXPECT_EQ(FormatDate(d, "mmm-dd hh:mm"), "Dec-08 14:05");
    EXPECT_EQ(FormatDate(d, "mmm-dd-yyyy"), "Dec-08-2026");
    EXPECT_EQ(FormatDate(d, "dd hh:mm "), "08 14:05 ");
    EXPECT_EQ(FormatDate(d, " Mmm dd h:mm ampm"), " Dec 08 2:05 PM");
    EXPECT_EQ(FormatDate(d, " yyyy-mmm-dd"), " 2026-Dec-08");
    EXPECT_EQ(FormatDate(d, "hh:mm AMPM"), "02:05 PM");
    double midnight = MakeDayNumber(2026, 1, 2, 0, 30, 0);
    EXPECT_EQ(FormatDate(midnight, " Mmm dd h:mm ampm"), " Jan 02 12:30 AM");
    EXPECT_EQ(FormatDate(MakeDayNumber(2026, 1, 2, 12, 0, 0), "hh:mm AMPM"), "12:00 PM");
}
