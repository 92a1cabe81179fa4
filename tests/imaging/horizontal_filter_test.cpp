#include <gtest/gtest.h>

#include <vector>

#include "imaging/kernel_variants.h"

namespace {

// One channel of a 24-pixel row: 0 except 1600 at pixel 10; the other channels stay 0.
std::vector<std::uint16_t> filteredImpulse(int level, int channel) {
    std::vector<std::uint16_t> row(3 * 24, 0);
    row[3 * 10 + channel] = 1600;
    horizontalFilterRowReference(row.data(), 24, level);
    return row;
}

TEST(HorizontalFilter, ImpulseResponsesOfEveryLevel) {
    // level: values at pixels 8 .. 12 around the impulse at 10
    const std::vector<std::pair<int, std::vector<int>>> expected = {
        {-1, {0, 0, 1600, 0, 0}},    {0, {0, 400, 800, 400, 0}},
        {1, {0, 400, 1000, 400, 0}},  // 4 * 1600 >> 4, 10 * 1600 >> 4, -1600 >> 4 clamped
        {2, {0, 400, 1200, 400, 0}},  // 2 * 1600 >> 3, 6 * 1600 >> 3, -1600 >> 3 clamped
        {3, {0, 400, 1600, 400, 0}},  // 1600 >> 2, 4 * 1600 >> 2, -1600 >> 2 clamped
    };
    for (const auto& [level, values] : expected) {
        for (int channel = 0; channel < 3; ++channel) {
            const std::vector<std::uint16_t> row = filteredImpulse(level, channel);
            for (int i = 0; i < 5; ++i) EXPECT_EQ(values[i], row[3 * (8 + i) + channel]) << "level " << level;
            int nonZero = 0;
            for (std::uint16_t sample : row) nonZero += sample != 0;
            EXPECT_EQ(level == -1 ? 1 : 3, nonZero) << "level " << level;
        }
    }
}

TEST(HorizontalFilter, EdgesBlurOrStayAndResultsClampAtTheTop) {
    // pixels: 0 0 65535 65535 65535 0 0 ... 0 1000
    std::vector<std::uint16_t> row(3 * 16, 0);
    for (int x : {2, 3, 4}) row[3 * x + 1] = 65535;
    row[3 * 15 + 1] = 1000;
    horizontalFilterRowReference(row.data(), 16, 1);
    const auto green = [&](int x) { return static_cast<int>(row[3 * x + 1]); };
    EXPECT_EQ(0, green(0));      // unchanged
    EXPECT_EQ(16383, green(1));  // (0 + 0 + 65535) >> 2
    EXPECT_EQ(53247, green(2));  // (4 * 65535 + 10 * 65535 - 65535) >> 4
    EXPECT_EQ(65535, green(3));  // 18 * 65535 >> 4 = 73726, clamped
    EXPECT_EQ(12287, green(5));  // (4 * 65535 - 65535) >> 4
    EXPECT_EQ(0, green(6));      // -65535 >> 4, clamped
    EXPECT_EQ(250, green(14));   // (0 + 0 + 1000) >> 2
    EXPECT_EQ(1000, green(15));  // unchanged
    EXPECT_EQ(0, row[3 * 3]);    // the other channels stay 0
}

}  // namespace
