#include "files/dpx_pixel_packing.h"

#include <gtest/gtest.h>

#include <iostream>
#include <iterator>
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

// Every vector form the processor runs gives the reference's bytes: rows of every width up to
// past two vectors of the widest form (the tail taken by the scalar loop), samples at the
// extremes and at every bit boundary, and not a byte past the row written.
TEST(DpxPixelPacking, EveryFormEqualsTheReference) {
    std::mt19937 generator(11);
    const std::uint16_t edges[] = {0, 63, 64, 0x3FF, 0x400, 0x0FC0, 0x1000, 0x7FFF, 0x8000, 0xFFC0, 0xFFFF};
    for (const platform::SimdForm form : platform::kSimdForms) {
        if (const char* missing = platform::missingCpuFeature(form)) {
            std::cout << "[  SKIPPED ] the " << platform::simdFormName(form) << " form: the CPU lacks "
                      << missing << "\n";
            continue;
        }
        const DpxRowPacker pack = dpxRowPacker(form);
        for (std::uint32_t width = 1; width <= 80; ++width) {
            std::vector<std::uint16_t> rgb(width * 3);
            for (auto& sample : rgb)
                sample = generator() % 3 == 0 ? edges[generator() % std::size(edges)]
                                              : static_cast<std::uint16_t>(generator());
            std::vector<std::uint8_t> expected(width * 4 + 8, 0x77), packed(width * 4 + 8, 0x77);
            packRgbRowTo10BitReference(rgb.data(), width, expected.data());
            pack(rgb.data(), width, packed.data());
            ASSERT_EQ(expected, packed) << platform::simdFormName(form) << " form, width " << width;
        }
    }
}
