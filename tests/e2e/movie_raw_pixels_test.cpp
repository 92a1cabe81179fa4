// RAW movies decoded back by FFmpeg's mjpeg decoder equal the cropped Bayer
// frames sample for sample. The expected frames are worked out here: mkclip's
// ramp through the log tone table, or the stored samples of a 16-bit clip read
// straight from its file. The decoded picture holds the four colour planes as
// quadrants; this test puts them back in its own code.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "e2e/movie_decode.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace e2e;
using testing_support::readFileBytes;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

// The quadrant layout undone: the even columns of a Bayer row are the left
// (width + 1) / 2 columns of the picture, the odd ones the rest; likewise the
// even rows are the top (height + 1) / 2 rows.
std::vector<std::uint16_t> bayerFromQuadrants(const DecodedPicture& picture) {
    const int width = picture.width, height = picture.height;
    const int leftWidth = (width + 1) / 2, topHeight = (height + 1) / 2;
    std::vector<std::uint16_t> bayer(static_cast<std::size_t>(width) * height);
    for (int by = 0; by < height; ++by)
        for (int bx = 0; bx < width; ++bx) {
            const int qx = bx % 2 == 0 ? bx / 2 : leftWidth + bx / 2;
            const int qy = by % 2 == 0 ? by / 2 : topHeight + by / 2;
            bayer[static_cast<std::size_t>(by) * width + bx] = picture.at(0, qx, qy);
        }
    return bayer;
}

using SampleAt = std::function<int(int x, int y, int frame)>;

// Every decoded frame is gray16le of the crop size and equals, once the
// quadrants are undone, the expected samples of clip frame frames[i].
::testing::AssertionResult holdsBayerFrames(const std::string& path, int width, int height,
                                            const std::vector<int>& frames, const SampleAt& expected) {
    const std::vector<DecodedPicture> pictures = decodeMovie(path);
    if (pictures.size() != frames.size())
        return ::testing::AssertionFailure()
               << pictures.size() << " frames decoded, " << frames.size() << " expected";
    for (std::size_t index = 0; index < frames.size(); ++index) {
        const DecodedPicture& picture = pictures[index];
        if (picture.format != AV_PIX_FMT_GRAY16LE || picture.width != width || picture.height != height)
            return ::testing::AssertionFailure()
                   << "frame " << index << ": " << av_get_pix_fmt_name(picture.format) << " " << picture.width
                   << "x" << picture.height;
        const std::vector<std::uint16_t> bayer = bayerFromQuadrants(picture);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int want = expected(x, y, frames[index]);
                const int got = bayer[static_cast<std::size_t>(y) * width + x];
                if (want != got)
                    return ::testing::AssertionFailure() << "frame " << index << " sample " << x << "," << y
                                                         << ": " << got << " instead of " << want;
            }
    }
    return ::testing::AssertionSuccess();
}

int rampThroughTable(int x, int y, int frame) {
    return defaultToneEntry(rampSample(x, y, frame));
}

}  // namespace

// The ramp's first sample in frame 0 is 0, below the black level, so the
// frame starts with a 0 where the predictor says 32768: the one difference of
// category 16. Frame 1 starts above it. Both come back exactly.
TEST(MovieRawPixels, WholeFramesComeBackExactly) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "3", "--scene", "ramp", "ramp.RAW"});
    ASSERT_EQ(0, rampThroughTable(0, 0, 0));
    ASSERT_NE(0, rampThroughTable(0, 0, 1));
    for (const std::string name : {"ramp.avi", "ramp.mov"}) {
        const auto result = runRaw2tvx({"ramp.RAW", name}, dir.path());
        ASSERT_EQ(0, result.exitCode) << result.out << result.err;
        EXPECT_TRUE(holdsBayerFrames(dir.file(name), 64, 32, {0, 1, 2}, rampThroughTable)) << name;
    }
}

// A window: columns 6..53 and rows 4..29 of every frame.
TEST(MovieRawPixels, CroppedFramesComeBackExactly) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "2", "--scene", "ramp", "ramp.RAW"});
    const auto result = runRaw2tvx({"ramp.RAW", "crop.mov", "-(6,4,54,30)"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out << result.err;
    EXPECT_TRUE(holdsBayerFrames(dir.file("crop.mov"), 48, 26, {0, 1}, [](int x, int y, int frame) {
        return rampThroughTable(x + 6, y + 4, frame);
    }));
}

// -i, -o and -s pick the frames: -i2 -o8 -s1 on ten frames converts 2, 4 and 6.
TEST(MovieRawPixels, InOutAndSkipPickTheFrames) {
    TempDir dir;
    makeClip(dir, {"--width", "32", "--height", "16", "--frames", "10", "--scene", "ramp", "ramp.RAW"});
    const auto result = runRaw2tvx({"ramp.RAW", "picked.avi", "-i2", "-o8", "-s1"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out << result.err;
    EXPECT_EQ("ramp.RAW\n32x16 10 frames 24.000 fps\n...\ndone\n", result.out);
    EXPECT_TRUE(holdsBayerFrames(dir.file("picked.avi"), 32, 16, {2, 4, 6}, rampThroughTable));
    EXPECT_EQ("3", probeMovie(dir.file("picked.avi")).field("nb_frames"));
}

// Stored 16-bit samples go out as stored. With sensor noise on the chart every
// difference size occurs; the samples come straight from the clip file.
TEST(MovieRawPixels, NoisySixteenBitFramesComeBackExactly) {
    TempDir dir;
    constexpr int kWidth = 96, kHeight = 48;
    makeClip(dir, {"--width", std::to_string(kWidth), "--height", std::to_string(kHeight), "--frames", "2",
                   "--scene", "chart", "--noise", "400", "--packing", "16", "noisy.RAW"});
    const std::string clip = readFileBytes(dir.file("noisy.RAW"));
    const std::size_t frameBytes = static_cast<std::size_t>(kWidth) * kHeight * 2;
    ASSERT_EQ(2 * frameBytes + 192, clip.size());
    const SampleAt stored = [&clip, frameBytes](int x, int y, int frame) {
        const std::size_t at = static_cast<std::size_t>(frame) * frameBytes +
                               (static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)) * 2;
        return static_cast<unsigned char>(clip[at]) | static_cast<unsigned char>(clip[at + 1]) << 8;
    };
    for (const std::string name : {"noisy.avi", "noisy.mov"}) {
        const auto result = runRaw2tvx({"noisy.RAW", name}, dir.path());
        ASSERT_EQ(0, result.exitCode) << result.out << result.err;
        EXPECT_TRUE(holdsBayerFrames(dir.file(name), kWidth, kHeight, {0, 1}, stored)) << name;
    }
    // A window of the same clip, starting at an even corner off the origin.
    const auto cropped = runRaw2tvx({"noisy.RAW", "window.avi", "-(10,6,74,40)"}, dir.path());
    ASSERT_EQ(0, cropped.exitCode) << cropped.out << cropped.err;
    EXPECT_TRUE(holdsBayerFrames(dir.file("window.avi"), 64, 34, {0, 1}, [&stored](int x, int y, int frame) {
        return stored(x + 10, y + 6, frame);
    }));
}
