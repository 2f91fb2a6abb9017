// The run-time library's generator and the helpers drawn from it.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/random.h"

namespace {
TEST(Random, SeedOneGivesTheLibrarySequence) {
    SeedRandom(1);
    std::vector<int> got;
    for (int i = 0; i < 5; ++i) got.push_back(NextRandom());
    EXPECT_EQ(got, (std::vector<int>{41, 18467, 6334, 26500, 19169}));
}

TEST(Random, BelowZeroAndOneGiveZeroAndModuloOtherwise) {
    SeedRandom(1);
    EXPECT_EQ(RandomBelow(0), 0u);
    EXPECT_EQ(RandomBelow(1), 0u);
    EXPECT_EQ(RandomBelow(100), 6334u % 100);
    EXPECT_EQ(RandomBelow(7), 26500u % 7);
}

TEST(Random, ChancePercentEdges) {
    SeedRandom(12345);
    for (int i = 0; i < 1000; ++i) {
        EXPECT_FALSE(ChancePercent(0));
        EXPECT_TRUE(ChancePercent(100));
        EXPECT_FALSE(ChancePercent(-5));
        EXPECT_TRUE(ChancePercent(250));
    }
    // p = 41 with the first value 41 % 100 = 41: not below
    SeedRandom(1);
    EXPECT_FALSE(ChancePercent(41));
    SeedRandom(1);
    EXPECT_TRUE(ChancePercent(42));
}

TEST(Random, ShuffleDrawsCountMinusOneAndKeepsTheValues) {
    int32_t one[1] = {9};
    SeedRandom(1);
    ShuffleInts(one, 1);
    EXPECT_EQ(one[0], 9);
    EXPECT_EQ(NextRandom(), 41);  // no number was used

    int32_t values[5] = {0, 1, 2, 3, 4};
    SeedRandom(1);
    ShuffleInts(values, 5);
    // j = i + rand % (5 - i): 41%5=1, 18467%4=3 -> 4, 6334%3=1 -> 3, 26500%2=0 -> 3
    EXPECT_EQ(std::vector<int32_t>(values, values + 5), (std::vector<int32_t>{1, 4, 3, 2, 0}));
    EXPECT_EQ(NextRandom(), 19169);
}

TEST(Random, AngleBetweenUsesAtan2OfTheDifferences) {
    EXPECT_FLOAT_EQ(AngleBetween(0, 0, 10, 0), 0.0f);
    EXPECT_FLOAT_EQ(AngleBetween(5, 5, 5, 15), static_cast<float>(M_PI / 2));
    EXPECT_FLOAT_EQ(AngleBetween(0, 0, -1, 0), static_cast<float>(M_PI));
    EXPECT_FLOAT_EQ(AngleBetween(100, 100, 0, 0), static_cast<float>(std::atan2(-100.0, -100.0)));
}
}  // namespace
