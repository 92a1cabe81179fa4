#include "raw/black_frame.h"

#include <gtest/gtest.h>

TEST(BlackFrame, FitsOnlyTheSizeItWasMadeFor) {
    BlackFrame black;
    EXPECT_FALSE(blackFrameFits(black, 0, 0));
    ASSERT_TRUE(prepareBlackFrame(black, 16, 4));
    EXPECT_TRUE(blackFrameFits(black, 16, 4));
    EXPECT_FALSE(blackFrameFits(black, 8, 8));
    EXPECT_FALSE(blackFrameFits(black, 16, 5));
    black.values.pop_back();
    EXPECT_FALSE(blackFrameFits(black, 16, 4)) << "fewer values than pixels";
}

TEST(BlackFrame, IsMadeZeroedAndReplacedOnlyForAnotherSize) {
    BlackFrame black;
    ASSERT_TRUE(prepareBlackFrame(black, 8, 2));
    EXPECT_EQ(std::vector<std::int32_t>(16, 0), black.values);
    black.values[5] = 42;
    ASSERT_TRUE(prepareBlackFrame(black, 8, 2));
    EXPECT_EQ(42, black.values[5]) << "sums of the same size are kept";
    ASSERT_TRUE(prepareBlackFrame(black, 16, 2));
    EXPECT_EQ(std::vector<std::int32_t>(32, 0), black.values);
    EXPECT_FALSE(prepareBlackFrame(black, 0, 2));
    EXPECT_TRUE(black.values.empty());
    EXPECT_FALSE(prepareBlackFrame(black, -8, -2));
}
