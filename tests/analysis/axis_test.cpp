#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analysis/axis.h"

using namespace tidemark;

namespace {

NiceAxisResult Axis(double min, double max) { return Niceaxis(min, max); }

}  // namespace

TEST(Niceaxis, WorkedRanges) {
    auto a = Axis(0, 7.3);
    EXPECT_EQ(a.min, 0);
    EXPECT_EQ(a.step, 1);
    EXPECT_EQ(a.max, 8);

    a = Axis(-3.2, 14.5);
    EXPECT_EQ(a.min, -4);
    EXPECT_EQ(a.step, 2);
    EXPECT_EQ(a.max, 16);
}

TEST(Niceaxis, MaximumOnStepBoundaryIsNotExtended) {
    auto a = Axis(0, 8);
    EXPECT_EQ(a.step, 1);
    EXPECT_EQ(a.max, 8);
    // Decimal steps whose products carry binary noise still land on the boundary.
    a = Axis(0, 0.7);
    EXPECT_DOUBLE_EQ(a.step, 0.1);
    EXPECT_EQ(a.max, 0.7);
}

TEST(Niceaxis, EqualEndsWidenAndWriteBack) {
    double max = 5;
    auto a = Niceaxis(5, max);
    EXPECT_EQ(max, 6);
    EXPECT_DOUBLE_EQ(a.step, 0.2);
    EXPECT_EQ(a.min, 5);
    EXPECT_EQ(a.max, 6);
    // Only the equal case writes back.
    max = 9;
    Niceaxis(1, max);
    EXPECT_EQ(max, 9);
}

TEST(Niceaxis, DegenerateInputsStayFinite) {
    auto reversed = Axis(10, 0.5);
    EXPECT_EQ(reversed.min, 0);
    EXPECT_EQ(reversed.step, 1);
    EXPECT_EQ(reversed.max, 10);
    struct Pair {
        double min, max;
    };
    for (Pair p : {Pair{0, NAN}, {NAN, 1}, {0, INFINITY}, {-1e308, 1e308}}) {
        auto a = Axis(p.min, p.max);
        EXPECT_TRUE(std::isfinite(a.min) && std::isfinite(a.step) && std::isfinite(a.max)) << p.min;
        EXPECT_GT(a.step, 0);
    }
}

TEST(Niceaxis, RandomRangesGiveNiceCoveringAxes) {
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int n = 0; n < 20000; ++n) {
        double magnitude = std::pow(10, -6 + 12 * unit(rng));
        double center = (unit(rng) < 0.5 ? -1 : 1) * magnitude * unit(rng);
        double width = magnitude * std::pow(10, -3 + 4 * unit(rng));
        double min = center - width * unit(rng);
        double max = min + width;
        if (n % 3 == 0) {  // values as shown, with few digits, meet the noise rounding
            double grid = std::pow(10, std::floor(std::log10(width)) - 2);
            min = std::round(min / grid) * grid;
            max = std::round(max / grid) * grid;
        }
        double givenMax = max;
        auto a = Niceaxis(min, max);
        ASSERT_EQ(max, givenMax);
        double power = std::pow(10, std::floor(std::log10(a.step) + 1e-9));
        double mantissa = a.step / power;
        ASSERT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 || std::fabs(mantissa - 5) < 1e-9)
            << min << " " << max << " step " << a.step;
        // The noise cleaning may settle an end within a millionth of a step.
        double slack = a.step * 1e-5;
        ASSERT_LE(a.min, min + slack) << min << " " << max;
        ASSERT_GE(a.max, max - slack) << min << " " << max;
        double steps = (a.max - a.min) / a.step;
        ASSERT_NEAR(steps, std::round(steps), 1e-6) << min << " " << max;
        ASSERT_GE(std::round(steps), 5) << min << " " << max;
        ASSERT_LE(std::round(steps), 12) << min << " " << max;
    }
}

TEST(Cleanvalue, RemovesOnlyVisibleNoise) {
    EXPECT_EQ(Cleanvalue(0.25), 0.25);
    EXPECT_EQ(Cleanvalue(0.1499999), 0.15);
    EXPECT_EQ(Cleanvalue(-0.1499999), -0.15);
    EXPECT_EQ(Cleanvalue(0.1 * 3), 0.3);    // binary noise beyond 15 digits
    EXPECT_EQ(Cleanvalue(1.5e-7), 1.5e-7);  // exponent form without noise
    // In exponent form the seventh mantissa digit decides.
    EXPECT_EQ(Cleanvalue(1.234568e-7), 1.234568e-7);
    EXPECT_EQ(Cleanvalue(1.234569e-7), 1.23457e-7);
    EXPECT_EQ(Cleanvalue(0.1499998), 0.1499998);  // seven digits ending in 8 are data
    EXPECT_EQ(Cleanvalue(0), 0);
    EXPECT_TRUE(std::isinf(Cleanvalue(INFINITY)));
    EXPECT_TRUE(std::isfinite(Cleanvalue(4.9406564584124654e-324)));
}

TEST(Roundsig, ThreeSignificantFigures) {
    struct Case {
        double in, out;
    };
    for (Case c : {Case{1234.4, 1230},
                   {999.5, 1000},
                   {999.4, 999},
                   {12.34, 12},
                   {9.95, 10},
                   {3.456, 3.5},
                   {0.4567, 0.46},
                   {0.01234, 0.012},
                   {0.0005, 0.001},
                   {-3.456, -3.5},
                   {-0.01234, -0.012},
                   {0, 0}}) {
        double x = c.in;
        EXPECT_DOUBLE_EQ(Roundsig(x), c.out) << c.in;
        EXPECT_DOUBLE_EQ(x, c.out) << "stored back for " << c.in;
    }
}
