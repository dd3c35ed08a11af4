#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "analysis/frequency.h"

using namespace tidemark;

namespace {

double UpperTail(double x) { return 0.5 * std::erfc(x / std::sqrt(2.0)); }

// The exact deviate with upper tail p, by bisection on erfc.
double ExactDeviate(double p) {
    double lo = -40, hi = 40;
    for (int n = 0; n < 200; ++n) {
        double mid = (lo + hi) / 2;
        (UpperTail(mid) > p ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

}  // namespace

TEST(Funp, KnownValues) {
    EXPECT_FLOAT_EQ(funp(0), 0.5f);
    EXPECT_NEAR(funp(1), 0.158655, 1e-6);
    EXPECT_NEAR(funp(-2), 0.977250, 1e-6);
    EXPECT_EQ(funp(7), 1e-9f);  // clamped
    EXPECT_EQ(funp(40), 1e-9f);
    EXPECT_EQ(funp(NAN), 1e-9f);
    EXPECT_FLOAT_EQ(funp(-40), 1.0f);
}

TEST(Funp, MatchesTheNormalTailWithinTheFormulasBound) {
    for (int k = -8000; k <= 8000; ++k) {
        double x = k / 1000.0;
        double exact = std::max(UpperTail(x), 1e-9);
        double got = funp(x);
        ASSERT_GE(got, 1e-9f) << x;
        // 1.5e-7 from the approximation plus the rounding to single precision.
        double tolerance = 1.5e-7 + std::fabs(exact) * 6e-8;
        ASSERT_NEAR(got, exact, tolerance) << "x = " << x;
    }
}

TEST(Funk, KnownValues) {
    EXPECT_NEAR(funk(0.5), 0, 1e-3);
    EXPECT_NEAR(funk(0.01), 2.327, 1e-3);
    EXPECT_NEAR(funk(0.999), -3.091, 1e-3);
    // Probabilities without a finite deviate give large finite ones of the right sign.
    for (double p : {0.0, -0.5, 1.0, 1.5}) {
        double z = funk(p);
        EXPECT_TRUE(std::isfinite(z)) << p;
        EXPECT_GT(std::fabs(z), 30) << p;
        EXPECT_EQ(z > 0, p < 0.5) << p;
    }
    EXPECT_EQ(funk(NAN), 0);
}

TEST(Funk, MatchesTheExactInverseWithinTheFormulasBound) {
    for (double p = 1e-12; p < 1; p = p < 1e-3 ? p * 1.5 : p + 1e-3) {
        ASSERT_NEAR(funk(p), ExactDeviate(p), 4.5e-4) << "p = " << p;
    }
}

TEST(Funk, InvertsFunp) {
    for (double x = -4; x <= 4; x += 0.25) EXPECT_NEAR(funk(funp(x)), x, 1e-3) << x;
}
