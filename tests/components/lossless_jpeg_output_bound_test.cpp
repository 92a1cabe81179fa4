#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "components/lossless_jpeg_encoder.h"

namespace {

using Samples = std::vector<std::uint16_t>;
using Bytes = std::vector<std::uint8_t>;

Samples randomFrame(int width, int height) {
    std::mt19937 random(10);
    Samples frame(static_cast<std::size_t>(width) * height);
    for (auto& sample : frame) sample = static_cast<std::uint16_t>(random());
    return frame;
}

TEST(LosslessJpegOutputBound, WorstCaseIsThirtyTwoBitsASampleAllStuffedPlusTheMarkers) {
    // 63 bytes of SOI, SOF3, DHT and SOS; 8 bytes a sample; 18 for the last
    // pending bits and padding, stuffed; 2 for EOI.
    EXPECT_EQ(63u + 8u * 6u + 18u + 2u, losslessJpegMaxBytes(3, 2));
    EXPECT_EQ(63ull + 8ull * 4096u * 2160u + 20u, losslessJpegMaxBytes(4096, 2160));
    EXPECT_EQ(63ull + 8ull * 65535u * 65535u + 20u, losslessJpegMaxBytes(65535, 65535));
    EXPECT_EQ(0u, losslessJpegMaxBytes(0, 10));
    EXPECT_EQ(0u, losslessJpegMaxBytes(10, 65536));
    EXPECT_EQ(0u, losslessJpegMaxBytes(-2, 10));
}

// Whatever room the caller gives, nothing is written past it: the image either
// fits, or the call reports that it did not. With the bound it always fits.
TEST(LosslessJpegOutputBound, NeverWritesPastTheGivenRoom) {
    const int width = 37, height = 11;
    const Samples frame = randomFrame(width, height);
    const std::size_t bound = losslessJpegMaxBytes(width, height);
    LosslessJpegWorkspace workspace;
    for (std::size_t capacity : {std::size_t{0}, std::size_t{1}, std::size_t{62}, std::size_t{63},
                                 std::size_t{200}, bound / 2, bound - 1, bound}) {
        Bytes buffer(bound + 64, 0xEE);
        const Result<std::size_t> result =
            encodeLosslessJpeg(frame.data(), width, width, height, workspace, buffer.data(), capacity);
        for (std::size_t i = capacity; i < buffer.size(); ++i)
            ASSERT_EQ(0xEE, buffer[i]) << "byte " << i << " written with room for " << capacity;
        if (capacity == bound || result.ok()) {
            ASSERT_TRUE(result.ok()) << result.status().message();
            EXPECT_LE(result.value(), capacity);
        }
        if (capacity <= 200) {
            EXPECT_EQ(ErrorCode::kFailed, result.status().code()) << capacity;
        }
    }
}

TEST(LosslessJpegOutputBound, RefusesWhatItCannotCode) {
    const Samples frame = randomFrame(8, 8);
    Bytes buffer(losslessJpegMaxBytes(8, 8));
    LosslessJpegWorkspace workspace;
    const auto encode = [&](const std::uint16_t* samples, std::size_t stride, int width, int height,
                            LosslessJpegOptions options = {}) {
        return encodeLosslessJpeg(samples, stride, width, height, workspace, buffer.data(), buffer.size(),
                                  options)
            .status()
            .code();
    };
    EXPECT_EQ(ErrorCode::kBadInput, encode(nullptr, 8, 8, 8));
    EXPECT_EQ(ErrorCode::kBadInput, encode(frame.data(), 8, 0, 8));
    EXPECT_EQ(ErrorCode::kBadInput, encode(frame.data(), 8, 8, -1));
    EXPECT_EQ(ErrorCode::kBadInput, encode(frame.data(), 70000, 65536, 1));
    EXPECT_EQ(ErrorCode::kBadInput, encode(frame.data(), 7, 8, 8)) << "rows overlap";
    EXPECT_EQ(ErrorCode::kBadInput, encode(frame.data(), 8, 8, 8, {.predictor = 0}));
    EXPECT_EQ(ErrorCode::kBadInput, encode(frame.data(), 8, 8, 8, {.predictor = 8}));
    EXPECT_EQ(ErrorCode::kBadInput, encode(frame.data(), 8, 8, 8, {.tableRowStep = 0}));
    EXPECT_EQ(ErrorCode::kBadInput,
              encodeLosslessJpeg(frame.data(), 8, 8, 8, workspace, nullptr, 100).status().code());
    EXPECT_EQ(ErrorCode::kNone, encode(frame.data(), 8, 8, 8));
}

}  // namespace
