#include "imaging/demosaic_band.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "imaging/demosaic_jobs.h"
#include "imaging/kernel_variants.h"
#include "imaging/pool_job.h"
#include "imaging/worker_pool.h"
#include "kernel_test_frames.h"

namespace {

using kernel_test::Samples;

struct BandForm {
    const char* name;
    BandKernels kernels;
};

std::vector<BandForm> bandForms() {
    std::vector<BandForm> result = {{"reference", referenceBandKernels()}};
    if (avx2KernelsAvailable()) result.push_back({"avx2", avx2BandKernels()});
    return result;
}

// The frame as the separate jobs make it with the scalar kernels: every row pair, then every
// strip, then every row to 4:2:2.
Samples separateJobs(const Samples& bayer, int width, int height, int mode, int level, bool toYuv422) {
    Samples rgb = kernel_test::runDemosaic(demosaicRowPairReference, bayer, width, height, mode, level);
    kernel_test::runVertical(verticalFilterStripReference, rgb, width, height, level);
    if (toYuv422)
        for (int row = 0; row < height; ++row) toYuv422RowReference(rgb.data(), width, row);
    return rgb;
}

// A pool job of the kind over the frame, as debayer type 2 makes it (mode 1, post-filter
// level 1), in bands or runs of rows rows; the Bayer rows are the width apart.
PoolJob typeTwoJob(JobKind kind, const Samples& bayer, Samples& rgb, int width, int height, int rows) {
    PoolJob job;
    job.kind = kind;
    job.source = bayer.data();
    job.destination = rgb.data();
    job.width = width;
    job.height = height;
    job.param1 = 1;
    job.param2 = 1;
    job.bandRows = rows;
    return job;
}

// Every band of the frame, last band first, into a frame filled with fill.
Samples bandsOf(const BandKernels& kernels, const Samples& bayer, int width, int height, int bandRows,
                int mode, int level, bool toYuv422, std::uint16_t fill) {
    kernel_test::AlignedSamples rgb(3 * static_cast<std::size_t>(width) * height, fill);
    for (int band = demosaicBandCount(height, bandRows) - 1; band >= 0; --band)
        demosaicBandWith(kernels, bayer.data(), static_cast<std::size_t>(width), width, height, band,
                         bandRows, rgb.data(), mode, level, toYuv422);
    return rgb.samples();
}

TEST(DemosaicBand, CountCoversEveryRow) {
    EXPECT_EQ(17, demosaicBandCount(1080, 64));
    EXPECT_EQ(1, demosaicBandCount(6, 64));
    EXPECT_EQ(7, demosaicBandCount(7, 1));
    EXPECT_EQ(3, demosaicBandCount(9, 4));
    EXPECT_EQ(0, demosaicBandCount(0, 4));
    EXPECT_EQ(0, demosaicBandCount(8, 0));
}

// Bands of every height, from one row (each band demosaics four rows it does not keep) to
// taller than the frame, give the frame of the separate jobs on every adversarial pattern,
// at odd widths and heights, with and without 4:2:2, and write every sample.
TEST(DemosaicBand, EqualsTheSeparateJobsForEveryBandHeightAndSize) {
    const std::vector<std::pair<int, int>> sizes = {{16, 6},  {17, 7}, {32, 8}, {34, 9},
                                                    {37, 11}, {50, 8}, {99, 13}};
    unsigned seed = 300;
    for (const kernel_test::Pattern& pattern : kernel_test::adversarialPatterns()) {
        for (const auto& [width, height] : sizes) {
            const Samples bayer = kernel_test::makeFrame(pattern, width, height, seed++);
            for (int type = 0; type <= 4; ++type) {
                const int mode = type == 0 ? 0 : 1;
                const int level = type - 1;
                for (bool toYuv422 : {false, true}) {
                    const Samples expected = separateJobs(bayer, width, height, mode, level, toYuv422);
                    for (const BandForm& form : bandForms()) {
                        for (int bandRows : {1, 2, 3, 4, 5, 8, height - 1, height, height + 5}) {
                            SCOPED_TRACE(pattern.name + " " + form.name + " " + std::to_string(width) + "x" +
                                         std::to_string(height) + " type " + std::to_string(type) +
                                         (toYuv422 ? " 4:2:2" : "") + " bands of " +
                                         std::to_string(bandRows));
                            ASSERT_EQ(expected, bandsOf(form.kernels, bayer, width, height, bandRows, mode,
                                                        level, toYuv422, 0x5A5A));
                            ASSERT_EQ(expected, bandsOf(form.kernels, bayer, width, height, bandRows, mode,
                                                        level, toYuv422, 0xFFFF));
                        }
                    }
                }
            }
        }
    }
}

// A full-size frame of random samples through the public entry point, in bands the driver
// might choose.
TEST(DemosaicBand, DispatchedFormEqualsTheSeparateJobsOnALargeRandomFrame) {
    constexpr int kWidth = 1928;
    constexpr int kHeight = 67;
    const Samples bayer = kernel_test::makeFrame(kernel_test::adversarialPatterns()[0], kWidth, kHeight, 9);
    for (int level : {-1, 1, 3}) {
        const Samples expected = separateJobs(bayer, kWidth, kHeight, 1, level, level == 1);
        for (int bandRows : {6, 16, 33}) {
            Samples rgb(expected.size(), 0x1234);
            for (int band = 0; band < demosaicBandCount(kHeight, bandRows); ++band)
                demosaicBand(bayer.data(), kWidth, kWidth, kHeight, band, bandRows, rgb.data(), 1, level,
                             level == 1);
            ASSERT_EQ(expected, rgb) << "level " << level << " bands of " << bandRows;
        }
    }
}

TEST(DemosaicBand, BandsBeyondTheFrameAndFramesBelowTheMinimumAreLeftAlone) {
    const Samples bayer(40 * 8, 1000);
    for (const BandForm& form : bandForms()) {
        Samples rgb(3 * 40 * 8, 7);
        demosaicBandWith(form.kernels, bayer.data(), 40, 40, 8, 2, 4, rgb.data(), 1, 1, false);
        demosaicBandWith(form.kernels, bayer.data(), 40, 40, 8, -1, 4, rgb.data(), 1, 1, false);
        demosaicBandWith(form.kernels, bayer.data(), 40, 40, 8, 0, 0, rgb.data(), 1, 1, false);
        demosaicBandWith(form.kernels, bayer.data(), 15, 15, 8, 0, 4, rgb.data(), 1, 1, false);
        demosaicBandWith(form.kernels, bayer.data(), 40, 40, 5, 0, 4, rgb.data(), 1, 1, false);
        // A stride below the width.
        demosaicBandWith(form.kernels, bayer.data(), 39, 40, 8, 0, 4, rgb.data(), 1, 1, false);
        EXPECT_EQ(Samples(3 * 40 * 8, 7), rgb) << form.name;
    }
}

// The crop of a wider and taller frame, read in place with the frame's stride, gives the
// picture of the same crop moved to a frame of its own.
TEST(DemosaicBand, CropReadInPlaceEqualsTheCropMovedOut) {
    constexpr int kFrameWidth = 61, kFrameHeight = 23;
    constexpr int kLeft = 6, kTop = 4, kWidth = 37, kHeight = 15;
    unsigned seed = 900;
    for (const kernel_test::Pattern& pattern : kernel_test::adversarialPatterns()) {
        const Samples frame = kernel_test::makeFrame(pattern, kFrameWidth, kFrameHeight, seed++);
        Samples cropped;
        for (int y = kTop; y < kTop + kHeight; ++y)
            cropped.insert(cropped.end(), frame.begin() + y * kFrameWidth + kLeft,
                           frame.begin() + y * kFrameWidth + kLeft + kWidth);
        const std::uint16_t* origin = frame.data() + kTop * kFrameWidth + kLeft;
        for (int type = 0; type <= 4; ++type) {
            const int mode = type == 0 ? 0 : 1;
            const Samples expected = separateJobs(cropped, kWidth, kHeight, mode, type - 1, type == 2);
            for (const BandForm& form : bandForms()) {
                Samples rgb(expected.size(), 0x5A5A);
                for (int band = 0; band < demosaicBandCount(kHeight, 4); ++band)
                    demosaicBandWith(form.kernels, origin, kFrameWidth, kWidth, kHeight, band, 4, rgb.data(),
                                     mode, type - 1, type == 2);
                ASSERT_EQ(expected, rgb) << pattern.name << " " << form.name << " type " << type;
            }
        }
    }
}

// The vertical filter of single rows: the vector form equals the scalar one for every
// level on random rows of lengths that are not multiples of the vector.
TEST(VerticalFilterRow, VectorFormEqualsReferenceOnRandomRowsOfOddLengths) {
    if (!avx2KernelsAvailable()) GTEST_SKIP() << "no AVX2";
    std::mt19937 random(5);
    for (std::size_t samples : {std::size_t{16}, std::size_t{17}, std::size_t{48}, std::size_t{51},
                                std::size_t{111}, std::size_t{3 * 1928}}) {
        std::vector<Samples> rows(5, Samples(samples));
        for (Samples& row : rows)
            for (std::uint16_t& sample : row) {
                // Half the rows at the extremes, so that the saturating steps and the cap are hit.
                const unsigned draw = random();
                sample = static_cast<std::uint16_t>(draw % 4 == 0 ? 65535 : (draw % 4 == 1 ? 0 : draw >> 16));
            }
        const std::uint16_t* const around[5] = {rows[0].data(), rows[1].data(), rows[2].data(),
                                                rows[3].data(), rows[4].data()};
        for (int level = -1; level <= 4; ++level) {
            Samples expected(samples, 77), vector(samples, 77);
            verticalFilterRowReference(around, expected.data(), samples, level);
            verticalFilterRowAvx2(around, vector.data(), samples, level);
            ASSERT_EQ(expected, vector) << samples << " samples, level " << level;
            kernel_test::AlignedSamples frameRow(samples, 77);
            verticalFilterRowToFrameAvx2(around, frameRow.data(), samples, level);
            finishRowStoresAvx2();
            ASSERT_EQ(expected, frameRow.samples()) << samples << " samples into a frame, level " << level;
        }
    }
}

// The share job on the pool, converting to 4:2:2 as it goes, finishes the frame like the
// separate jobs do.
TEST(DemosaicShare, PoolJobTo422EqualsTheSeparateJobs) {
    constexpr int kWidth = 96;
    constexpr int kHeight = 50;
    const Samples bayer = kernel_test::makeFrame(kernel_test::adversarialPatterns()[8], kWidth, kHeight, 4);
    const Samples expected = separateJobs(bayer, kWidth, kHeight, 1, 1, true);
    Samples rgb(expected.size(), 0);
    WorkerPool pool;
    createPool(pool, 3);
    BandSchedule schedule;
    PoolJob job = typeTwoJob(kJobDemosaicShare, bayer, rgb, kWidth, kHeight, 7);
    job.toYuv422 = true;
    job.schedule = &schedule;
    schedule.reset(demosaicBandCount(kHeight, 7), 4);
    runPoolJob(pool, job, 4);
    destroyPool(pool);
    EXPECT_EQ(expected, rgb);
}

// Shares of a frame taken in turn on this thread, so that every way a run is reached comes
// up: share 0 takes run 0 and then lets share 1 split its stretch again and again, each
// stolen stretch starting with an empty ring; share 0 then finishes the run left to it,
// which follows its run 0. The frame equals the separate jobs'.
TEST(DemosaicShare, SharesThatSplitStretchesEqualTheSeparateJobs) {
    constexpr int kWidth = 40;
    constexpr int kHeight = 37;
    const Samples bayer = kernel_test::makeFrame(kernel_test::adversarialPatterns()[5], kWidth, kHeight, 4);
    for (const BandForm& form : bandForms())
        for (const int type : {0, 1, 3})
            for (const bool toYuv422 : {false, true})
                for (const int runRows : {1, 2, 3, 5}) {
                    const DemosaicParameters parameters = demosaicParameters(type);
                    SCOPED_TRACE(std::string(form.name) + " type " + std::to_string(type) +
                                 (toYuv422 ? " 4:2:2" : "") + " runs of " + std::to_string(runRows));
                    const Samples expected =
                        separateJobs(bayer, kWidth, kHeight, parameters.mode, parameters.level, toYuv422);
                    kernel_test::AlignedSamples rgb(expected.size(), 0x5A5A);
                    BandSchedule schedule;
                    schedule.reset(demosaicBandCount(kHeight, runRows), 2);
                    const auto claim = schedule.next(0);
                    ASSERT_TRUE(claim && claim->run == 0);
                    demosaicBandWith(form.kernels, bayer.data(), kWidth, kWidth, kHeight, 0, runRows,
                                     rgb.data(), parameters.mode, parameters.level, toYuv422);
                    for (const int share : {1, 0})
                        demosaicShareWith(form.kernels, schedule, share, bayer.data(), kWidth, kWidth,
                                          kHeight, runRows, rgb.data(), parameters.mode, parameters.level,
                                          toYuv422);
                    ASSERT_EQ(expected, rgb.samples());
                }
}

// The share job on a pool of three workers and the caller, in short runs so that the
// threads split each other's stretches, frame after frame.
TEST(DemosaicShare, PoolJobEqualsTheSeparateJobs) {
    constexpr int kWidth = 96;
    constexpr int kHeight = 150;
    const Samples bayer = kernel_test::makeFrame(kernel_test::adversarialPatterns()[8], kWidth, kHeight, 4);
    const Samples expected = separateJobs(bayer, kWidth, kHeight, 1, 1, false);
    WorkerPool pool;
    createPool(pool, 3);
    BandSchedule schedule;
    for (int frame = 0; frame < 30; ++frame) {
        const int runRows = 1 + frame % 4;
        Samples rgb(expected.size(), static_cast<std::uint16_t>(frame));
        PoolJob job = typeTwoJob(kJobDemosaicShare, bayer, rgb, kWidth, kHeight, runRows);
        job.schedule = &schedule;
        schedule.reset(demosaicBandCount(kHeight, runRows), 4);
        runPoolJob(pool, job, 4);
        ASSERT_EQ(expected, rgb) << "frame " << frame << ", runs of " << runRows;
    }
    destroyPool(pool);
}

}  // namespace
