#include "bytes/byte_writer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>

namespace {

using Block = std::array<std::uint8_t, 16>;

}  // namespace

TEST(ByteWriter, PutsBigEndianNumbersMostSignificantByteFirst) {
    Block block{};
    ByteWriter out(block, ByteOrder::kBigEndian);
    out.put8(0, 0x01);
    out.put16(1, 0x0203);
    out.put32(3, 0x04050607);
    out.putF32(7, 1.5f);
    out.putI32(11, -2);
    EXPECT_TRUE(out.ok());
    const Block expected = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x3F,
                            0xC0, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFE, 0x00};
    EXPECT_EQ(expected, block);

    Block wide{};
    ByteWriter out64(wide, ByteOrder::kBigEndian);
    out64.put64(8, 0x0102030405060708ull);
    const Block expected64 = {0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    EXPECT_EQ(expected64, wide);
}

TEST(ByteWriter, PutsLittleEndianNumbersLeastSignificantByteFirst) {
    Block block{};
    ByteWriter out(block, ByteOrder::kLittleEndian);
    out.put16(0, 0x0201);
    out.put32(2, 0x06050403);
    out.put64(6, 0x0E0D0C0B0A090807ull);
    out.putF32(12, 1.5f);
    EXPECT_TRUE(out.ok());
    const Block expected = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                            0x09, 0x0A, 0x0B, 0x0C, 0x00, 0x00, 0xC0, 0x3F};
    EXPECT_EQ(expected, block);
}

TEST(ByteWriter, AWriteThatDoesNotFitWritesNothingAndIsMarked) {
    std::array<std::uint8_t, 9> memory{};
    const std::span<std::uint8_t> block(memory.data(), 8);  // the 9th byte lies outside
    ByteWriter out(block, ByteOrder::kBigEndian);
    out.put32(4, 0xA1A2A3A4);
    EXPECT_TRUE(out.ok());
    out.put32(5, 0xFFFFFFFF);
    out.put16(7, 0xFFFF);
    out.put64(1, 0);
    out.put8(8, 0xFF);
    const std::array<std::uint8_t, 2> text = {'T', 'X'};
    out.putBytes(7, text);
    out.putBytes(std::numeric_limits<std::size_t>::max(), text);
    EXPECT_FALSE(out.ok());
    const std::array<std::uint8_t, 9> expected = {0, 0, 0, 0, 0xA1, 0xA2, 0xA3, 0xA4, 0};
    EXPECT_EQ(expected, memory);

    ByteWriter fits(block, ByteOrder::kLittleEndian);
    fits.putBytes(6, text);
    fits.put8(0, 0x11);
    EXPECT_TRUE(fits.ok());
    EXPECT_EQ('T', memory[6]);
    EXPECT_EQ('X', memory[7]);
}
