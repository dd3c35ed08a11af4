#include "render/titles.h"

#include <gtest/gtest.h>

#include "core/color.h"
#include "core/daynum.h"

namespace tidemark {
namespace {

TEST(Titles, ValueGoesStaleAfterMoreThanTwoHourBoundaries) {
    double stamped = MakeDayNumber(2024, 3, 10, 10, 5);
    EXPECT_EQ(ShownCurrentValue(4.2, stamped, MakeDayNumber(2024, 3, 10, 12, 59), false), 4.2);
    EXPECT_EQ(ShownCurrentValue(4.2, stamped, MakeDayNumber(2024, 3, 10, 13, 0), false), kMissing);
    EXPECT_EQ(ShownCurrentValue(4.2, stamped, MakeDayNumber(2024, 3, 20, 13, 0), true), 4.2)
        << "past data shown from a historical start is never stale";
    EXPECT_EQ(ShownCurrentValue(4.2, 0, MakeDayNumber(2024, 3, 10, 13, 0), false), kMissing)
        << "a graph that never got a value";
}

TEST(Titles, CompassNamesByNearestSixteenth) {
    EXPECT_EQ(CompassName(0), "North");
    EXPECT_EQ(CompassName(0.25), "NNE");
    EXPECT_EQ(CompassName(0.15), "NNE");
    EXPECT_EQ(CompassName(0.1), "North");
    EXPECT_EQ(CompassName(1), "East");
    EXPECT_EQ(CompassName(2.5), "SW");
    EXPECT_EQ(CompassName(3.75), "NNW");
    EXPECT_EQ(CompassName(4), "North");
    EXPECT_EQ(CompassName(0.125), "North") << "field 0.5 rounds half to even";
    EXPECT_EQ(CompassName(0.375), "NE") << "field 1.5 rounds half to even";
    EXPECT_EQ(CompassName(4.2), "");
    EXPECT_EQ(CompassName(-0.5), "");
}

TEST(Titles, ValueTextForNumbersMissingAndDirections) {
    EXPECT_EQ(ValueText(12.5, "ft"), "12.5");
    EXPECT_EQ(ValueText(0.25, "in"), "0.25");
    EXPECT_EQ(ValueText(-3, "ft"), "-3");
    EXPECT_EQ(ValueText(kMissing, "ft"), "Missing");
    EXPECT_EQ(ValueText(kMissing, "Direction"), "Missing");
    EXPECT_EQ(ValueText(1, "Direction"), "East");
    EXPECT_EQ(ValueText(-1, "direction"), "-1") << "-1 and below show the number";
    EXPECT_EQ(ValueText(-0.5, "direction"), "-0.5") << "no compass field before north";
    EXPECT_EQ(ValueText(7, "direction"), "7") << "no compass field past the second north";
}

TEST(Titles, TitleTextHasNameThenValueUnitAndTime) {
    double t = MakeDayNumber(2024, 3, 10, 13, 5);
    EXPECT_EQ(TitleText("Dam Inflow", 12.5, "cfs", t), "Dam Inflow\r\n12.5 cfs Mar 10 1:05 PM");
    EXPECT_EQ(TitleText("Dam Inflow", kMissing, "", MakeDayNumber(2024, 3, 9, 0, 30)),
              "Dam Inflow\r\nMissing  Mar 09 12:30 AM")
        << "an empty unit still gives two lines";
    // A series without data has no time: no "Dec 30" of day 0.
    EXPECT_EQ(TitleText("Rain Gauge", kMissing, "inches", 0), "Rain Gauge\r\nMissing inches");
}

}  // namespace
}  // namespace tidemark
