#include "archive/crc32c.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

// CRC-32C against the definition worked bit by bit, over every length that
// takes a different route: short tails, three blocks of 256 bytes at once,
// three of 8192, and what is left after them, from any alignment.

namespace {

std::uint32_t bitwiseCrc32c(const std::uint8_t* bytes, std::size_t count) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t index = 0; index < count; ++index) {
        crc ^= bytes[index];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0x82F63B78u & (0u - (crc & 1u)));
    }
    return ~crc;
}

}  // namespace

TEST(Crc32c, MatchesTheDefinitionAtEveryLength) {
    EXPECT_EQ(0xE3069283u, crc32c("123456789", 9));
    EXPECT_EQ(0u, crc32c(nullptr, 0));
    std::mt19937 random(1);
    std::vector<std::uint8_t> bytes(3 * 8192 * 2 + 3 * 256 * 3 + 64);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length < 40; ++length) lengths.push_back(length);
    for (const std::size_t block : {std::size_t{256}, std::size_t{8192}})
        for (const std::size_t times : {std::size_t{3}, std::size_t{6}})
            for (const int around : {-9, -1, 0, 1, 7, 8, 255})
                lengths.push_back(static_cast<std::size_t>(static_cast<long>(block * times) + around));
    lengths.push_back(bytes.size() - 3);
    for (const std::size_t offset : {0, 1, 3})
        for (const std::size_t length : lengths) {
            ASSERT_LE(offset + length, bytes.size());
            EXPECT_EQ(bitwiseCrc32c(bytes.data() + offset, length), crc32c(bytes.data() + offset, length))
                << "length " << length << " from " << offset;
        }
}

// A frame's checksum takes its rows' samples low byte first, whatever lies
// between the rows.
TEST(Crc32c, FrameChecksumTakesTheSamplesOfEachRow) {
    std::mt19937 random(2);
    for (const int width : {1, 37, 1920, 4099}) {
        const int height = 5;
        const std::size_t stride = static_cast<std::size_t>(width) + 7;
        std::vector<std::uint16_t> frame(stride * height);
        for (auto& sample : frame) sample = static_cast<std::uint16_t>(random());
        std::vector<std::uint8_t> bytes;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint16_t sample =
                    frame[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)];
                bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
                bytes.push_back(static_cast<std::uint8_t>(sample >> 8));
            }
        EXPECT_EQ(bitwiseCrc32c(bytes.data(), bytes.size()),
                  frameChecksum(frame.data(), width, height, stride))
            << "width " << width;
    }
}
