// The binary reading generated clips: what it prints and how it exits. Every
// frame is exported to one DPX file (".") or, for an output beginning with
// "null", processed without a mark.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using e2e::kClipUnusableStatus;
using e2e::kNotRawClipStatus;
using e2e::makeClip;
using testing_support::runRaw2tvx;
using testing_support::TempDir;
using testing_support::writeFileBytes;

namespace {

// A clip in three files: 2370 frames of 1920 x 1080 x 14 / 8 = 3628800 bytes.
// Frame 1183 straddles .RAW and .R00, frame 2367 .R00 and .R01, which holds the trailer.
// Only frame 0 has content; the rest are holes, so the files cost little disk.
void makeThreeFileClip(const TempDir& dir, const std::string& name) {
    makeClip(dir, {"--width", "1920", "--height", "1080", "--frames", "2370", "--scene", "flat",
                   "--content-frames", "0", name});
}

// A small window keeps the demosaic and the DPX files of the big clip cheap;
// the reader still reads whole frames.
const char kSmallWindow[] = "-(0,0,32,8)";

}  // namespace

TEST(ClipReaderRun, ReadsEveryFrameOfASingleFileClip) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "10", "--rate", "23976", "clip.RAW"});
    auto result = runRaw2tvx({"clip.RAW", "out_%d.dpx"}, dir.path());
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("clip.RAW\n64x32 10 frames 23.976 fps\n..........\ndone\n", result.out);

    // An output beginning with "null": the same frames, no marks.
    result = runRaw2tvx({"clip.RAW", "null.dpx"}, dir.path());
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("clip.RAW\n64x32 10 frames 23.976 fps\n\ndone\n", result.out);

    // The same clip named by its .R00 form in other letters: the report
    // names the file found, the failure message the argument.
    result = runRaw2tvx({"CLIP.r00", "out_%d.dpx"}, dir.path());
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("clip.RAW\n64x32 10 frames 23.976 fps\n..........\ndone\n", result.out);
    result = runRaw2tvx({"other.r00", "out_%d.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, result.exitCode);
    EXPECT_EQ("other.r00 file could not be opened\n\ndone\n", result.out);
}

TEST(ClipReaderRun, ReadsPlainAndTwelveBitClips) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "4", "--packing", "16", "--rate", "30000",
                   "plain.RAW"});
    makeClip(dir, {"--width", "68", "--height", "30", "--frames", "3", "--packing", "12", "--rate", "59940",
                   "ten.RAW"});
    auto result = runRaw2tvx({"plain.RAW", "ten.RAW", "out_%d.dpx"}, dir.path());
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("plain.RAW\n64x32 4 frames 30.000 fps\n....ten.RAW\n68x30 3 frames 59.940 fps\n...\ndone\n",
              result.out);
}

TEST(ClipReaderRun, FollowsTheStreamAcrossContinuationFiles) {
    TempDir dir;
    makeThreeFileClip(dir, "clip.raw");
    // Frames 1182 to 1184: the second one is completed from .R00.
    auto result = runRaw2tvx({"CLIP.RAW", "out_%d.dpx", "-i1182", "-o1185", kSmallWindow}, dir.path());
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("clip.r01\n1920x1080 2370 frames 24.000 fps\n.\nclip.r00\n..\ndone\n", result.out);

    // Skipping 2366 frames crosses into .R00; reading 2367 crosses into .R01;
    // the read after frame 2369 meets the trailer.
    result = runRaw2tvx({"CLIP.RAW", "out_%d.dpx", "-i2366", kSmallWindow}, dir.path());
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("clip.r01\n1920x1080 2370 frames 24.000 fps\n\nskip to clip.r00\n.\nclip.r01\n...\ndone\n",
              result.out);

    // The same lines without marks when nothing is exported.
    result = runRaw2tvx({"CLIP.RAW", "null.dpx", "-i2366", kSmallWindow}, dir.path());
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("clip.r01\n1920x1080 2370 frames 24.000 fps\n\nskip to clip.r00\n\nclip.r01\n\ndone\n",
              result.out);
}

