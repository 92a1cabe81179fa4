#include <gtest/gtest.h>

#include "demosaic_model.h"
#include "imaging/demosaic.h"
#include "imaging/kernel_variants.h"
#include "kernel_test_frames.h"

namespace {

using kernel_test::Samples;

std::vector<std::pair<const char*, kernel_test::StripKernel>> strips() {
    std::vector<std::pair<const char*, kernel_test::StripKernel>> result = {
        {"dispatch", verticalFilterStrip}, {"reference", verticalFilterStripReference}};
    if (avx2KernelsAvailable()) result.emplace_back("avx2", verticalFilterStripAvx2);
    return result;
}

// A 16 x 6 frame whose every sample in row y is column[y].
Samples columnFrame(const std::vector<std::uint16_t>& column) {
    Samples rgb;
    for (std::uint16_t value : column) rgb.insert(rgb.end(), 48, value);
    return rgb;
}

TEST(VerticalFilter, OuterRowsAreSubtractedBeforeTheSideRowsAreAdded) {
    for (const auto& [name, strip] : strips()) {
        SCOPED_TRACE(name);
        Samples rgb = columnFrame({4000, 1000, 0, 1000, 4000, 0});
        strip(rgb.data(), 16, 6, 0, 1);
        // Row 2: 5 * 0, minus 125 twice stopping at 0, plus 2 * 62 twice: 248, stored doubled.
        EXPECT_EQ(columnFrame({4000, 1000, 496, 1558, 4000, 0}), rgb);
        // Row 3 from 1000, 0, 1000, 4000, 0: 5 * 62 - 31 - 0 + 0 + 2 * 250 = 779 -> 1558;
        // row 4 from 0, 1000, 4000, 0, 0: 5 * 250 - 0 - 0 + 2 * 62 + 0 = 1374 -> 2748.
        Samples taller = columnFrame({4000, 1000, 0, 1000, 4000, 0, 0});
        strip(taller.data(), 16, 7, 0, 1);
        EXPECT_EQ(columnFrame({4000, 1000, 496, 1558, 2748, 0, 0}), taller);
    }
}

TEST(VerticalFilter, LevelsByHandIncludingTheCapAndSaturation) {
    for (const auto& [name, strip] : strips()) {
        SCOPED_TRACE(name);
        // Level 0: (1001 >> 2) + 2 * (2002 >> 2) + (3003 >> 2) = 250 + 1000 + 750; row 3: 500 + 1500 + 2.
        Samples rgb = columnFrame({9, 1001, 2002, 3003, 9, 9});
        strip(rgb.data(), 16, 6, 0, 0);
        EXPECT_EQ(columnFrame({9, 1001, 2000, 2002, 9, 9}), rgb);
        // Level 3 on white: 4 * 8191 - 8191 - 8191 + 8191 + 8191 = 32764 -> 65528.
        rgb = columnFrame({65535, 65535, 65535, 65535, 65535, 65535});
        strip(rgb.data(), 16, 6, 0, 3);
        EXPECT_EQ(columnFrame({65535, 65535, 65528, 65528, 65535, 65535}), rgb);
        // Level 2, bright side rows, dark outer rows: 6 * 4095 + 2 * 2 * 4095 = 40950, capped at 32767;
        // row 3: 6 * 4095 - 4095 - 0 + 2 * 4095 + 0 = 28665.
        rgb = columnFrame({0, 65535, 65535, 65535, 0, 0});
        strip(rgb.data(), 16, 6, 0, 2);
        EXPECT_EQ(columnFrame({0, 65535, 65534, 57330, 0, 0}), rgb);
        // Level 1, dark centre between bright rows: 0 - 2047 - 2047 stops at 0, + 8190 + 8190;
        // row 3: 5 * 4095 - 2047 - 0 + 0 + 8190 = 26618.
        rgb = columnFrame({65535, 65535, 0, 65535, 65535, 0});
        strip(rgb.data(), 16, 6, 0, 1);
        EXPECT_EQ(columnFrame({65535, 65535, 32760, 53236, 65535, 0}), rgb);
    }
}

TEST(VerticalFilter, EveryFormMatchesTheModelIncludingPartialStrips) {
    const std::vector<std::pair<int, int>> sizes = {{16, 6}, {32, 7}, {48, 20}, {24, 9}, {37, 8}, {17, 6}};
    unsigned seed = 7;
    for (const kernel_test::Pattern& pattern : kernel_test::adversarialPatterns()) {
        for (const auto& [width, height] : sizes) {
            const Samples original = kernel_test::makeFrame(pattern, 3 * width, height, seed++);
            for (int level : {-1, 0, 1, 2, 3}) {
                Samples expected = original;
                model::verticalFilter(expected, width, height, level);
                for (const auto& [name, strip] : strips()) {
                    SCOPED_TRACE(pattern.name + " " + name + " " + std::to_string(width) + "x" +
                                 std::to_string(height) + " level " + std::to_string(level));
                    Samples rgb = original;
                    kernel_test::runVertical(strip, rgb, width, height, level);
                    ASSERT_EQ(expected, rgb);
                }
            }
        }
    }
}

}  // namespace
