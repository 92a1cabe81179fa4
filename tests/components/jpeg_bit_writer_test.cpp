#include "components/jpeg_bit_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Codes = std::vector<std::pair<std::uint32_t, int>>;  // value, length

Bytes written(const Codes& codes) {
    Bytes buffer(JpegBitWriter::worstCaseBytes(codes.size() * 32) + 16, 0xEE);
    JpegBitWriter writer;
    writer.out = buffer.data();
    for (const auto& [value, length] : codes) writer.put(value, length);
    writer.flush();
    buffer.resize(static_cast<std::size_t>(writer.out - buffer.data()));
    return buffer;
}

// The same, one bit at a time: the bits, padded with ones to a whole byte, cut
// into bytes, and a 0 after every 0xFF.
Bytes writtenBitByBit(const Codes& codes) {
    std::vector<int> bits;
    for (const auto& [value, length] : codes)
        for (int bit = length - 1; bit >= 0; --bit) bits.push_back((value >> bit) & 1);
    while (bits.size() % 8 != 0) bits.push_back(1);
    Bytes bytes;
    for (std::size_t i = 0; i < bits.size(); i += 8) {
        int byte = 0;
        for (std::size_t bit = 0; bit < 8; ++bit) byte = byte * 2 + bits[i + bit];
        bytes.push_back(static_cast<std::uint8_t>(byte));
        if (byte == 0xFF) bytes.push_back(0);
    }
    return bytes;
}

TEST(JpegBitWriter, PacksMostSignificantBitFirstAndPadsWithOnes) {
    // 101 0000 1 then 1111 padding: 1010 0001 1111 1111 -> A1 FF 00.
    EXPECT_EQ((Bytes{0xA1, 0xFF, 0x00}), written({{0b101, 3}, {0, 4}, {1, 1}, {0b1, 1}}));
    // Three bits 010 padded: 0101 1111.
    EXPECT_EQ((Bytes{0x5F}), written({{0b010, 3}}));
    EXPECT_EQ(Bytes{}, written({}));
}

TEST(JpegBitWriter, StuffsAfterEveryFfByteInsideAWord) {
    // Eight bytes with 0xFF at both ends and the middle: the word goes out byte by byte.
    const Codes codes = {{0xFF12FF34, 32}, {0x5678ABFF, 32}, {0x01, 8}};
    const Bytes expected = {0xFF, 0x00, 0x12, 0xFF, 0x00, 0x34, 0x56, 0x78, 0xAB, 0xFF, 0x00, 0x01};
    EXPECT_EQ(expected, written(codes));
}

TEST(JpegBitWriter, CodesAcrossWordBoundariesMatchTheBitByBitForm) {
    std::mt19937 random(6);
    for (int trial = 0; trial < 300; ++trial) {
        Codes codes;
        const int count = static_cast<int>(random() % 200);
        // Odd trials are rich in one bits, so many bytes are 0xFF.
        for (int i = 0; i < count; ++i) {
            const int length = 1 + static_cast<int>(random() % 32);
            std::uint32_t value = trial % 2 ? ~(random() & random() & random()) : random();
            if (length < 32) value &= (1u << length) - 1;
            codes.emplace_back(value, length);
        }
        ASSERT_EQ(writtenBitByBit(codes), written(codes)) << "trial " << trial;
    }
}

TEST(JpegBitWriter, NeverPassesItsWorstCase) {
    // All ones: every byte stuffed.
    const Codes codes(100, {0xFFFFFFFFu, 32});
    const Bytes bytes = written(codes);
    EXPECT_EQ(800u, bytes.size());
    EXPECT_LE(bytes.size(), JpegBitWriter::worstCaseBytes(100 * 32));
}

}  // namespace
