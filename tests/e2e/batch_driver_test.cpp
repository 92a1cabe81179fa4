// The batch driver's passes and exit codes: wildcard rules, runs over several
// arguments, clips that end the run, and the output size.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace e2e;
using testing_support::runProgram;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

void makeFlatClip(const TempDir& dir, const std::string& name, int width, int height, int frames, int level) {
    makeClip(dir, {"--width", std::to_string(width), "--height", std::to_string(height), "--frames",
                   std::to_string(frames), "--scene", "flat", "--level", std::to_string(level), name});
}

const char kWildcardLines[] =
    "use wildcard on input and output paths\nexample:  raw2tvx E:\\DCIM\\*.RAW V:\\KXRAW\\*.AVI\n";

}  // namespace

TEST(BatchDriver, WildcardInputNeedsAWildcardOutputAndAMatch) {
    TempDir dir;
    makeFlatClip(dir, "a.RAW", 32, 8, 1, 4096);
    makeFlatClip(dir, "b.RAW", 32, 8, 1, 4096);

    for (const char* output : {"out.dpx", "out_%d.dpx"}) {
        const auto result = runRaw2tvx({"*.RAW", output}, dir.path());
        EXPECT_EQ(kWildcardOutputStatus, result.exitCode) << output;
        EXPECT_EQ(kWildcardLines, result.out);
    }
    const auto none = runRaw2tvx({"none*.RAW", "*_%d.dpx"}, dir.path());
    EXPECT_EQ(kNoMatchStatus, none.exitCode);
    EXPECT_EQ("no files with this * pattern was found\n", none.out);
    EXPECT_EQ((std::vector<std::string>{"a.RAW", "b.RAW"}), directoryNames(dir.path()));

    // A wildcard argument after a plain one: the first clip is converted, then
    // the run ends at the wildcard.
    const auto late = runRaw2tvx({"a.RAW", "*.RAW", "first_%d.dpx"}, dir.path());
    EXPECT_EQ(kWildcardOutputStatus, late.exitCode);
    EXPECT_EQ("a.RAW\n32x8 1 frames 24.000 fps\n." + std::string(kWildcardLines), late.out);
}

