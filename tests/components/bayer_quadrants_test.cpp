#include "components/bayer_quadrants.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include "components/lossless_jpeg_kernels.h"

namespace {

using Samples = std::vector<std::uint16_t>;

// A 5 x 3 frame whose samples are their own positions (10 * row + column):
//   row 0:  0  1  2  3  4      R G R G R
//   row 1: 10 11 12 13 14      G B G B G
//   row 2: 20 21 22 23 24      R G R G R
// Three left columns (even Bayer columns), two right; two top rows (even Bayer rows), one bottom.
TEST(BayerQuadrants, OddSizesGiveTheExtraColumnAndRowToTheLeftAndTop) {
    Samples bayer(15);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) bayer[y * 5 + x] = static_cast<std::uint16_t>(10 * y + x);
    const Samples expected = {
        0,  2,  4,  1,  3,   // red of row 0, then its greens
        20, 22, 24, 21, 23,  // red of row 2, then its greens
        10, 12, 14, 11, 13,  // greens of blue row 1, then its blues
    };
    Samples quadrants(15);
    bayerToQuadrants(bayer.data(), 5, 3, quadrants.data());
    EXPECT_EQ(expected, quadrants);

    const QuadrantSplit split = splitQuadrants(5, 3);
    EXPECT_EQ(3, split.leftWidth);
    EXPECT_EQ(2, split.rightWidth);
    EXPECT_EQ(2, split.topHeight);
    EXPECT_EQ(1, split.bottomHeight);
    EXPECT_EQ(0, quadrantSourceRow(0, 3));
    EXPECT_EQ(2, quadrantSourceRow(1, 3));
    EXPECT_EQ(1, quadrantSourceRow(2, 3));
}

TEST(BayerQuadrants, EvenFrameHasItsColoursInTheFourQuadrants) {
    // 4 x 4: red top-left, greens top-right and bottom-left, blue bottom-right.
    const int width = 4, height = 4;
    Samples bayer(16);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bayer[y * width + x] = static_cast<std::uint16_t>((y % 2) * 2 + x % 2);
    Samples quadrants(16);
    bayerToQuadrants(bayer.data(), width, height, quadrants.data());
    const Samples expected = {0, 0, 1, 1, 0, 0, 1, 1, 2, 2, 3, 3, 2, 2, 3, 3};
    EXPECT_EQ(expected, quadrants);
}

TEST(BayerQuadrants, InverseGivesBackEveryFrame) {
    std::mt19937 random(3);
    for (int width = 1; width <= 9; ++width)
        for (int height = 1; height <= 9; ++height) {
            Samples bayer(static_cast<std::size_t>(width) * height);
            std::iota(bayer.begin(), bayer.end(), std::uint16_t{1});
            Samples quadrants(bayer.size()), back(bayer.size());
            bayerToQuadrants(bayer.data(), width, height, quadrants.data());
            Samples sorted = quadrants;
            std::sort(sorted.begin(), sorted.end());
            EXPECT_EQ(bayer, sorted) << "every sample once, " << width << "x" << height;
            quadrantsToBayer(quadrants.data(), width, height, back.data());
            EXPECT_EQ(bayer, back) << width << "x" << height;
        }
}

TEST(BayerQuadrants, Avx2RowMatchesTheReference) {
    if (!losslessJpegAvx2Available()) GTEST_SKIP() << "no AVX2";
    std::mt19937 random(4);
    for (int width = 1; width <= 130; ++width) {
        Samples bayerRow(static_cast<std::size_t>(width));
        for (auto& sample : bayerRow) sample = static_cast<std::uint16_t>(random());
        Samples reference(static_cast<std::size_t>(width) + kRowPadding, 0xABCD);
        Samples avx2 = reference;
        bayerRowToQuadrantRow(bayerRow.data(), width, reference.data());
        bayerRowToQuadrantRowAvx2(bayerRow.data(), width, avx2.data());
        EXPECT_EQ(reference, avx2) << "width " << width << ", padding untouched too";
    }
}

}  // namespace
