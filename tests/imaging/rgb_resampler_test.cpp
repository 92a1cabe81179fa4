#include "imaging/rgb_resampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// The scaler works with 15-bit intermediates, so a flat 16-bit level may move
// by a few units; far less than one step of a 10-bit DPX sample (64 units).
TEST(RgbResampler, KeepsAFlatPictureFlatAtTheNewSize) {
    const int width = 64, height = 32, targetWidth = 48, targetHeight = 20;
    std::vector<std::uint16_t> source(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < source.size(); i += 3) {
        source[i] = 10000;
        source[i + 1] = 30000;
        source[i + 2] = 50000;
    }
    std::vector<std::uint16_t> target(static_cast<std::size_t>(targetWidth) * targetHeight * 3, 0);
    RgbResampler resampler;
    ASSERT_TRUE(resampler.configure(width, height, targetWidth, targetHeight));
    ASSERT_TRUE(resampler.resample(source.data(), target.data()));
    for (std::size_t i = 0; i < target.size(); i += 3) {
        ASSERT_NEAR(10000, target[i], 16) << i;
        ASSERT_NEAR(30000, target[i + 1], 16) << i;
        ASSERT_NEAR(50000, target[i + 2], 16) << i;
    }
}

TEST(RgbResampler, GivesTheSameBytesTwiceAndRefusesEmptySizes) {
    const int width = 32, height = 16;
    std::vector<std::uint16_t> source(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<std::uint16_t>(i * 2654435761u >> 16);
    std::vector<std::uint16_t> first(64 * 24 * 3), second(64 * 24 * 3);
    RgbResampler resampler;
    ASSERT_TRUE(resampler.configure(width, height, 64, 24));
    ASSERT_TRUE(resampler.resample(source.data(), first.data()));
    RgbResampler again;
    ASSERT_TRUE(again.configure(width, height, 64, 24));
    ASSERT_TRUE(again.resample(source.data(), second.data()));
    EXPECT_EQ(first, second);
    EXPECT_FALSE(resampler.configure(0, 16, 64, 24));
    EXPECT_FALSE(resampler.configure(32, 16, 64, 0));
}
