#include "imaging/demosaic.h"

#include <gtest/gtest.h>

#include "demosaic_model.h"
#include "imaging/kernel_variants.h"
#include "kernel_test_frames.h"

namespace {

using kernel_test::Samples;

struct Form {
    const char* name;
    kernel_test::RowPairKernel rowPair;
    kernel_test::StripKernel strip;
};

// The public entry points, the scalar reference and (where the processor has it) the AVX2 form.
std::vector<Form> forms() {
    std::vector<Form> result = {{"dispatch", demosaicRowPair, verticalFilterStrip},
                                {"reference", demosaicRowPairReference, verticalFilterStripReference}};
    if (avx2KernelsAvailable()) result.push_back({"avx2", demosaicRowPairAvx2, verticalFilterStripAvx2});
    return result;
}

// The driver's mapping from demosaic type to mode and post-filter level.
struct TypeSettings {
    int mode;
    int level;
};
TypeSettings settingsOf(int type) {
    return type >= 1 && type <= 4 ? TypeSettings{1, type - 1} : TypeSettings{0, -1};
}

std::uint16_t rgbAt(const Samples& rgb, int width, int x, int y, int channel) {
    return rgb[3 * (static_cast<std::size_t>(y) * width + x) + channel];
}

TEST(Demosaic, ItemCountsCoverOddHeightsAndPartialStrips) {
    EXPECT_EQ(540, demosaicItemCount(1080));
    EXPECT_EQ(4, demosaicItemCount(7));
    EXPECT_EQ(120, verticalStripCount(1920));
    EXPECT_EQ(121, verticalStripCount(1928));
    EXPECT_EQ(2, verticalStripCount(17));
    EXPECT_EQ(0, demosaicItemCount(0));
    EXPECT_EQ(0, verticalStripCount(0));
}

TEST(Demosaic, FlatFrameKeepsItsValueExceptTheQuantisedVerticalPassOfTypes2And3) {
    for (const Form& form : forms()) {
        for (const auto& [width, height] : {std::pair{32, 8}, std::pair{48, 10}, std::pair{34, 9}}) {
            const Samples bayer(static_cast<std::size_t>(width) * height, 1000);
            for (int type : {0, 1, 2, 3, 4, 5, -1}) {
                SCOPED_TRACE(std::string(form.name) + " type " + std::to_string(type) + " " +
                             std::to_string(width) + "x" + std::to_string(height));
                const TypeSettings settings = settingsOf(type);
                Samples rgb = kernel_test::runDemosaic(form.rowPair, bayer, width, height, settings.mode,
                                                       settings.level);
                if (settings.level >= 0)
                    kernel_test::runVertical(form.strip, rgb, width, height, settings.level);
                for (int y = 0; y < height; ++y) {
                    const bool quantised = (type == 2 || type == 3) && y >= 2 && y <= height - 3;
                    for (int i = 0; i < 3 * width; ++i)
                        ASSERT_EQ(quantised ? 992 : 1000, rgb[static_cast<std::size_t>(y) * 3 * width + i])
                            << "row " << y << " sample " << i;
                }
            }
        }
    }
}

// Red sites 100, green 200, blue 300: every rule of every row and column, including the
// last row of an odd height and the last column of an odd width, puts each colour back.
TEST(Demosaic, EveryRuleRestoresAFrameOfFlatColourPlanes) {
    for (const Form& form : forms()) {
        for (const auto& [width, height] :
             {std::pair{16, 6}, std::pair{37, 9}, std::pair{40, 7}, std::pair{21, 8}}) {
            Samples bayer(static_cast<std::size_t>(width) * height);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    bayer[static_cast<std::size_t>(y) * width + x] =
                        y % 2 == 0 ? (x % 2 == 0 ? 100 : 200) : (x % 2 == 0 ? 200 : 300);
            for (int mode : {0, 1}) {
                for (int level : {-1, 0, 1, 2, 3}) {
                    SCOPED_TRACE(std::string(form.name) + " " + std::to_string(width) + "x" +
                                 std::to_string(height) + " mode " + std::to_string(mode) + " level " +
                                 std::to_string(level));
                    const Samples rgb =
                        kernel_test::runDemosaic(form.rowPair, bayer, width, height, mode, level);
                    for (int y = 0; y < height; ++y)
                        for (int x = 0; x < width; ++x) {
                            ASSERT_EQ(100, rgbAt(rgb, width, x, y, 0)) << x << "," << y;
                            ASSERT_EQ(200, rgbAt(rgb, width, x, y, 1)) << x << "," << y;
                            ASSERT_EQ(300, rgbAt(rgb, width, x, y, 2)) << x << "," << y;
                        }
                }
            }
        }
    }
}

// Worked by hand from the adaptive rules at the red site (6, 4) of a 32 x 10 frame.
TEST(Demosaic, AdaptiveWeightsAndClampsByHand) {
    constexpr int kWidth = 32, kHeight = 10;
    const auto frame = [](std::uint16_t background) {
        return Samples(static_cast<std::size_t>(kWidth) * kHeight, background);
    };
    const auto set = [](Samples& bayer, int x, int y, std::uint16_t value) {
        bayer[static_cast<std::size_t>(y) * kWidth + x] = value;
    };
    for (const Form& form : forms()) {
        SCOPED_TRACE(form.name);
        // Same-colour samples two away at 65535, the rest 0: both corrective terms go negative.
        Samples dark = frame(0);
        for (const auto& [x, y] : {std::pair{4, 4}, std::pair{8, 4}, std::pair{6, 2}, std::pair{6, 6}})
            set(dark, x, y, 65535);
        Samples rgb = kernel_test::runDemosaic(form.rowPair, dark, kWidth, kHeight, 1, -1);
        EXPECT_EQ(0, rgbAt(rgb, kWidth, 6, 4, 1));
        EXPECT_EQ(0, rgbAt(rgb, kWidth, 6, 4, 2));
        // Green site (5, 4): weights 0, red = 8 * 65535 / 16 truncated.
        EXPECT_EQ(32767, rgbAt(rgb, kWidth, 5, 4, 0));
        EXPECT_EQ(0, rgbAt(rgb, kWidth, 5, 4, 2));

        // The inverse: both terms far above 65535, clamped.
        Samples bright = frame(65535);
        for (const auto& [x, y] : {std::pair{4, 4}, std::pair{8, 4}, std::pair{6, 2}, std::pair{6, 6}})
            set(bright, x, y, 0);
        rgb = kernel_test::runDemosaic(form.rowPair, bright, kWidth, kHeight, 1, -1);
        EXPECT_EQ(65535, rgbAt(rgb, kWidth, 6, 4, 0));
        EXPECT_EQ(65535, rgbAt(rgb, kWidth, 6, 4, 1));  // (2 * 4 * 65535 + 4 * 65535) / 8 = 98302
        EXPECT_EQ(65535, rgbAt(rgb, kWidth, 6, 4, 2));  // (4 * 4 * 65535 + 12 * 65535) / 16 = 114686

        // A strong red edge (W2 = 65535, E2 = 0: a = 63, b = c = 0) gives wG = 2 * 3969 / 2 = 3969,
        // green = (3971 * 16000 - 65535) div 15884 = 3995, where weight 0 would give 0.
        Samples edge = frame(0);
        set(edge, 4, 4, 65535);
        for (const auto& [x, y] : {std::pair{5, 4}, std::pair{7, 4}, std::pair{6, 3}, std::pair{6, 5}})
            set(edge, x, y, 4000);
        rgb = kernel_test::runDemosaic(form.rowPair, edge, kWidth, kHeight, 1, -1);
        EXPECT_EQ(0, rgbAt(rgb, kWidth, 6, 4, 0));
        EXPECT_EQ(3995, rgbAt(rgb, kWidth, 6, 4, 1));
        EXPECT_EQ(0, rgbAt(rgb, kWidth, 6, 4, 2));
    }
}

// Every form against the independent model, for every mode and level, on frames whose
// adaptive weights and clamps take extreme values.
TEST(Demosaic, EveryFormMatchesTheModelOnAdversarialFrames) {
    const std::vector<std::pair<int, int>> sizes = {{16, 6},  {20, 8}, {32, 10}, {34, 6},
                                                    {50, 12}, {66, 8}, {128, 6}};
    unsigned seed = 1;
    for (const kernel_test::Pattern& pattern : kernel_test::adversarialPatterns()) {
        for (const auto& [width, height] : sizes) {
            const Samples bayer = kernel_test::makeFrame(pattern, width, height, seed++);
            for (int mode : {0, 1}) {
                for (int level : {-1, 0, 1, 2, 3}) {
                    Samples expected = model::demosaic(bayer, width, height, mode, level);
                    model::verticalFilter(expected, width, height, level);
                    for (const Form& form : forms()) {
                        SCOPED_TRACE(pattern.name + " " + form.name + " " + std::to_string(width) + "x" +
                                     std::to_string(height) + " mode " + std::to_string(mode) + " level " +
                                     std::to_string(level));
                        Samples rgb =
                            kernel_test::runDemosaic(form.rowPair, bayer, width, height, mode, level);
                        kernel_test::runVertical(form.strip, rgb, width, height, level);
                        ASSERT_EQ(expected, rgb);
                    }
                }
            }
        }
    }
}

// Sizes the model does not cover (odd heights, odd widths): the vector form equals the
// reference, and every pixel is written whatever the buffer held before.
TEST(Demosaic, VectorFormEqualsReferenceOnOddSizesAndWritesEveryPixel) {
    if (!avx2KernelsAvailable()) GTEST_SKIP() << "no AVX2";
    const std::vector<std::pair<int, int>> sizes = {{16, 7},  {17, 6},  {35, 9}, {47, 11},
                                                    {99, 13}, {130, 7}, {21, 6}};
    unsigned seed = 100;
    for (const kernel_test::Pattern& pattern : kernel_test::adversarialPatterns()) {
        for (const auto& [width, height] : sizes) {
            const Samples bayer = kernel_test::makeFrame(pattern, width, height, seed++);
            for (int mode : {0, 1}) {
                for (int level : {-1, 0, 1, 2, 3}) {
                    SCOPED_TRACE(pattern.name + " " + std::to_string(width) + "x" + std::to_string(height) +
                                 " mode " + std::to_string(mode) + " level " + std::to_string(level));
                    Samples expected = kernel_test::runDemosaic(demosaicRowPairReference, bayer, width,
                                                                height, mode, level, 0);
                    const Samples otherFill = kernel_test::runDemosaic(demosaicRowPairReference, bayer, width,
                                                                       height, mode, level, 0xFFFF);
                    ASSERT_EQ(expected, otherFill);
                    Samples rgb =
                        kernel_test::runDemosaic(demosaicRowPairAvx2, bayer, width, height, mode, level);
                    ASSERT_EQ(expected, rgb);
                    kernel_test::runVertical(verticalFilterStripReference, expected, width, height, level);
                    kernel_test::runVertical(verticalFilterStripAvx2, rgb, width, height, level);
                    ASSERT_EQ(expected, rgb);
                }
            }
        }
    }
}

TEST(Demosaic, FramesBelowTheMinimumSizeAndStrayItemsAreLeftAlone) {
    const Samples bayer(15 * 8, 1000);
    Samples rgb(3 * 15 * 8, 7);
    for (const Form& form : forms()) {
        form.rowPair(bayer.data(), 15, 8, 0, rgb.data(), 1, 1);
        form.rowPair(bayer.data(), 16, 5, 0, rgb.data(), 1, 1);
        form.rowPair(bayer.data(), 16, 6, 6, rgb.data(), 1, 1);
        form.rowPair(bayer.data(), 16, 6, 1, rgb.data(), 1, 1);
        form.strip(rgb.data(), 15, 8, 0, 1);
        form.strip(rgb.data(), 16, 6, 1, 1);
        EXPECT_EQ(Samples(3 * 15 * 8, 7), rgb) << form.name;
    }
}

}  // namespace