// Frame numbers run on across the arguments of one run, and the output size
// fixed by the first clip stays for the later ones, which are resampled to it.
TEST(BatchDriver, ArgumentsOfOneRunShareNumberingAndOutputSize) {
    TempDir dir;
    makeFlatClip(dir, "a.RAW", 32, 8, 2, 4096);
    makeFlatClip(dir, "b.RAW", 64, 16, 1, 4096);
    const auto result = runRaw2tvx({"a.RAW", "b.RAW", "o_%d.dpx"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    EXPECT_EQ("a.RAW\n32x8 2 frames 24.000 fps\n..b.RAW\n64x16 1 frames 24.000 fps\n.\ndone\n", result.out);
    EXPECT_EQ((std::vector<std::string>{"a.RAW", "b.RAW", "o_0.dpx", "o_1.dpx", "o_2.dpx"}),
              directoryNames(dir.path()));
    const int value = defaultToneEntry(4096) >> 6;
    const DpxPicture last = readDpx(dir.file("o_2.dpx"));
    ASSERT_TRUE(last.valid);
    EXPECT_EQ(32, last.width);
    EXPECT_EQ(8, last.height);
    // Lanczos filtering of a flat picture may be one off in the last bit.
    for (const Rgb10& pixel : last.pixels)
        for (int channel : pixel) ASSERT_NEAR(value, channel, 1);
}

// A clip whose crop already has the output size is exported as it is, even
// after a clip that had to be resampled: nothing of the earlier clip's
// resampling (sizes, picture) is used for it.
TEST(BatchDriver, ClipAfterAResampledOneIsNotResampled) {
    TempDir dir;
    makeFlatClip(dir, "a.RAW", 64, 16, 1, 4096);
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "1", "--scene", "ramp", "--black", "0",
                   "--white", "16383", "b.RAW"});
    const auto result = runRaw2tvx({"a.RAW", "b.RAW", "o_%d.dpx", "-w32", "-h8", "-d0"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    const DpxPicture picture = readDpx(dir.file("o_1.dpx"));
    ASSERT_TRUE(picture.valid);
    ASSERT_EQ(32, picture.width);
    ASSERT_EQ(8, picture.height);
    const auto bayer = [](int x, int y) { return logToneEntry(rampSample(x, y, 0), 0, 16383); };
    for (int y = 1; y < 7; ++y)
        for (int x = 1; x < 31; ++x)
            ASSERT_EQ(tenBits(bilinearInterior(bayer, x, y)), picture.at(x, y)) << x << "," << y;
}

// A clip that cannot be opened ends the run with code 6 after "\ndone\n";
// the arguments after it are not converted.
TEST(BatchDriver, UnusableClipEndsTheRunWithCodeSix) {
    TempDir dir;
    makeFlatClip(dir, "good.RAW", 32, 8, 1, 4096);
    const auto result = runRaw2tvx({"missing.RAW", "good.RAW", "o_%d.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, result.exitCode);
    EXPECT_EQ("missing.RAW file could not be opened\n\ndone\n", result.out);
    EXPECT_EQ(std::vector<std::string>{"good.RAW"}, directoryNames(dir.path()));

    // A clip after a good one: the good one's frames are written first.
    const auto later = runRaw2tvx({"good.RAW", "missing.RAW", "o_%d.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, later.exitCode);
    EXPECT_EQ("good.RAW\n32x8 1 frames 24.000 fps\n.missing.RAW file could not be opened\n\ndone\n",
              later.out);
    EXPECT_TRUE(readDpx(dir.file("o_0.dpx")).valid);
}

// The picture limit: crop width x height x 6 up to 1 GiB, the bound of one
// frame, and the output size likewise. Beyond it the run ends with code 6
// and a message that names the size.
TEST(BatchDriver, PicturesBeyondOneGibibyteEndTheRunWithCodeSix) {
    TempDir dir;
    // 16384 x 11000 x 6 = 1,081,344,000 bytes, just beyond 2^30. Frame 0
    // without content: its samples are a hole on disk.
    makeClip(dir, {"--width", "16384", "--height", "11000", "--frames", "1", "--scene", "flat",
                   "--content-frames", "1", "huge.RAW"});
    auto result = runRaw2tvx({"huge.RAW", "o_%d.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, result.exitCode);
    EXPECT_EQ("huge.RAW\n16384x11000 1 frames 24.000 fps\n\ndone\n", result.out);
    EXPECT_EQ(
        "raw2tvx: a 16384x11000 picture needs 1081344000 bytes, more than the 1073741824 bytes a picture may "
        "take\n",
        result.err);

    makeFlatClip(dir, "small.RAW", 32, 8, 1, 4096);
    result = runRaw2tvx({"small.RAW", "o_%d.dpx", "-w100000", "-h10000"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, result.exitCode);
    EXPECT_EQ("small.RAW\n32x8 1 frames 24.000 fps\n\ndone\n", result.out);
    EXPECT_EQ(
        "raw2tvx: a 100000x10000 output picture needs 6000000000 bytes, more than the 1073741824 bytes a "
        "picture may take\n",
        result.err);
    EXPECT_EQ((std::vector<std::string>{"huge.RAW", "small.RAW"}), directoryNames(dir.path()));
}

// -w and -h other than the crop size: the picture is resampled to them. A
// flat picture stays flat; an independent reader sees the new size.
TEST(BatchDriver, OutputSizeResamplesThePicture) {
    TempDir dir;
    makeFlatClip(dir, "flat.RAW", 32, 8, 1, 4096);
    const int value = defaultToneEntry(4096) >> 6;
    struct Case {
        std::vector<std::string> switches;
        int width, height;
    };
    for (const Case& item : {Case{{"-w64", "-h16"}, 64, 16}, Case{{"-w48"}, 48, 8}, Case{{"-h6"}, 32, 6},
                             Case{{"-w20", "-h7"}, 20, 7}, Case{{"-w0", "-h-3"}, 32, 8}}) {
        std::vector<std::string> arguments{"flat.RAW", "size.dpx"};
        arguments.insert(arguments.end(), item.switches.begin(), item.switches.end());
        const auto result = runRaw2tvx(arguments, dir.path());
        ASSERT_EQ(0, result.exitCode) << result.out;
        const std::string path = dir.file("size.dpx");
        EXPECT_EQ(2048u + static_cast<std::size_t>(item.width) * item.height * 4, readText(path).size());
        const DpxPicture picture = readDpx(path);
        ASSERT_TRUE(picture.valid);
        EXPECT_EQ(item.width, picture.width);
        EXPECT_EQ(item.height, picture.height);
        for (const Rgb10& pixel : picture.pixels)
            for (int channel : pixel) ASSERT_NEAR(value, channel, 1) << item.width << "x" << item.height;

        // One independent look at the size is enough; the probe is slow.
        if (item.width != 64 || !toolExists("/usr/bin/ffprobe")) continue;
        const auto probe = runProgram({"/usr/bin/ffprobe", "-v", "error", "-show_entries",
                                       "stream=width,height,pix_fmt", "-of", "default=nw=1", path});
        EXPECT_EQ("width=" + std::to_string(item.width) + "\nheight=" + std::to_string(item.height) +
                      "\npix_fmt=gbrp10le\n",
                  probe.out);
    }
}
