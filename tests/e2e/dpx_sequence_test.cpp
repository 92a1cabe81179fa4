// Which frames become which DPX files: in and out points, skips, the
// numbering across the clips of a wildcard run, the "null" output, a name
// without a number, verbose progress, repeatable output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
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

constexpr int kWidth = 32, kHeight = 8;

// A ramp clip whose samples are their own table indices (levels 0 and 16383).
void makeRampClip(const TempDir& dir, const std::string& name, int frames) {
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", std::to_string(frames), "--scene", "ramp",
                   "--black", "0", "--white", "16383", name});
}

// True when the picture's pixels off the border are those of the bilinear
// demosaic (-d0) of ramp frame `frame`.
::testing::AssertionResult holdsRampFrame(const DpxPicture& picture, int frame) {
    if (!picture.valid || picture.width != kWidth || picture.height != kHeight)
        return ::testing::AssertionFailure() << "not a " << kWidth << "x" << kHeight << " DPX picture";
    const auto bayer = [frame](int x, int y) { return logToneEntry(rampSample(x, y, frame), 0, 16383); };
    for (int y = 1; y < kHeight - 1; ++y)
        for (int x = 1; x < kWidth - 1; ++x)
            if (tenBits(bilinearInterior(bayer, x, y)) != picture.at(x, y))
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is not of frame " << frame;
    return ::testing::AssertionSuccess();
}

}  // namespace

