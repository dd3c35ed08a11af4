#include "render/graph_kinds.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/frequency.h"
#include "core/color.h"

namespace tidemark {
namespace {

TEST(SpecialKinds, EffectiveOptionAndTotalsIdentifiers) {
    GraphDef g;
    g.rankcum = -1;
    EXPECT_EQ(EffectiveOption(g), -1);
    g.hasdsid2 = -1;
    EXPECT_EQ(EffectiveOption(g), -2);
    g.hasdsid2 = 0;
    g.freqtype = FreqType::DepthDuration;
    EXPECT_EQ(EffectiveOption(g), -2);

    EXPECT_FALSE(IsTotalsIdentifier(8999));
    EXPECT_TRUE(IsTotalsIdentifier(9000));
    EXPECT_TRUE(IsTotalsIdentifier(-9999));
    EXPECT_FALSE(IsTotalsIdentifier(10000));
}

TEST(SpecialKinds, CurrentTotalsAreWholeAboveFifty) {
    EXPECT_EQ(RoundedTotal(49.126), 49.13);
    EXPECT_EQ(RoundedTotal(50), 50);
    EXPECT_EQ(RoundedTotal(50.5), 51);
}

TEST(SpecialKinds, LegendsByKind) {
    GraphDef g;
    EXPECT_EQ(LegendsFor(g).main, "");
    EXPECT_EQ(LegendsFor(g).second, "");
    g.freqtype = FreqType::Recurrence;
    EXPECT_EQ(LegendsFor(g).main, "Frequecy");
    EXPECT_EQ(LegendsFor(g).second, "Series 2");
    g.freqtype = FreqType::Plain;
    g.rankcum = -1;
    EXPECT_EQ(LegendsFor(g).second, "Rank");
    g.hasdsid2 = -1;
    EXPECT_EQ(LegendsFor(g).main, "");
    EXPECT_EQ(LegendsFor(g).second, "Series 2");
    g.freqtype = FreqType::DepthDuration;
    EXPECT_EQ(LegendsFor(g).main, "Frequecy");
    EXPECT_EQ(LegendsFor(g).second, "Rainfall");
}

TEST(SpecialKinds, FrequencyFactorMatchesPublishedPearsonValues) {
    double z = funk(0.01);
    EXPECT_NEAR(FrequencyFactor(z, 0), 2.326, 0.002);
    // Published Pearson type III factors at 1% exceedance: 2.686 (skew 0.5), 1.955 (-0.5).
    EXPECT_NEAR(FrequencyFactor(z, 0.5), 2.686, 0.005);
    EXPECT_NEAR(FrequencyFactor(z, -0.5), 1.955, 0.005);
    for (double g : {-0.5, 0.5, 1.2})
        for (double k : {-2.0, 0.3, 2.5}) EXPECT_NEAR(FrequencyFactor(DeviateForFactor(k, g), g), k, 1e-9);
}

float Period(double largest, FreqType freqtype, double m, double s, double g) {
    float years = 0;
    EXPECT_TRUE(ReturnPeriod(largest, freqtype, m, s, g, years));
    return years;
}

TEST(SpecialKinds, ReturnPeriodAtKnownQuantiles) {
    // The normal 1% quantile of log10 values.
    EXPECT_NEAR(Period(std::pow(10, 2.326), FreqType::LogProbability, 0, 1, 0), 100, 0.5);
    // The skewed 1% quantiles from the published factors.
    EXPECT_NEAR(Period(std::pow(10, 2.686), FreqType::LogProbability, 0, 1, 0.5), 100, 1.5);
    EXPECT_NEAR(Period(1.955, FreqType::Probability, 0, 1, -0.5), 100, 1.5);
    // 10% exceedance with mean 3 and deviation 2 on plain values: 3 + 1.2816 * 2.
    EXPECT_NEAR(Period(3 + 1.2816 * 2, FreqType::Probability, 3, 2, 0), 10, 0.05);
}

TEST(SpecialKinds, ReturnPeriodBelowTheBottomOfTheDistributionIsARatio) {
    // Mean 10, deviation 1: the value exceeded with probability 0.999 is 10 - 3.09.
    double bottom = 10 + funk(0.999);
    EXPECT_NEAR(Period(bottom / 2, FreqType::Probability, 10, 1, 0), 0.5, 1e-6);
    EXPECT_NEAR(Period(bottom, FreqType::Probability, 10, 1, 0), 1.001, 0.001) << "at the bottom the tail route starts";
    double logBottom = std::pow(10, 1 + 0.1 * funk(0.999));
    EXPECT_NEAR(Period(2, FreqType::LogProbability, 1, 0.1, 0), 2 / logBottom, 1e-6);
}

TEST(SpecialKinds, NoReturnPeriodWithoutAPositiveValueOrSpread) {
    float years = 0;
    EXPECT_FALSE(ReturnPeriod(0, FreqType::LogProbability, 0, 1, 0, years));
    EXPECT_FALSE(ReturnPeriod(-2, FreqType::Probability, 0, 1, 0, years));
    EXPECT_FALSE(ReturnPeriod(5, FreqType::Probability, 0, 0, 0, years));
}

TEST(SpecialKinds, ReturnPeriodFormatsBySize) {
    EXPECT_EQ(ReturnPeriodText(100.2f), ", P=100yrs");
    EXPECT_EQ(ReturnPeriodText(9.95f), ", P=10yrs");
    EXPECT_EQ(ReturnPeriodText(9.94f), ", P=9.9yrs");
    EXPECT_EQ(ReturnPeriodText(2.0f), ", P=2.0yrs");
    EXPECT_EQ(ReturnPeriodText(1.5f), ", P=1.50yrs");
    EXPECT_EQ(ReturnPeriodText(0.5f), ", P=0.50yrs");
}

}  // namespace
}  // namespace tidemark
