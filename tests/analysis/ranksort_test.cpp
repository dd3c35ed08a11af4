#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "analysis/frequency.h"

using namespace tidemark;

TEST(RankSort, SmallRanges) {
    std::vector<double> v{3, 1, 2};
    RankSort(v, 0, 2);
    EXPECT_EQ(v, (std::vector<double>{1, 2, 3}));

    std::vector<double> one{7, 4};
    RankSort(one, 1, 1);
    EXPECT_EQ(one, (std::vector<double>{7, 4}));

    std::vector<double> empty;
    RankSort(empty, 0, -1);
    EXPECT_TRUE(empty.empty());
}

TEST(RankSort, SortsOnlyTheRangeAndMissingValuesFirst) {
    std::vector<double> v{99, 5, -9999, 3.5, 5, -1, 0, 99};
    RankSort(v, 1, 6);
    EXPECT_EQ(v, (std::vector<double>{99, -9999, -1, 0, 3.5, 5, 5, 99}));
}

TEST(RankSort, RangeBeyondTheArrayIsClipped) {
    std::vector<double> v{4, 3, 2, 1};
    RankSort(v, -3, 10);
    EXPECT_EQ(v, (std::vector<double>{1, 2, 3, 4}));
}

TEST(RankSort, AgreesWithStdSort) {
    std::mt19937 rng(7);
    for (int trial = 0; trial < 300; ++trial) {
        int n = 1 + static_cast<int>(rng() % 400);
        std::vector<double> v(static_cast<size_t>(n));
        int distinct = 1 + static_cast<int>(rng() % 50);  // many duplicates in some trials
        for (auto& x : v) x = rng() % 10 == 0 ? -9999 : static_cast<double>(rng() % distinct);
        if (trial % 10 == 0) std::sort(v.begin(), v.end());
        if (trial % 10 == 1) std::sort(v.rbegin(), v.rend());
        int first = static_cast<int>(rng() % static_cast<unsigned>(n));
        int last = first + static_cast<int>(rng() % static_cast<unsigned>(n - first));
        auto expected = v;
        std::sort(expected.begin() + first, expected.begin() + last + 1);
        RankSort(v, first, last);
        ASSERT_EQ(v, expected) << "trial " << trial;
    }
}

TEST(RankSort, LargeOrderedInputs) {
    std::vector<double> v(200000);
    for (size_t k = 0; k < v.size(); ++k) v[k] = static_cast<double>(k % 2 ? k : v.size() - k);
    auto expected = v;
    std::sort(expected.begin(), expected.end());
    RankSort(v, 0, static_cast<int>(v.size()) - 1);
    EXPECT_EQ(v, expected);
}
