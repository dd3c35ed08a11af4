#include "pages/value_box.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/color.h"

namespace tidemark {
namespace {

TEST(UnitAbbreviation, ReplacementsApplyInOrder) {
    EXPECT_EQ(UnitAbbreviation("Inches"), "in") << "inc -> in, after the in -> hg rule has passed";
    EXPECT_EQ(UnitAbbreviation("in"), "hg");
    EXPECT_EQ(UnitAbbreviation("std units"), "ph");
    EXPECT_EQ(UnitAbbreviation("Years"), "yr");
    EXPECT_EQ(UnitAbbreviation("mg/L"), "mgl");
    EXPECT_EQ(UnitAbbreviation("Gage height"), "g/r");
    EXPECT_EQ(UnitAbbreviation("%"), "%");
    EXPECT_EQ(UnitAbbreviation("a%b"), "%");
    EXPECT_EQ(UnitAbbreviation("abc%"), "abc") << "only the first three characters count";
}

TEST(UnitAbbreviation, FirstThreeCharactersTrimmedAndLowerCased) {
    EXPECT_EQ(UnitAbbreviation("Feet"), "fee");
    EXPECT_EQ(UnitAbbreviation("ft"), "ft");
    EXPECT_EQ(UnitAbbreviation(" ft"), "ft");
    EXPECT_EQ(UnitAbbreviation(" in"), "hg") << "trimmed before the replacements";
    EXPECT_EQ(UnitAbbreviation("CFS"), "cfs");
    EXPECT_EQ(UnitAbbreviation(""), "");
    EXPECT_EQ(UnitAbbreviation("direction"), "dir");
}

TEST(CompassPoint, NearestSixteenthWithHalvesToEven) {
    EXPECT_EQ(CompassPoint(0), "North");
    EXPECT_EQ(CompassPoint(0.25), "NNE");
    EXPECT_EQ(CompassPoint(0.15), "NNE");
    EXPECT_EQ(CompassPoint(0.1), "North");
    EXPECT_EQ(CompassPoint(0.125), "North") << "field 0.5 rounds to the even 0";
    EXPECT_EQ(CompassPoint(0.375), "NE") << "field 1.5 rounds to the even 2";
    EXPECT_EQ(CompassPoint(1), "East");
    EXPECT_EQ(CompassPoint(2), "South");
    EXPECT_EQ(CompassPoint(3), "West");
    EXPECT_EQ(CompassPoint(3.75), "NNW");
    EXPECT_EQ(CompassPoint(4), "North");
    EXPECT_EQ(CompassPoint(4.125), "North") << "field 16.5 rounds to 16";
}

TEST(CompassPoint, ValuesOutsideTheTableHaveNoName) {
    EXPECT_EQ(CompassPoint(4.2), std::nullopt);
    EXPECT_EQ(CompassPoint(-0.2), std::nullopt);
    EXPECT_EQ(CompassPoint(-0.1), "North") << "field -0.4 is still the first one";
    EXPECT_EQ(CompassPoint(std::nan("")), std::nullopt);
}

TEST(CurrentValueText, ValueFollowedByAbbreviation) {
    EXPECT_EQ(CurrentValueText(12.3, "ft"), "12.3ft");
    EXPECT_EQ(CurrentValueText(0.25, "Inches"), "0.25in");
    EXPECT_EQ(CurrentValueText(1234567.5, "CFS"), "1234567.5cfs");
    EXPECT_EQ(CurrentValueText(-3, ""), "-3");
}

TEST(CurrentValueText, DirectionsAsCompassNames) {
    EXPECT_EQ(CurrentValueText(2, "direction"), "South");
    EXPECT_EQ(CurrentValueText(0.25, "Direction"), "NNE");
    EXPECT_EQ(CurrentValueText(4, "DIRECTION"), "North");
    EXPECT_EQ(CurrentValueText(-1, "direction"), "-1dir") << "-1 is not above -1";
    EXPECT_EQ(CurrentValueText(-0.5, "direction"), "-0.5dir");
    EXPECT_EQ(CurrentValueText(7, "direction"), "7dir");
    EXPECT_EQ(CurrentValueText(2, "directions"), "2dir");
}

TEST(CurrentValueText, MissingValueSaysSo) {
    EXPECT_EQ(CurrentValueText(kMissing, "ft"), "Missing");
    EXPECT_EQ(CurrentValueText(kMissing, "direction"), "Missing");
}

TEST(Colours, ContrastTitleAndValueColours) {
    EXPECT_EQ(ContrastColor(0), 0xFFFFFF);
    EXPECT_EQ(ContrastColor(1), 0);
    EXPECT_EQ(ContrastColor(0xFFFFFF), 0);

    EXPECT_EQ(TitleColor("Dam\r\nmissing ft", 0xFFFFFF), RGB(255, 0, 0));
    EXPECT_EQ(TitleColor("Dam\r\nMiSsInG", 0), RGB(255, 0, 0));
    EXPECT_EQ(TitleColor("Dam\r\n12.3 ft", 0xFFFFFF), 0xFFFFFF);
    EXPECT_EQ(TitleColor("Dam\r\n12.3 ft", 0), 0);

    EXPECT_EQ(CurrentValueColor(0x808080), 0xEFEFEF);
    EXPECT_EQ(CurrentValueColor(0x00A0FF), 0);
    EXPECT_EQ(CurrentValueColor(RGB(150, 150, 150)), 0xEFEFEF) << "150 is not above 150";
    EXPECT_EQ(CurrentValueColor(RGB(0, 0, 151)), 0);
    EXPECT_EQ(CurrentValueColor(RGB(0, 151, 0)), 0);
}

}  // namespace
}  // namespace tidemark
