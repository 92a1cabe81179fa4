// Which part of the frame becomes the picture: the width rounded down to a
// multiple of 16, a source window, a window reaching beyond the frame, and
// windows that leave too little.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace e2e;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

// A ramp clip whose samples are their own table indices (levels 0 and 16383).
void makeRampClip(const TempDir& dir, const std::string& name, int width, int height) {
    makeClip(dir, {"--width", std::to_string(width), "--height", std::to_string(height), "--frames", "1",
                   "--scene", "ramp", "--black", "0", "--white", "16383", name});
}

// True when the picture is width x height and its pixels off the border are
// the bilinear demosaic (-d0) of frame 0 of the ramp from column left, row top.
::testing::AssertionResult holdsRampRegion(const DpxPicture& picture, int left, int top, int width,
                                           int height) {
    if (!picture.valid) return ::testing::AssertionFailure() << "not a DPX picture";
    if (picture.width != width || picture.height != height)
        return ::testing::AssertionFailure() << "size " << picture.width << "x" << picture.height;
    const auto bayer = [left, top](int x, int y) {
        return logToneEntry(rampSample(left + x, top + y, 0), 0, 16383);
    };
    for (int y = 1; y < height - 1; ++y)
        for (int x = 1; x < width - 1; ++x)
            if (tenBits(bilinearInterior(bayer, x, y)) != picture.at(x, y))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y;
    return ::testing::AssertionSuccess();
}

}  // namespace

// A 1928-wide frame is cut to 1920 columns from the left, and the columns
// left out are named, for DPX and RAW movies, clip by clip; a window typed
// says where the picture comes from instead.
TEST(CropWindow, WidthIsCutToAMultipleOfSixteen) {
    TempDir dir;
    makeRampClip(dir, "wide.RAW", 1928, 8);
    const std::string leftOut =
        "raw2tvx: warning: wide.RAW: the frame is 1928 wide and a picture a multiple of 16: columns 0 to "
        "1919 "
        "are used and 1920 to 1927 left out (a window -(x1,y1,x2,y2) chooses others)\n";
    const auto result = runRaw2tvx({"wide.RAW", "wide.dpx", "-d0"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    EXPECT_EQ("wide.RAW\n1928x8 1 frames 24.000 fps\n.\ndone\n", result.out);
    EXPECT_EQ(leftOut, result.err);
    const auto movie = runRaw2tvx({"wide.RAW", "wide.RAW", "wide%d.mov"}, dir.path());
    EXPECT_EQ(0, movie.exitCode) << movie.err;
    EXPECT_EQ(leftOut + leftOut + "raw2tvx: 2 clips converted; 2 frames written\n", movie.err);
    EXPECT_EQ("", runRaw2tvx({"wide.RAW", "window.dpx", "-(0,0,1920,8)"}, dir.path()).err);
    EXPECT_EQ(2048u + 1920 * 8 * 4, readText(dir.file("wide.dpx")).size());
    EXPECT_TRUE(holdsRampRegion(readDpx(dir.file("wide.dpx")), 0, 0, 1920, 8));
}

// -(x1,y1,x2,y2) picks columns x1..x2-1 and rows y1..y2-1; odd corners move
// in by one and the size grows to a multiple of 16 by an even height.
TEST(CropWindow, WindowPicksItsRegion) {
    TempDir dir;
    makeRampClip(dir, "ramp.RAW", 64, 16);
    for (const char* window : {"-(16,4,48,12)", "-(15,3,47,11)"}) {
        const auto result = runRaw2tvx({"ramp.RAW", "win.dpx", "-d0", window}, dir.path());
        ASSERT_EQ(0, result.exitCode) << window << result.out;
        EXPECT_EQ("ramp.RAW\n64x16 1 frames 24.000 fps\n.\ndone\n", result.out);
        EXPECT_TRUE(holdsRampRegion(readDpx(dir.file("win.dpx")), 16, 4, 32, 8)) << window;
    }
}

// A window given only in part is not adjusted, so its corner may be odd; the
// crop still starts on an even column so that red stays at its top-left.
TEST(CropWindow, PartialWindowKeepsTheColourPattern) {
    TempDir dir;
    makeRampClip(dir, "ramp.RAW", 72, 8);
    const auto result = runRaw2tvx({"ramp.RAW", "win.dpx", "-d0", "-(5"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    EXPECT_TRUE(holdsRampRegion(readDpx(dir.file("win.dpx")), 4, 0, 64, 8));
}

// A window reaching beyond the frame keeps the part inside it.
TEST(CropWindow, WindowBeyondTheFrameIsIntersectedWithIt) {
    TempDir dir;
    makeRampClip(dir, "ramp.RAW", 64, 16);
    struct Case {
        const char* window;
        int left, top, width, height;
    };
    for (const Case& item : {Case{"-(32,4,96,12)", 32, 4, 32, 8}, Case{"-(32,8,64,24)", 32, 8, 32, 8},
                             Case{"-(16,0,96,40)", 16, 0, 48, 16}}) {
        const auto result = runRaw2tvx({"ramp.RAW", "win.dpx", "-d0", item.window}, dir.path());
        ASSERT_EQ(0, result.exitCode) << item.window << result.out;
        EXPECT_TRUE(
            holdsRampRegion(readDpx(dir.file("win.dpx")), item.left, item.top, item.width, item.height))
            << item.window;
    }
}

// Nothing left of the frame is a usage error; a picture below 16 x 6 cannot
// be demosaiced and ends the run as an unusable clip. Neither writes a file.
TEST(CropWindow, WindowsLeavingTooLittleEndTheRun) {
    TempDir dir;
    makeRampClip(dir, "ramp.RAW", 64, 16);
    for (const char* window : {"-(64,0,96,8)", "-(56,0,72,8)", "-(0,16,32,24)"}) {
        const auto result = runRaw2tvx({"ramp.RAW", "win.dpx", window}, dir.path());
        EXPECT_EQ(kUsageStatus, result.exitCode) << window << result.out;
        EXPECT_EQ("ramp.RAW\n64x16 1 frames 24.000 fps\n\ndone\n", result.out);
        EXPECT_EQ(0u, result.err.find("raw2tvx: " + std::string(window) +
                                      ": the window leaves nothing of the 64x16 frame: "))
            << result.err;
        EXPECT_EQ(std::vector<std::string>{"ramp.RAW"}, directoryNames(dir.path())) << window;
    }

    const auto small = runRaw2tvx({"ramp.RAW", "win.dpx", "-(0,0,16,4)"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, small.exitCode) << small.out;
    EXPECT_EQ("ramp.RAW\n64x16 1 frames 24.000 fps\n\ndone\n", small.out);
    EXPECT_EQ("raw2tvx: a 16x4 picture is too small to demosaic: it needs at least 16x6\n", small.err);
    EXPECT_EQ(std::vector<std::string>{"ramp.RAW"}, directoryNames(dir.path()));

    // A frame narrower than 16 samples is too small whatever the window.
    makeRampClip(dir, "narrow.RAW", 8, 16);
    const auto narrow = runRaw2tvx({"narrow.RAW", "narrow.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, narrow.exitCode) << narrow.out;
    EXPECT_EQ("narrow.RAW\n8x16 1 frames 24.000 fps\n\ndone\n", narrow.out);
    EXPECT_EQ("raw2tvx: a 8x16 frame is too small to demosaic: it needs at least 16x6\n", narrow.err);
    EXPECT_FALSE(fileExists(dir.file("narrow.dpx")));
}
