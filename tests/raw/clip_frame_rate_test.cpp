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
    // 29970 / 1000 in single precision is 29.9699993..., just below 29.97.
    expectRate(29970, 29970.0f / 1000.0f, 29970, 1000);
    expectRate(29980, 29980.0f / 1000.0f, 30000, 1001);
    expectRate(29975, 29975.0f / 1000.0f, 30000, 1001);
    expectRate(59940, 59940.0f / 1000.0f, 59940, 1000);
    expectRate(23981, 23981.0f / 1000.0f, 23981, 1000);
}
