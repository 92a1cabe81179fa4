#include "imaging/yuv422.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "demosaic_model.h"
#include "imaging/kernel_variants.h"

namespace {

using Converter = void (*)(std::uint16_t*, int, int);

std::vector<std::pair<const char*, Converter>> converters() {
    std::vector<std::pair<const char*, Converter>> result = {{"dispatch", toYuv422Row},
                                                             {"reference", toYuv422RowReference}};
    if (avx2KernelsAvailable()) result.emplace_back("avx2", toYuv422RowAvx2);
    return result;
}

// Row 1 of a 3-row frame of width pixels, all of one colour; returns the converted row.
std::vector<std::uint16_t> convertFlatRow(Converter convert, int width, std::uint16_t r, std::uint16_t g,
                                          std::uint16_t b) {
    std::vector<std::uint16_t> frame(3 * 3 * static_cast<std::size_t>(width), 0);
    for (int x = 0; x < width; ++x) {
        frame[3 * (width + x)] = r;
        frame[3 * (width + x) + 1] = g;
        frame[3 * (width + x) + 2] = b;
    }
    convert(frame.data(), width, 1);
    for (std::size_t i = 0; i < 3 * static_cast<std::size_t>(width); ++i) {
        EXPECT_EQ(0, frame[i]) << "row 0 untouched";
        EXPECT_EQ(0, frame[6 * static_cast<std::size_t>(width) + i]) << "row 2 untouched";
    }
    return {frame.begin() + 3 * width, frame.begin() + 6 * width};
}

TEST(Yuv422, PrimaryColoursGiveTheWorkedValues) {
    struct Case {
        std::uint16_t r, g, b, y, cr, cb;
    };
    const Case cases[] = {
        {0, 0, 0, 4112, 32768, 32768},      {65535, 65535, 65535, 60406, 32768, 32768},
        {65535, 0, 0, 16104, 61537, 26148}, {0, 65535, 0, 44350, 6619, 10617},
        {0, 0, 65535, 8175, 30146, 61537},
    };
    for (const auto& [name, convert] : converters()) {
        for (int width : {16, 10, 34}) {
            for (const Case& c : cases) {
                const std::vector<std::uint16_t> row = convertFlatRow(convert, width, c.r, c.g, c.b);
                for (int pair = 0; pair < width / 2; ++pair) {
                    ASSERT_EQ(c.y, row[4 * pair]) << name << " pair " << pair;
                    ASSERT_EQ(c.cr, row[4 * pair + 1]) << name;
                    ASSERT_EQ(c.y, row[4 * pair + 2]) << name;
                    ASSERT_EQ(c.cb, row[4 * pair + 3]) << name;
                }
                // The last third of the row keeps the RGB samples of the right half.
                for (int i = 2 * width; i < 3 * width; ++i) {
                    const int channel = i % 3;
                    ASSERT_EQ(channel == 0 ? c.r : channel == 1 ? c.g : c.b, row[i]) << name;
                }
            }
        }
    }
}

// Random rows, many values near the rounding boundaries, against an independent evaluation
// of the sums; every form, widths with and without a tail of pairs.
TEST(Yuv422, EveryFormMatchesTheFormulasOnRandomRows) {
    std::mt19937 random(42);
    for (int round = 0; round < 400; ++round) {
        const int width = 2 * (1 + static_cast<int>(random() % 300));
        std::vector<std::uint16_t> original(3 * static_cast<std::size_t>(width));
        const int mode = round % 3;
        for (std::uint16_t& sample : original) {
            const unsigned draw = random();
            sample = static_cast<std::uint16_t>(mode == 0   ? draw & 0xFFFF
                                                : mode == 1 ? (draw & 1 ? 65535 : 0)
                                                            : draw % 64);
        }
        std::vector<std::uint16_t> expected = original;
        for (int pair = 0; pair < width / 2; ++pair) model::yuvPair(&original[6 * pair], &expected[4 * pair]);
        for (const auto& [name, convert] : converters()) {
            std::vector<std::uint16_t> row = original;
            convert(row.data(), width, 0);
            ASSERT_EQ(expected, row) << name << " width " << width;
        }
    }
}

TEST(Yuv422, VectorFormIsBitIdenticalOverAMillionRandomPairs) {
    if (!avx2KernelsAvailable()) GTEST_SKIP() << "no AVX2";
    std::mt19937_64 random(7);
    const int width = 2048;
    std::vector<std::uint16_t> original(3 * width);
    for (int round = 0; round < 1000; ++round) {
        for (std::uint16_t& sample : original) sample = static_cast<std::uint16_t>(random());
        std::vector<std::uint16_t> reference = original;
        std::vector<std::uint16_t> vector = original;
        toYuv422RowReference(reference.data(), width, 0);
        toYuv422RowAvx2(vector.data(), width, 0);
        ASSERT_EQ(reference, vector);
    }
}

}  // namespace
