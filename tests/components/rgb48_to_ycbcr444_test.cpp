#include "components/rgb48_to_ycbcr444.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "components/picture_kernel_variants.h"
#include "owned_planes.h"
#include "picture_patterns.h"

namespace {

using picture_test::kUnwritten;
using picture_test::OwnedPlanes;
using RowForm = void (*)(const std::uint16_t*, int, std::uint16_t*, std::uint16_t*, std::uint16_t*);

// BT.709 limited range from full-range 16-bit R'G'B', in real arithmetic:
// E'Y = 0.2126 R + 0.7152 G + 0.0722 B (R, G, B over 65535), Y = 64 + 876 E'Y,
// Cb = 512 + 896 (B - E'Y) / 1.8556, Cr = 512 + 896 (R - E'Y) / 1.5748.
struct Exact {
    double luma, cb, cr;
};
Exact exactYcbcr(int r, int g, int b) {
    const double red = r / 65535.0, green = g / 65535.0, blue = b / 65535.0;
    const double luma = 0.2126 * red + 0.7152 * green + 0.0722 * blue;
    return {64 + 876 * luma, 512 + 896 * (blue - luma) / 1.8556, 512 + 896 * (red - luma) / 1.5748};
}

std::vector<std::pair<const char*, RowForm>> rowForms() {
    std::vector<std::pair<const char*, RowForm>> forms = {{"reference", rgb48RowReference}};
    if (avx2PictureKernelsAvailable()) forms.emplace_back("avx2", rgb48RowAvx2);
    return forms;
}

OwnedPlanes convertWithForm(RowForm form, const std::vector<std::uint16_t>& picture, int strideWords,
                            int width, int height) {
    OwnedPlanes planes(width, width, height);
    const Yuv10Planes view = planes.view();
    for (int y = 0; y < height; ++y)
        form(picture.data() + static_cast<std::size_t>(y) * strideWords, width,
             view.luma + view.lumaStride * y, view.cb + view.cbStride * y, view.cr + view.crStride * y);
    return planes;
}

TEST(Rgb48ToYcbcr444, PrimariesAndGreysGiveTheWorkedValues) {
    struct Case {
        std::uint16_t r, g, b;
        int luma, cb, cr;
    };
    // Red: Y = 64 + 876 x 0.2126 = 250.24; Cb = 512 - 896 x 0.2126 / 1.8556 = 409.34;
    // Cr = 512 + 896 x 0.7874 / 1.5748 = 960. Green: Y = 64 + 876 x 0.7152 = 690.52;
    // Cb = 512 - 896 x 0.7152 / 1.8556 = 166.66; Cr = 512 - 896 x 0.7152 / 1.5748 = 105.08.
    // Blue: Y = 64 + 876 x 0.0722 = 127.25; Cb = 960; Cr = 512 - 896 x 0.0722 / 1.5748 = 470.92.
    // Yellow (R + G): Y = 64 + 876 x 0.9278 = 876.75; Cb = 512 - 448 = 64;
    // Cr = 512 + 896 x 0.0722 / 1.5748 = 553.08. Half grey 32768: Y = 64 + 876 x 0.500008 = 502.
    const Case cases[] = {{0, 0, 0, 64, 512, 512},
                          {65535, 65535, 65535, 940, 512, 512},
                          {65535, 0, 0, 250, 409, 960},
                          {0, 65535, 0, 691, 167, 105},
                          {0, 0, 65535, 127, 960, 471},
                          {65535, 65535, 0, 877, 64, 553},
                          {32768, 32768, 32768, 502, 512, 512}};
    for (const auto& [name, form] : rowForms()) {
        for (const Case& c : cases) {
            for (int width : {1, 15, 16, 17, 35}) {
                std::vector<std::uint16_t> row;
                for (int x = 0; x < width; ++x) row.insert(row.end(), {c.r, c.g, c.b});
                const OwnedPlanes planes = convertWithForm(form, row, 3 * width, width, 1);
                for (int x = 0; x < width; ++x) {
                    ASSERT_EQ(c.luma, planes.lumaAt(x, 0)) << name << " " << c.r << "," << c.g << "," << c.b;
                    ASSERT_EQ(c.cb, planes.cbAt(x, 0)) << name << " " << c.r << "," << c.g << "," << c.b;
                    ASSERT_EQ(c.cr, planes.crAt(x, 0)) << name << " " << c.r << "," << c.g << "," << c.b;
                }
            }
        }
    }
}

// Every grey keeps neutral chroma, and luma and chroma never stray from the real formulas by
// more than rounding (half a step) plus the fixed point's own error.
TEST(Rgb48ToYcbcr444, EveryOutputIsTheRoundedFormula) {
    const double tolerance = 0.5 + 0.02;
    const int width = 4096, greyRows = 16, height = 32;  // rows 0-15: all 65536 greys; then random
    std::vector<std::uint16_t> picture(static_cast<std::size_t>(3 * width) * height);
    std::mt19937 random(5);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint16_t* pixel = picture.data() + static_cast<std::size_t>(y) * 3 * width + 3 * x;
            for (int c = 0; c < 3; ++c)
                pixel[c] =
                    static_cast<std::uint16_t>(y < greyRows ? y * width + x : static_cast<int>(random()));
        }
    for (const auto& [name, form] : rowForms()) {
        const OwnedPlanes planes = convertWithForm(form, picture, 3 * width, width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint16_t* pixel = picture.data() + static_cast<std::size_t>(y) * 3 * width + 3 * x;
                const Exact exact = exactYcbcr(pixel[0], pixel[1], pixel[2]);
                ASSERT_NEAR(exact.luma, planes.lumaAt(x, y), tolerance) << name << " " << x << ", " << y;
                ASSERT_NEAR(exact.cb, planes.cbAt(x, y), tolerance) << name << " " << x << ", " << y;
                ASSERT_NEAR(exact.cr, planes.crAt(x, y), tolerance) << name << " " << x << ", " << y;
                if (y < greyRows) {
                    ASSERT_EQ(512, planes.cbAt(x, y)) << name << " grey " << pixel[0];
                    ASSERT_EQ(512, planes.crAt(x, y)) << name << " grey " << pixel[0];
                }
            }
    }
}

