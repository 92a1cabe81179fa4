// The band kernels of the one vector source in every form it is built for, against the
// scalar reference. Forms the processor cannot run are skipped and say why; a machine with
// AVX-512 runs them all.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "imaging/demosaic_band.h"
#include "imaging/kernel_variants.h"
#include "kernel_test_frames.h"
#include "platform/cpu_features.h"

namespace {

using kernel_test::Samples;
using platform::SimdForm;

class VectorSourceForm : public testing::TestWithParam<SimdForm> {
protected:
    void SetUp() override {
        if (const char* missing = platform::missingCpuFeature(GetParam()))
            GTEST_SKIP() << "the CPU lacks " << missing << ", so the " << platform::simdFormName(GetParam())
                         << " form cannot run here";
        kernels = vectorSourceBandKernels(GetParam());
    }
    BandKernels kernels{};
};

Samples bandsOf(const BandKernels& kernels, const Samples& bayer, int width, int height, int bandRows,
                int mode, int level, bool toYuv422, std::uint16_t fill) {
    kernel_test::AlignedSamples rgb(3 * static_cast<std::size_t>(width) * height, fill);
    for (int band = 0; band < demosaicBandCount(height, bandRows); ++band)
        demosaicBandWith(kernels, bayer.data(), static_cast<std::size_t>(width), width, height, band,
                         bandRows, rgb.data(), mode, level, toYuv422);
    return rgb.samples();
}

// Widths on either side of the block and vector sizes of every form (8, 16 and 32 pixels),
// odd and even, every adversarial pattern, every debayer type, with and without 4:2:2; every
// sample is written (two fills give the same frame).
TEST_P(VectorSourceForm, BandsEqualTheReferenceOnEveryPatternAndSize) {
    const std::vector<std::pair<int, int>> sizes = {{16, 6}, {21, 7}, {36, 8}, {37, 9},  {38, 6},
                                                    {53, 7}, {64, 7}, {70, 9}, {99, 13}, {131, 8}};
    unsigned seed = 700;
    const BandKernels reference = referenceBandKernels();
    for (const kernel_test::Pattern& pattern : kernel_test::adversarialPatterns()) {
        for (const auto& [width, height] : sizes) {
            const Samples bayer = kernel_test::makeFrame(pattern, width, height, seed++);
            for (int type = 0; type <= 4; ++type) {
                const int mode = type == 0 ? 0 : 1;
                const int level = type - 1;
                for (bool toYuv422 : {false, true}) {
                    SCOPED_TRACE(pattern.name + " " + std::to_string(width) + "x" + std::to_string(height) +
                                 " type " + std::to_string(type) + (toYuv422 ? " 4:2:2" : ""));
                    const Samples expected =
                        bandsOf(reference, bayer, width, height, height, mode, level, toYuv422, 0);
                    for (int bandRows : {1, 5, height}) {
                        ASSERT_EQ(expected, bandsOf(kernels, bayer, width, height, bandRows, mode, level,
                                                    toYuv422, 0x5A5A));
                        ASSERT_EQ(expected, bandsOf(kernels, bayer, width, height, bandRows, mode, level,
                                                    toYuv422, 0xFFFF));
                    }
                }
            }
        }
    }
}

// A frame as wide as a 2K scan: many blocks a row, the overlapping last one included.
TEST_P(VectorSourceForm, BandsEqualTheReferenceOnALargeRandomFrame) {
    constexpr int kWidth = 2050;
    constexpr int kHeight = 40;
    const Samples bayer = kernel_test::makeFrame(kernel_test::adversarialPatterns()[0], kWidth, kHeight, 9);
    for (int type = 0; type <= 4; ++type) {
        const int mode = type == 0 ? 0 : 1;
        const Samples expected =
            bandsOf(referenceBandKernels(), bayer, kWidth, kHeight, kHeight, mode, type - 1, false, 0);
        ASSERT_EQ(expected, bandsOf(kernels, bayer, kWidth, kHeight, 16, mode, type - 1, false, 0x1234))
            << "type " << type;
    }
}

TEST_P(VectorSourceForm, VerticalRowEqualsTheReferenceOnRandomRowsOfOddLengths) {
    std::mt19937 random(5);
    for (std::size_t samples : {std::size_t{8}, std::size_t{16}, std::size_t{31}, std::size_t{33},
                                std::size_t{64}, std::size_t{111}, std::size_t{3 * 1928}}) {
        std::vector<Samples> rows(5, Samples(samples));
        for (Samples& row : rows)
            for (std::uint16_t& sample : row) {
                const unsigned draw = random();
                sample = static_cast<std::uint16_t>(draw % 4 == 0 ? 65535 : (draw % 4 == 1 ? 0 : draw >> 16));
            }
        const std::uint16_t* const around[5] = {rows[0].data(), rows[1].data(), rows[2].data(),
                                                rows[3].data(), rows[4].data()};
        for (int level = -1; level <= 4; ++level) {
            Samples expected(samples, 77), vector(samples, 77);
            verticalFilterRowReference(around, expected.data(), samples, level);
            kernels.verticalFilterRow(around, vector.data(), samples, level);
            ASSERT_EQ(expected, vector) << samples << " samples, level " << level;
            kernel_test::AlignedSamples frameRow(samples, 77);
            kernels.verticalFilterRowToFrame(around, frameRow.data(), samples, level);
            kernels.finishRowStores();
            ASSERT_EQ(expected, frameRow.samples()) << samples << " samples into a frame, level " << level;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryForm, VectorSourceForm, testing::ValuesIn(platform::kSimdForms),
                         [](const testing::TestParamInfo<SimdForm>& form) {
                             return std::string(platform::simdFormName(form.param));
                         });

}  // namespace