// -i5 -o10 -s1: frames 5, 7 and 9, each named by its index in the clip.
TEST(DpxSequence, InPointOutPointAndSkipsPickFramesFiveSevenAndNine) {
    TempDir dir;
    makeRampClip(dir, "ramp.RAW", 12);
    const auto result = runRaw2tvx({"ramp.RAW", "shot_%05d.dpx", "-i5", "-o10", "-s1", "-d0"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    EXPECT_EQ("ramp.RAW\n32x8 12 frames 24.000 fps\n...\ndone\n", result.out);
    EXPECT_EQ((std::vector<std::string>{"ramp.RAW", "shot_00005.dpx", "shot_00007.dpx", "shot_00009.dpx"}),
              directoryNames(dir.path()));
    for (int frame : {5, 7, 9}) {
        char name[32];
        std::snprintf(name, sizeof name, "shot_%05d.dpx", frame);
        const DpxPicture picture = readDpx(dir.file(name));
        EXPECT_TRUE(holdsRampFrame(picture, frame)) << name;
        EXPECT_FALSE(holdsRampFrame(picture, frame - 1)) << name;
    }

    // -o0 still processes one frame.
    const auto one = runRaw2tvx({"ramp.RAW", "one_%d.dpx", "-i3", "-o0", "-d0"}, dir.path());
    ASSERT_EQ(0, one.exitCode) << one.out;
    EXPECT_EQ("ramp.RAW\n32x8 12 frames 24.000 fps\n.\ndone\n", one.out);
    EXPECT_TRUE(holdsRampFrame(readDpx(dir.file("one_3.dpx")), 3));
    EXPECT_FALSE(fileExists(dir.file("one_4.dpx")));
}

// Only an output file called "null" processes every frame and writes nothing.
TEST(DpxSequence, NullOutputWritesNoFileAndPrintsNoMarks) {
    TempDir dir;
    makeRampClip(dir, "ramp.RAW", 4);
    for (const char* output : {"null.dpx", "null.DPX"}) {
        const auto result = runRaw2tvx({"ramp.RAW", output, "-444"}, dir.path());
        EXPECT_EQ(0, result.exitCode) << output;
        EXPECT_EQ("ramp.RAW\n32x8 4 frames 24.000 fps\n\ndone\n", result.out) << output;
        EXPECT_EQ(std::vector<std::string>{"ramp.RAW"}, directoryNames(dir.path())) << output;
    }
}

// A name that merely begins with the letters "null" is a sequence like any
// other: not a frame of the conversion is lost.
TEST(DpxSequence, NamesBeginningWithNullAreWritten) {
    TempDir dir;
    makeRampClip(dir, "ramp.RAW", 2);
    for (const std::string prefix : {"nullarbor_", "null_"}) {
        const auto result = runRaw2tvx({"ramp.RAW", prefix + "%04d.dpx", "-d0"}, dir.path());
        ASSERT_EQ(0, result.exitCode) << prefix << result.err;
        EXPECT_EQ("ramp.RAW\n32x8 2 frames 24.000 fps\n..\ndone\n", result.out);
        EXPECT_EQ("", result.err);
        for (int frame = 0; frame < 2; ++frame)
            EXPECT_TRUE(
                holdsRampFrame(readDpx(dir.file(prefix + "000" + std::to_string(frame) + ".dpx")), frame))
                << prefix << frame;
    }
}

// A name without a number is the same file for every frame: the last one stays.
// A name without a frame number would hold only the last of several frames:
// such a run is refused before anything is read or written. One frame to
// one name is fine, and a clip whose in point selects nothing asks for none.
TEST(DpxSequence, NameWithoutNumberTakesOneFrameOnly) {
    TempDir dir;
    makeRampClip(dir, "ramp.RAW", 4);
    makeRampClip(dir, "one.RAW", 1);
    auto result = runRaw2tvx({"ramp.RAW", "out.dpx", "-d0"}, dir.path());
    EXPECT_EQ(2, result.exitCode);
    EXPECT_EQ("", result.out);
    EXPECT_EQ(
        "raw2tvx: out.dpx: 4 frames would all be written to this one file, each replacing the last: put %d "
        "in "
        "the name to number them (such as out_%05d.dpx)\n",
        result.err);
    EXPECT_EQ((std::vector<std::string>{"one.RAW", "ramp.RAW"}), directoryNames(dir.path()));

    // Two clips of one frame each into one name: refused too, counting both.
    result = runRaw2tvx({"one.RAW", "ramp.RAW", "out.dpx", "-o0"}, dir.path());
    EXPECT_EQ(2, result.exitCode);
    EXPECT_NE(std::string::npos, result.err.find("out.dpx: 2 frames would all be written")) << result.err;
    EXPECT_EQ((std::vector<std::string>{"one.RAW", "ramp.RAW"}), directoryNames(dir.path()));

    result = runRaw2tvx({"ramp.RAW", "out.dpx", "-d0", "-i3"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ("ramp.RAW\n32x8 4 frames 24.000 fps\n.\ndone\n", result.out);
    EXPECT_TRUE(holdsRampFrame(readDpx(dir.file("out.dpx")), 3));
    // The null output writes nothing, whatever its name.
    result = runRaw2tvx({"ramp.RAW", "null.dpx"}, dir.path());
    EXPECT_EQ(0, result.exitCode) << result.err;
}

// In a wildcard run the '*' of the output takes each clip's base name, and
// the frame numbers run on from one clip to the next.
TEST(DpxSequence, WildcardRunNamesFilesAfterEachClipAndNumbersOnAcrossClips) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("clips"));
    std::filesystem::create_directory(dir.file("out"));
    makeRampClip(dir, "clips/a.RAW", 3);
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "2", "--scene", "flat", "--level", "15000",
                   "clips/b.RAW"});
    const auto result = runRaw2tvx({"clips/*.RAW", "out/*_%03d.dpx", "-d0"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    EXPECT_EQ("clips/a.RAW\n32x8 3 frames 24.000 fps\n...\nclips/b.RAW\n32x8 2 frames 24.000 fps\n..\ndone\n",
              result.out);
    EXPECT_EQ((std::vector<std::string>{"a_000.dpx", "a_001.dpx", "a_002.dpx", "b_003.dpx", "b_004.dpx"}),
              directoryNames(dir.file("out")));
    EXPECT_TRUE(holdsRampFrame(readDpx(dir.file("out/a_002.dpx")), 2));
    for (const char* name : {"out/b_003.dpx", "out/b_004.dpx"}) {
        const DpxPicture white = readDpx(dir.file(name));
        ASSERT_TRUE(white.valid) << name;
        EXPECT_EQ(std::vector<Rgb10>(kWidth * kHeight, Rgb10{1023, 1023, 1023}), white.pixels) << name;
    }
}

// A clip name is literal text in the output name, '%' signs and all.
TEST(DpxSequence, WildcardClipNamesWithPercentSignsAreTakenLiterally) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("out"));
    makeRampClip(dir, "a%d.RAW", 2);
    makeRampClip(dir, "b%%x%s.RAW", 1);
    const auto result = runRaw2tvx({"*.RAW", "out/*_%d.dpx"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    EXPECT_EQ("a%d.RAW\n32x8 2 frames 24.000 fps\n..\nb%%x%s.RAW\n32x8 1 frames 24.000 fps\n.\ndone\n",
              result.out);
    EXPECT_EQ((std::vector<std::string>{"a%d_0.dpx", "a%d_1.dpx", "b%%x%s_2.dpx"}),
              directoryNames(dir.file("out")));
}

// Whether frames are exported depends on the output argument as typed: a
// clip whose name begins with "null" is exported like any other.
TEST(DpxSequence, ClipNamedNullIsExportedInAWildcardRun) {
    TempDir dir;
    makeRampClip(dir, "nullshot.RAW", 2);
    const auto result = runRaw2tvx({"*.RAW", "*_%d.dpx"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    EXPECT_EQ("nullshot.RAW\n32x8 2 frames 24.000 fps\n..\ndone\n", result.out);
    EXPECT_EQ((std::vector<std::string>{"nullshot.RAW", "nullshot_0.dpx", "nullshot_1.dpx"}),
              directoryNames(dir.path()));
}

// -v: the processor count (at most 8) and one line per exported frame.
TEST(DpxSequence, VerboseRunReportsProcessorsAndEachExportedFrame) {
    TempDir dir;
    makeRampClip(dir, "ramp.RAW", 3);
    const auto result = runRaw2tvx({"ramp.RAW", "v_%d.dpx", "-v"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    const long processors = std::min(::sysconf(_SC_NPROCESSORS_ONLN), 8L);
    EXPECT_EQ(
        "found " + std::to_string(processors) +
            " cpus\nramp.RAW\n32x8 3 frames 24.000 fps\nexport frame 0\nexport frame 1\nexport frame 2\n"
            "\ndone\n",
        result.out);
    EXPECT_EQ((std::vector<std::string>{"ramp.RAW", "v_0.dpx", "v_1.dpx", "v_2.dpx"}),
              directoryNames(dir.path()));
}

// The same command twice gives the same bytes, resampled or not.
TEST(DpxSequence, TwoRunsOfOneCommandWriteIdenticalFiles) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "3", "--scene", "chart", "chart.RAW"});
    for (const std::vector<std::string>& switches :
         {std::vector<std::string>{}, std::vector<std::string>{"-d4", "-w48", "-h20"}}) {
        for (const char* run : {"first", "second"}) {
            std::filesystem::create_directory(dir.file(run));
            std::vector<std::string> arguments{"chart.RAW", std::string(run) + "/f_%d.dpx"};
            arguments.insert(arguments.end(), switches.begin(), switches.end());
            ASSERT_EQ(0, runRaw2tvx(arguments, dir.path()).exitCode);
        }
        EXPECT_EQ((std::vector<std::string>{"f_0.dpx", "f_1.dpx", "f_2.dpx"}),
                  directoryNames(dir.file("first")));
        for (const char* name : {"f_0.dpx", "f_1.dpx", "f_2.dpx"}) {
            const std::string first = readFileBytes(dir.file(std::string("first/") + name));
            ASSERT_GT(first.size(), 2048u);
            EXPECT_EQ(first, readFileBytes(dir.file(std::string("second/") + name))) << name;
        }
        std::filesystem::remove_all(dir.file("first"));
        std::filesystem::remove_all(dir.file("second"));
    }
}

// Frames are written one behind the one being demosaiced. A write that fails
// on the fourth frame (a directory holds its name) still leaves the first
// three complete, each its own frame, prints their marks before the message
// and none after it, and ends the run with code 7 before a fifth file.
TEST(DpxSequence, FailureOnALaterFrameKeepsTheEarlierFramesAndEndsWithCodeSeven) {
    TempDir dir;
    makeRampClip(dir, "ramp.RAW", 6);
    std::filesystem::create_directory(dir.file("f_3.dpx"));
    const auto result = runRaw2tvx({"ramp.RAW", "f_%d.dpx", "-d0"}, dir.path());
    EXPECT_EQ(kOutputIncompleteStatus, result.exitCode) << result.out;
    const std::string name = (std::filesystem::canonical(dir.path()) / "f_3.dpx").string();
    EXPECT_EQ("ramp.RAW\n32x8 6 frames 24.000 fps\n...\ndone\n", result.out);
    EXPECT_EQ("raw2tvx: cannot write DPX file " + name + ": Is a directory\n", result.err);
    EXPECT_EQ((std::vector<std::string>{"f_0.dpx", "f_1.dpx", "f_2.dpx", "f_3.dpx", "ramp.RAW"}),
              directoryNames(dir.path()));
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("f_3.dpx")));
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_TRUE(holdsRampFrame(readDpx(dir.file("f_" + std::to_string(frame) + ".dpx")), frame));
}
