#include "components/yuv422_words_to_planes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "components/picture_kernel_variants.h"
#include "owned_planes.h"
#include "picture_patterns.h"

namespace {

using picture_test::kUnwritten;
using picture_test::OwnedPlanes;
using RowForm = void (*)(const std::uint16_t*, int, std::uint16_t*, std::uint16_t*, std::uint16_t*);

// Worked independently of the code: the word over 64.25, rounded to nearest.
int expectedLuma(int word) {
    return static_cast<int>(std::lround(word / 64.25));
}
int expectedChroma(int word) {
    return 512 + static_cast<int>(std::lround((word - 32768) / 64.25));
}

OwnedPlanes convertWithForm(RowForm form, const std::vector<std::uint16_t>& picture, int strideWords,
                            int width, int height) {
    OwnedPlanes planes(width, width / 2, height);
    const Yuv10Planes view = planes.view();
    for (int y = 0; y < height; ++y)
        form(picture.data() + static_cast<std::size_t>(y) * strideWords, width,
             view.luma + view.lumaStride * y, view.cb + view.cbStride * y, view.cr + view.crStride * y);
    return planes;
}

std::vector<std::pair<const char*, RowForm>> rowForms() {
    std::vector<std::pair<const char*, RowForm>> forms = {{"reference", yuv422WordsRowReference}};
    if (avx2PictureKernelsAvailable()) forms.emplace_back("avx2", yuv422WordsRowAvx2);
    return forms;
}

TEST(Yuv422WordsToPlanes, StudioLandmarksLandOnTheirTenBitValues) {
    struct Case {
        std::uint16_t luma, cr, cb;
        std::uint16_t luma10, cr10, cb10;
    };
    // black, white, the chroma extremes of the 16-bit studio range, and the word extremes:
    // 4112 = 64 x 64.25; 60406 / 64.25 = 940.2; (3998 - 32768) / 64.25 = -447.8;
    // (61537 - 32768) / 64.25 = 447.8; 65535 / 64.25 = 1020; -32768 / 64.25 = -510.0.
    const Case cases[] = {{4112, 32768, 32768, 64, 512, 512},
                          {60406, 32768, 32768, 940, 512, 512},
                          {16104, 61537, 3998, 251, 960, 64},
                          {0, 0, 65535, 0, 2, 1022},
                          {65535, 65535, 0, 1020, 1022, 2}};
    for (const auto& [name, form] : rowForms()) {
        for (const Case& c : cases) {
            const int width = 34;  // two vector steps' worth would be 32; the tail runs too
            std::vector<std::uint16_t> row;
            for (int pair = 0; pair < width / 2; ++pair) row.insert(row.end(), {c.luma, c.cr, c.luma, c.cb});
            const OwnedPlanes planes = convertWithForm(form, row, 2 * width, width, 1);
            for (int x = 0; x < width; ++x) ASSERT_EQ(c.luma10, planes.lumaAt(x, 0)) << name << " x " << x;
            for (int x = 0; x < width / 2; ++x) {
                ASSERT_EQ(c.cr10, planes.crAt(x, 0)) << name << " x " << x;
                ASSERT_EQ(c.cb10, planes.cbAt(x, 0)) << name << " x " << x;
            }
        }
    }
}

// Every 16-bit word in every position of a group, against the rounded quotient.
TEST(Yuv422WordsToPlanes, EveryWordIsRoundedFromSixteenToTenBits) {
    const int width = 32768;  // 65536 words a row
    const int height = 4;
    std::vector<std::uint16_t> picture(static_cast<std::size_t>(2 * width) * height);
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < 2 * width; ++i)
            picture[static_cast<std::size_t>(y) * 2 * width + i] =
                static_cast<std::uint16_t>((i + y) & 0xFFFF);
    for (const auto& [name, form] : rowForms()) {
        const OwnedPlanes planes = convertWithForm(form, picture, 2 * width, width, height);
        for (int y = 0; y < height; ++y) {
            for (int pair = 0; pair < width / 2; ++pair) {
                const int base = 4 * pair + y;
                ASSERT_EQ(expectedLuma(base & 0xFFFF), planes.lumaAt(2 * pair, y)) << name;
                ASSERT_EQ(expectedChroma((base + 1) & 0xFFFF), planes.crAt(pair, y)) << name;
                ASSERT_EQ(expectedLuma((base + 2) & 0xFFFF), planes.lumaAt(2 * pair + 1, y)) << name;
                ASSERT_EQ(expectedChroma((base + 3) & 0xFFFF), planes.cbAt(pair, y)) << name;
            }
        }
    }
}

