#include "raw/clip_frame_rate.h"

#include <gtest/gtest.h>

namespace {

void expectRate(std::uint32_t field, float rate, std::int32_t numerator, std::int32_t denominator) {
    const ClipFrameRate result = clipFrameRate(field);
    EXPECT_EQ(rate, result.frameRate) << field;
    EXPECT_EQ(numerator, result.numerator) << field;
    EXPECT_EQ(denominator, result.denominator) << field;
}

}  // namespace

TEST(ClipFrameRate, FollowsTheRateRules) {
    expectRate(24000, 24.0f, 24, 1);
    expectRate(25000, 25.0f, 25, 1);
    expectRate(30000, 30.0f, 30, 1);
    expectRate(50000, 50.0f, 50, 1);
    // At or below 23.98: 24000/1001 whatever the rate.
    expectRate(23976, 23.976025f, 24000, 1001);
    expectRate(23980, 23.976025f, 24000, 1001);
    expectRate(15000, 23.976025f, 24000, 1001);
    expectRate(12000, 23.976025f, 24000, 1001);
    expectRate(0, 23.976025f, 24000, 1001);
    // The NTSC rates, written to thousandths or hundredths, are N x 1000/1001 exactly.
    expectRate(29970, static_cast<float>(30000.0 / 1001.0), 30000, 1001);
    expectRate(47952, static_cast<float>(48000.0 / 1001.0), 48000, 1001);
    expectRate(47950, static_cast<float>(48000.0 / 1001.0), 48000, 1001);
    expectRate(59940, static_cast<float>(60000.0 / 1001.0), 60000, 1001);
    expectRate(119880, static_cast<float>(120000.0 / 1001.0), 120000, 1001);
    // Near them but not one of them: the thousandths as they are, or 30000/1001 up to 29.98.
    expectRate(29980, 29980.0f / 1000.0f, 30000, 1001);
    expectRate(29975, 29975.0f / 1000.0f, 30000, 1001);
    expectRate(59939, 59939.0f / 1000.0f, 59939, 1000);
    expectRate(47951, 47951.0f / 1000.0f, 47951, 1000);
    expectRate(119800, 119800.0f / 1000.0f, 119800, 1000);
    expectRate(23981, 23981.0f / 1000.0f, 23981, 1000);
}
