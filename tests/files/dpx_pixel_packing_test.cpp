#include "files/dpx_pixel_packing.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

TEST(DpxPixelPacking, KeepsTheTopTenBitsOfEachSampleMostSignificantByteFirst) {
    const std::vector<std::uint16_t> rgb = {65535, 32768, 0, 64, 128, 192, 63, 63, 63};
    std::vector<std::uint8_t> packed(12, 0x55);
    packRgbRowTo10Bit(rgb.data(), 3, packed.data());
    EXPECT_EQ(
        (std::vector<std::uint8_t>{0xFF, 0xE0, 0x00, 0x00, 0x00, 0x40, 0x20, 0x0C, 0x00, 0x00, 0x00, 0x00}),
        packed);
}

TEST(DpxPixelPacking, MatchesPlaceValueArithmeticOnRandomRows) {
    std::mt19937 generator(7);
    const std::uint32_t width = 1000;
    std::vector<std::uint16_t> rgb(width * 3);
    for (auto& sample : rgb) sample = static_cast<std::uint16_t>(generator());
    std::vector<std::uint8_t> packed(width * 4 + 1, 0x77);
    packRgbRowTo10Bit(rgb.data(), width, packed.data());
    for (std::uint32_t pixel = 0; pixel < width; ++pixel) {
        // Word value by place values: red * 2^22 + green * 2^12 + blue * 4.
        const std::uint64_t word = std::uint64_t{rgb[pixel * 3] / 64u} * 4194304u +
                                   std::uint64_t{rgb[pixel * 3 + 1] / 64u} * 4096u +
                                   rgb[pixel * 3 + 2] / 64u * 4u;
        const std::uint64_t stored =
            ((std::uint64_t{packed[pixel * 4]} * 256 + packed[pixel * 4 + 1]) * 256 + packed[pixel * 4 + 2]) *
                256 +
            packed[pixel * 4 + 3];
        ASSERT_EQ(word, stored) << "pixel " << pixel;
    }
    EXPECT_EQ(0x77, packed.back());
}