// The vector form against the scalar reference on hard pictures whose widths leave every
// possible tail, with padding after each row that must not reach the planes.
TEST(Yuv422WordsToPlanes, VectorFormMatchesTheReferenceOnHardPictures) {
    if (!avx2PictureKernelsAvailable()) GTEST_SKIP() << "no AVX2 on this processor";
    unsigned seed = 1;
    for (const auto& pattern : picture_test::adversarialPatterns()) {
        for (int width : {2, 6, 14, 16, 18, 30, 32, 34, 62, 98, 258}) {
            const int height = 3 + width % 5;
            const int padding = 2 * (width % 3);
            const auto picture = picture_test::makePicture(pattern, 2 * width, height, padding, ++seed);
            const OwnedPlanes reference =
                convertWithForm(yuv422WordsRowReference, picture, 2 * width + padding, width, height);
            const OwnedPlanes vector =
                convertWithForm(yuv422WordsRowAvx2, picture, 2 * width + padding, width, height);
            ASSERT_EQ(reference.luma, vector.luma) << pattern.name << " width " << width;
            ASSERT_EQ(reference.cb, vector.cb) << pattern.name << " width " << width;
            ASSERT_EQ(reference.cr, vector.cr) << pattern.name << " width " << width;
        }
    }
}

// A range of rows writes exactly those rows, every sample of them, and nothing past the
// width; the padding at the end of each source row is never read into the picture.
TEST(Yuv422WordsToPlanes, ARangeOfRowsWritesOnlyItsRows) {
    const int width = 50, height = 7, padding = 6;
    const auto patterns = picture_test::adversarialPatterns();
    const auto picture = picture_test::makePicture(patterns.front(), 2 * width, height, padding, 7);
    OwnedPlanes planes(width, width / 2, height);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(picture.data());
    const std::size_t rowBytes = 2 * static_cast<std::size_t>(2 * width + padding);
    convertYuv422WordsToPlanes(bytes, rowBytes, width, 2, 5, planes.view());
    for (int y = 0; y < height; ++y) {
        const bool inside = y >= 2 && y < 5;
        for (int x = 0; x < width; ++x) {
            const std::uint16_t* group =
                picture.data() + static_cast<std::size_t>(y) * (2 * width + padding) + 4 * (x / 2);
            const std::uint16_t expected =
                inside ? static_cast<std::uint16_t>(expectedLuma(group[x % 2 ? 2 : 0])) : kUnwritten;
            ASSERT_EQ(expected, planes.lumaAt(x, y)) << x << ", " << y;
        }
        for (int x = 0; x < width / 2; ++x) {
            const std::uint16_t* group =
                picture.data() + static_cast<std::size_t>(y) * (2 * width + padding) + 4 * x;
            ASSERT_EQ(inside ? expectedChroma(group[1]) : kUnwritten, planes.crAt(x, y)) << x << ", " << y;
            ASSERT_EQ(inside ? expectedChroma(group[3]) : kUnwritten, planes.cbAt(x, y)) << x << ", " << y;
        }
        ASSERT_EQ(kUnwritten, planes.lumaAt(width, y));
        ASSERT_EQ(kUnwritten, planes.crAt(width / 2, y));
        ASSERT_EQ(kUnwritten, planes.cbAt(width / 2, y));
    }
}

}  // namespace
