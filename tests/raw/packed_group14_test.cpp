#include "raw/packed_group14.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

TEST(PackedGroup14, TakesSamplesFromTheTopOfTheLittleEndianWords) {
    // 0xFC 0xFF: w0 = 0xFFFC, so s0 = 16383 and the two low bits (s1's top) are 0.
    std::array<std::uint8_t, 14> group{0xFC, 0xFF};
    std::uint32_t samples[8];
    for (const auto decode : {decodeGroup14Reference, decodeGroup14}) {
        decode(group.data(), samples);
        EXPECT_EQ(16383u, samples[0]);
        for (int index = 1; index < 8; ++index) EXPECT_EQ(0u, samples[index]);
    }
    // 0x03 0x00: the two low bits of w0 are the top bits of s1: 3 << 12.
    group = {0x03, 0x00};
    for (const auto decode : {decodeGroup14Reference, decodeGroup14}) {
        decode(group.data(), samples);
        EXPECT_EQ(0u, samples[0]);
        EXPECT_EQ(12288u, samples[1]);
    }
    // The last sample is the low 14 bits of w6 (bytes 12 and 13).
    group = {};
    group[12] = 0xFF;
    group[13] = 0xFF;
    decodeGroup14(group.data(), samples);
    EXPECT_EQ(16383u, samples[7]);
    EXPECT_EQ(3u, samples[6]);
}

TEST(PackedGroup14, TheFastFormMatchesTheLayoutOnRandomGroups) {
    std::mt19937 generator(7);
    std::array<std::uint8_t, 14> group{};
    for (int round = 0; round < 100000; ++round) {
        for (auto& byte : group) byte = static_cast<std::uint8_t>(generator());
        std::uint32_t reference[8], fast[8];
        decodeGroup14Reference(group.data(), reference);
        decodeGroup14(group.data(), fast);
        for (int index = 0; index < 8; ++index) ASSERT_EQ(reference[index], fast[index]) << round;
    }
}