// The vector form against the scalar reference on hard pictures of odd sizes, every tail
// length, with padding after each row that must not reach the planes.
TEST(Rgb48ToYcbcr444, VectorFormMatchesTheReferenceOnHardPictures) {
    if (!avx2PictureKernelsAvailable()) GTEST_SKIP() << "no AVX2 on this processor";
    unsigned seed = 1;
    for (const auto& pattern : picture_test::adversarialPatterns()) {
        for (int width = 1; width <= 50; width += (width < 34 ? 1 : 7)) {
            const int height = 1 + width % 4;
            const int padding = width % 3;
            const auto picture = picture_test::makePicture(pattern, 3 * width, height, padding, ++seed);
            const OwnedPlanes reference =
                convertWithForm(rgb48RowReference, picture, 3 * width + padding, width, height);
            const OwnedPlanes vector =
                convertWithForm(rgb48RowAvx2, picture, 3 * width + padding, width, height);
            ASSERT_EQ(reference.luma, vector.luma) << pattern.name << " width " << width;
            ASSERT_EQ(reference.cb, vector.cb) << pattern.name << " width " << width;
            ASSERT_EQ(reference.cr, vector.cr) << pattern.name << " width " << width;
        }
        const int width = 1923, height = 5;
        const auto picture = picture_test::makePicture(pattern, 3 * width, height, 1, ++seed);
        const OwnedPlanes reference =
            convertWithForm(rgb48RowReference, picture, 3 * width + 1, width, height);
        const OwnedPlanes vector = convertWithForm(rgb48RowAvx2, picture, 3 * width + 1, width, height);
        ASSERT_EQ(reference.luma, vector.luma) << pattern.name;
        ASSERT_EQ(reference.cb, vector.cb) << pattern.name;
        ASSERT_EQ(reference.cr, vector.cr) << pattern.name;
    }
}

// A range of rows writes exactly those rows and nothing past the width; an odd width with a
// row length padded to a multiple of 4 bytes is read only up to its last pixel.
TEST(Rgb48ToYcbcr444, ARangeOfRowsWritesOnlyItsRows) {
    const int width = 21, height = 6;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 48 + 31) / 8 & ~std::size_t{3};  // 128
    ASSERT_EQ(128u, rowBytes);
    const auto patterns = picture_test::adversarialPatterns();
    const auto picture = picture_test::makePicture(patterns.front(), 3 * width, height, 1, 3);
    OwnedPlanes planes(width, width, height);
    convertRgb48ToYcbcr444(reinterpret_cast<const std::uint8_t*>(picture.data()), rowBytes, width, 1, 4,
                           planes.view());
    const OwnedPlanes whole = convertWithForm(rgb48RowReference, picture, 3 * width + 1, width, height);
    for (int y = 0; y < height; ++y) {
        const bool inside = y >= 1 && y < 4;
        for (int x = 0; x <= width; ++x) {
            const bool written = inside && x < width;
            ASSERT_EQ(written ? whole.lumaAt(x, y) : kUnwritten, planes.lumaAt(x, y)) << x << ", " << y;
            ASSERT_EQ(written ? whole.cbAt(x, y) : kUnwritten, planes.cbAt(x, y)) << x << ", " << y;
            ASSERT_EQ(written ? whole.crAt(x, y) : kUnwritten, planes.crAt(x, y)) << x << ", " << y;
        }
    }
}

}  // namespace
