#include "raw/black_calibration.h"

#include <gtest/gtest.h>

#include <string>

#include "raw/unpack.h"

namespace {

BlackFrame sumsOf(int width, int height, std::vector<std::int32_t> sums) {
    BlackFrame black;
    black.width = width;
    black.height = height;
    black.values = std::move(sums);
    return black;
}

}  // namespace

TEST(BlackCalibration, AveragesTruncateAndTheOffsetComesOff) {
    // Three frames: sums 30, 31, 32 all average 10; 60 averages 20.
    BlackFrame black = sumsOf(4, 1, {30, 31, 32, 60});
    const Result<BlackCalibrationSummary> finished = finishBlackCalibration(black, 4, 1, 3, 8);
    ASSERT_TRUE(finished.ok());
    const BlackCalibrationSummary& summary = finished.value();
    EXPECT_EQ((std::vector<std::int32_t>{2, 2, 2, 12}), black.values);
    EXPECT_EQ(10, summary.minimum);
    EXPECT_EQ(20, summary.maximum);
    EXPECT_EQ(12, summary.average);
}

TEST(BlackCalibration, AnOffsetAboveTheAverageLeavesNegativeBlackValues) {
    BlackFrame black = sumsOf(2, 1, {5, 7});
    const Result<BlackCalibrationSummary> finished = finishBlackCalibration(black, 2, 1, 1, 8);
    ASSERT_TRUE(finished.ok());
    EXPECT_EQ(5, finished->minimum);
    EXPECT_EQ(7, finished->maximum);
    EXPECT_EQ(6, finished->average);
    EXPECT_EQ((std::vector<std::int32_t>{-3, -1}), black.values);
}

TEST(BlackCalibration, NoFrameGivesAReasonAndNoBlackFrame) {
    BlackFrame black = sumsOf(2, 1, {0, 0});
    const Result<BlackCalibrationSummary> finished = finishBlackCalibration(black, 2, 1, 0, 8);
    ASSERT_FALSE(finished.ok());
    EXPECT_EQ("the black calibration clip gave no frame", finished.status().message());
    EXPECT_FALSE(blackFrameFits(black, 2, 1));
}

TEST(BlackCalibration, ABlackFrameOfAnotherSizeIsDropped) {
    BlackFrame black = sumsOf(2, 1, {10, 10});
    const Result<BlackCalibrationSummary> finished = finishBlackCalibration(black, 4, 1, 1, 8);
    ASSERT_FALSE(finished.ok());
    EXPECT_EQ("the black calibration frame does not match its clip", finished.status().message());
    EXPECT_TRUE(black.values.empty());
}

TEST(BlackCalibration, ADarkPixelEndsNearTheOffsetAfterSubtraction) {
    // Eight pixels all at 100 in two frames of the lens-cap clip: black 92 each.
    // 100 is eight 14-bit samples 0b00000001100100 packed most significant bit first.
    std::vector<std::uint8_t> packed(14, 0);
    const std::uint16_t sample = 100;
    std::uint64_t head = 0, tail = 0;
    for (int k = 0; k < 4; ++k) head = (head << 14) | sample;  // 56 bits: s0..s3
    for (int k = 0; k < 4; ++k) tail = (tail << 14) | sample;  // 56 bits: s4..s7
    // The 112-bit string is head then tail; cut it into seven little-endian words.
    for (int wordIndex = 0; wordIndex < 7; ++wordIndex) {
        const int firstBit = wordIndex * 16;  // counted from the top of the string
        std::uint32_t word = 0;
        for (int bit = firstBit; bit < firstBit + 16; ++bit) {
            const std::uint64_t source = bit < 56 ? head : tail;
            const int position = 55 - (bit < 56 ? bit : bit - 56);
            word = (word << 1) | static_cast<std::uint32_t>((source >> position) & 1u);
        }
        packed[static_cast<std::size_t>(2 * wordIndex)] = static_cast<std::uint8_t>(word & 0xFF);
        packed[static_cast<std::size_t>(2 * wordIndex + 1)] = static_cast<std::uint8_t>(word >> 8);
    }
    BlackFrame black;
    ASSERT_TRUE(prepareBlackFrame(black, 8, 1));
    std::vector<std::uint16_t> bayer(8, 0);
    std::vector<std::uint16_t> table(16384);
    for (int i = 0; i < 16384; ++i) table[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i);
    unpackFrame(packed, bayer, &black, table, 8, 1, 8, 1, kPacking14, kCalibrationPass);
    unpackFrame(packed, bayer, &black, table, 8, 1, 8, 1, kPacking14, kCalibrationPass);
    EXPECT_EQ(std::vector<std::int32_t>(8, 200), black.values);
    const Result<BlackCalibrationSummary> finished = finishBlackCalibration(black, 8, 1, 2, 8);
    ASSERT_TRUE(finished.ok());
    EXPECT_EQ(100, finished->average);
    unpackFrame(packed, bayer, &black, table, 8, 1, 8, 1, kPacking14, 1);
    EXPECT_EQ(std::vector<std::uint16_t>(8, 8), bayer);
}