TEST(ClipReaderRun, EndsTheRunWhenAContinuationFileIsMissing) {
    TempDir dir;
    makeThreeFileClip(dir, "clip.RAW");
    ASSERT_EQ(0, std::remove(dir.file("clip.R00").c_str()));
    const auto result = runRaw2tvx({"clip.RAW", "out_%d.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, result.exitCode);
    EXPECT_EQ("clip.RAW file could not be opened\n\ndone\n", result.out);
}

TEST(ClipReaderRun, ReportsFilesWithoutATrailer) {
    TempDir dir;
    // Wrong magic and no .R00 beside it: the open of .R00 fails, naming the argument.
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "2", "--magic", "RAWX", "clip.RAW"});
    auto result = runRaw2tvx({"clip.RAW", "out_%d.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, result.exitCode);
    EXPECT_EQ("clip.RAW file could not be opened\n\ndone\n", result.out);

    // A file shorter than a trailer is a file without the magic.
    writeFileBytes(dir.file("short.RAW"), "RAWM" + std::string(100, '\1'));
    result = runRaw2tvx({"short.RAW", "out_%d.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, result.exitCode);
    EXPECT_EQ("short.RAW file could not be opened\n\ndone\n", result.out);

    // A trailer cut short is no trailer either.
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "2", "--trailer-bytes", "100", "cut.RAW"});
    result = runRaw2tvx({"cut.RAW", "out_%d.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, result.exitCode);
    EXPECT_EQ("cut.RAW file could not be opened\n\ndone\n", result.out);

    // .RAW and all of .R00 to .R98 without the magic.
    writeFileBytes(dir.file("none.RAW"), std::string(300, 'x'));
    for (int index = 0; index <= 98; ++index) {
        char name[16];
        std::snprintf(name, sizeof name, "none.R%02d", index);
        writeFileBytes(dir.file(name), std::string(200, 'y'));
    }
    result = runRaw2tvx({"none.RAW", "out_%d.dpx"}, dir.path());
    EXPECT_EQ(kNotRawClipStatus, result.exitCode);
    EXPECT_EQ("Not an RAW file\n", result.out);
}

TEST(ClipReaderRun, RefusesOtherTrailerVersions) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "2", "--version", "2", "clip.RAW"});
    const auto result = runRaw2tvx({"clip.RAW", "out_%d.dpx"}, dir.path());
    EXPECT_EQ(kNotRawClipStatus, result.exitCode);
    EXPECT_EQ("version 2\n", result.out);
    EXPECT_FALSE(e2e::fileExists(dir.file("out_0.dpx")));
}

TEST(ClipReaderRun, RefusesTrailersWhoseSizesCannotDescribeAReadableClip) {
    struct Case {
        std::vector<std::string> options;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--width", "0", "--height", "16"},
         "frame width (offset 4) is 0: a frame needs at least one sample per row"},
        {{"--width", "16", "--height", "0"}, "frame height (offset 6) is 0: a frame needs at least one row"},
        {{"--width", "1922", "--height", "8"},
         "frame width (offset 4) is 1922: packing 14 needs a width that is a multiple of 8"},
        {{"--width", "1922", "--height", "8", "--packing", "12"},
         "frame width (offset 4) is 1922: packing 12 needs a width that is a multiple of 4"},
        // 64 x 32 x 14 / 8 = 3584 bytes of packed samples.
        {{"--width", "64", "--height", "32", "--frame-bytes", "3583"},
         "frame bytes (offset 8) is 3583: a frame is shorter than its packed samples"},
        // 64 x 32 x 5 / 4 = 2560.
        {{"--width", "64", "--height", "32", "--packing", "12", "--frame-bytes", "2559"},
         "frame bytes (offset 8) is 2559: a frame is shorter than its packed samples"},
        {{"--width", "64", "--height", "32", "--frames", "0", "--frame-bytes", "1073741825"},
         "frame bytes (offset 8) is 1073741825: a frame may not exceed 1 GiB"},
        {{"--width", "65535", "--height", "65535", "--frames", "0", "--frame-bytes", "100"},
         "frame width x height (offsets 4 and 6) is 4294836225: the unpacked frame would exceed 1 GiB"},
    };
    for (const Case& item : cases) {
        TempDir dir;
        std::vector<std::string> arguments = item.options;
        if (arguments.size() < 5 || arguments[4] != "--frames")
            arguments.insert(arguments.end(), {"--frames", "1"});
        arguments.push_back("bad.RAW");
        makeClip(dir, arguments);
        const auto result = runRaw2tvx({"bad.RAW", "out_%d.dpx"}, dir.path());
        EXPECT_EQ(kNotRawClipStatus, result.exitCode) << item.message;
        // No line of the report: the field, its value and what it must be on standard error.
        EXPECT_EQ("", result.out);
        std::string reason = item.message;
        reason.replace(reason.find(": "), 2, ", but ");
        EXPECT_EQ("raw2tvx: bad.RAW: unreadable clip trailer: " + reason + "; the run stops here\n",
                  result.err);
    }
}
