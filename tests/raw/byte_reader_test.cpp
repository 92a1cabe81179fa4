#include "raw/byte_reader.h"

#include <gtest/gtest.h>

#include <array>

TEST(ByteReader, ReadsLittleEndianAndKnowsItsBounds) {
    const std::array<std::uint8_t, 6> bytes = {0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF};
    const ByteReader in(bytes);
    EXPECT_EQ(0x1234, in.u16At(0));
    EXPECT_EQ(0xFFFFFE12u, in.u32At(1));
    EXPECT_EQ(-2, in.i32At(2));
    EXPECT_TRUE(in.covers(2, 4));
    EXPECT_FALSE(in.covers(3, 4));
    EXPECT_FALSE(in.covers(7, 0));
    EXPECT_TRUE(in.covers(6, 0));
    EXPECT_FALSE(in.covers(1, static_cast<std::size_t>(-1)));
}
