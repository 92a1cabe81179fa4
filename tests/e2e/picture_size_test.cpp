// Frames of the sizes cameras record today convert: 6144 x 3160 at full size
// and 8192 x 4320 resampled to a small output, where a limit meant for a
// 32-bit address space used to refuse them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace e2e;
using testing_support::readFileBytes;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

// One pixel of a 10-bit RGB DPX file read straight from its bytes, so that a
// picture of 20 million pixels need not be decoded whole.
Rgb10 dpxPixel(const std::string& bytes, int width, int x, int y) {
    const std::size_t offset = bigEndian32(bytes, 4);
    const std::uint32_t word =
        bigEndian32(bytes, offset + 4 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x));
    return {static_cast<int>(word >> 22 & 0x3FF), static_cast<int>(word >> 12 & 0x3FF),
            static_cast<int>(word >> 2 & 0x3FF)};
}

}  // namespace

TEST(PictureSize, A6144x3160ClipConvertsToDpxAtFullSize) {
    constexpr int kWidth = 6144, kHeight = 3160;
    TempDir dir;
    // Two frames, the first without content (a hole on disk); -i1 converts
    // the second only.
    makeClip(dir,
             {"--width", std::to_string(kWidth), "--height", std::to_string(kHeight), "--frames", "2",
              "--scene", "ramp", "--black", "0", "--white", "16383", "--content-frames", "1", "big.RAW"});
    const auto result = runRaw2tvx({"big.RAW", "big_%d.dpx", "-i1", "-d0"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ("big.RAW\n6144x3160 2 frames 24.000 fps\n.\ndone\n", result.out);
    EXPECT_EQ("", result.err);
    EXPECT_EQ((std::vector<std::string>{"big.RAW", "big_1.dpx"}), directoryNames(dir.path()));

    const std::string bytes = readFileBytes(dir.file("big_1.dpx"));
    ASSERT_EQ(2048u + static_cast<std::size_t>(kWidth) * kHeight * 4, bytes.size());
    EXPECT_EQ(static_cast<std::uint32_t>(kWidth), bigEndian32(bytes, 772));
    EXPECT_EQ(static_cast<std::uint32_t>(kHeight), bigEndian32(bytes, 776));
    // The bilinear demosaic of ramp frame 1 at pixels spread over the picture,
    // the far corner included.
    const auto bayer = [](int x, int y) { return logToneEntry(rampSample(x, y, 1), 0, 16383); };
    for (int y = 1; y < kHeight - 1; y += 157)
        for (int x = 1; x < kWidth - 1; x += 211)
            ASSERT_EQ(tenBits(bilinearInterior(bayer, x, y)), dpxPixel(bytes, kWidth, x, y)) << x << "," << y;
    EXPECT_EQ(tenBits(bilinearInterior(bayer, kWidth - 2, kHeight - 2)),
              dpxPixel(bytes, kWidth, kWidth - 2, kHeight - 2));
}

TEST(PictureSize, An8192x4320ClipConvertsResampledToASmallOutput) {
    TempDir dir;
    // One frame of zero samples, a hole on disk: below the black level, so
    // every pixel is black whatever the resampling.
    makeClip(dir, {"--width", "8192", "--height", "4320", "--frames", "1", "--scene", "flat",
                   "--content-frames", "1", "wide.RAW"});
    const auto result = runRaw2tvx({"wide.RAW", "small.dpx", "-w512", "-h270"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ("wide.RAW\n8192x4320 1 frames 24.000 fps\n.\ndone\n", result.out);
    EXPECT_EQ("", result.err);
    const DpxPicture picture = readDpx(dir.file("small.dpx"));
    ASSERT_TRUE(picture.valid);
    EXPECT_EQ(512, picture.width);
    EXPECT_EQ(270, picture.height);
    EXPECT_EQ(std::vector<Rgb10>(512 * 270, Rgb10{0, 0, 0}), picture.pixels);
}

// A picture within the limit whose memory cannot be had: the run's own line
// ("out of memory 3") on standard output, and on standard error the size
// that could not be had. The address space is limited to 500 MB, far below
// the 960 MB output picture and far above what the rest of the run takes.
TEST(PictureSize, APictureTheMemoryCannotBeHadForIsNamedWithItsSize) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
#endif
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "1", "--scene", "flat", "small.RAW"});
    const auto result = testing_support::runProgram(
        {RAW2TVX_BIN, "small.RAW", "big.dpx", "-w16000", "-h10000"}, dir.path(), "ulimit -v 500000;");
    EXPECT_FALSE(result.signalled);
    EXPECT_EQ(kClipUnusableStatus, result.exitCode) << result.err;
    EXPECT_EQ("small.RAW\n64x32 1 frames 24.000 fps\nout of memory 3\n\ndone\n", result.out);
    EXPECT_EQ("raw2tvx: no memory for a 16000x10000 output picture of 960000000 bytes\n", result.err);
    EXPECT_FALSE(fileExists(dir.file("big.dpx")));
}
