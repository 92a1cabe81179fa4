// A card with bad clips on it: by default the run stops at the first, as it
// always did; with --keep-going it reports each, keeps what it converted of
// it and goes on, and the exit code is the worst of the run.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "e2e/movie_decode.h"

using e2e::directoryNames;
using e2e::makeClip;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

// Five clips of three frames: the second holds two of the four frames its
// trailer announces, the fourth has lost the .R00 its trailer lies in.
void makeCard(const TempDir& dir) {
    std::filesystem::create_directory(dir.file("card"));
    std::filesystem::create_directory(dir.file("out"));
    for (const char* name : {"card/A001.RAW", "card/A003.RAW", "card/A005.RAW"})
        makeClip(dir, {"--width", "64", "--height", "32", "--frames", "3", name});
    makeClip(dir,
             {"--width", "64", "--height", "32", "--frames", "2", "--frame-count", "4", "card/A002.RAW"});
    // 64 x 32 x 14 / 8 = 3584 bytes a frame: 3 frames and the trailer need two files.
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "3", "--split", "8000", "card/A004.RAW"});
    ASSERT_EQ(0, std::remove(dir.file("card/A004.R00").c_str()));
}

std::string framesIn(const std::string& movie) {
    return e2e::probeMovie(movie).field("nb_read_frames");
}

const char kTruncated[] =
    "raw2tvx: card/A002.RAW: the trailer announces 4 frames but the clip holds 2; frames 2 to 3 could not be "
    "read";
const char kMissing[] =
    "raw2tvx: no RAW trailer at the end of card/A004.RAW, and card/A004.R00 cannot be opened: No such file "
    "or directory";

}  // namespace

TEST(KeepGoing, ACardWithBadClipsIsConvertedPastThem) {
    TempDir dir;
    makeCard(dir);
    const auto result = runRaw2tvx({"card/*.RAW", "out/*.mov", "-422", "--keep-going"}, dir.path());
    EXPECT_EQ(e2e::kClipUnusableStatus, result.exitCode);
    EXPECT_EQ(std::string(kTruncated) + "; going on with the next clip\n" + kMissing +
                  "; going on with the next clip\n"
                  "raw2tvx: 3 clips converted, 2 failed (card/A002.RAW, card/A004.RAW); 11 frames written\n",
              result.err);
    EXPECT_EQ((std::vector<std::string>{"A001.mov", "A002.mov", "A003.mov", "A005.mov"}),
              directoryNames(dir.file("out")));
    for (const char* movie : {"out/A001.mov", "out/A003.mov", "out/A005.mov"})
        EXPECT_EQ("3", framesIn(dir.file(movie))) << movie;
    // What could be read of the truncated clip is kept, as a whole movie.
    EXPECT_EQ("2", framesIn(dir.file("out/A002.mov")));

    // DPX: the same clips and frames, numbered on across the clips as if the
    // truncated clip had held the four frames its trailer announces.
    const auto dpx = runRaw2tvx({"card/*.RAW", "out/*_%02d.dpx", "-444", "--keep-going"}, dir.path());
    EXPECT_EQ(e2e::kClipUnusableStatus, dpx.exitCode);
    const std::vector<std::string> files = directoryNames(dir.file("out"));
    for (const char* name : {"A001_00.dpx", "A001_02.dpx", "A002_03.dpx", "A002_04.dpx", "A003_07.dpx",
                             "A003_09.dpx", "A005_10.dpx", "A005_12.dpx"})
        EXPECT_NE(files.end(), std::find(files.begin(), files.end(), name)) << name;
    EXPECT_EQ(4u + 11u, files.size());
}

TEST(KeepGoing, WithoutItTheRunStopsAtTheFirstBadClip) {
    TempDir dir;
    makeCard(dir);
    const auto result = runRaw2tvx({"card/*.RAW", "out/*.mov", "-422"}, dir.path());
    EXPECT_EQ(e2e::kClipUnusableStatus, result.exitCode);
    EXPECT_EQ(
        std::string(kTruncated) +
            "\n"
            "raw2tvx: 1 clip converted, 1 failed (card/A002.RAW); 5 frames written; the run stopped at the "
            "failed clip (--keep-going goes on past it)\n",
        result.err);
    EXPECT_EQ((std::vector<std::string>{"A001.mov", "A002.mov"}), directoryNames(dir.file("out")));
    EXPECT_EQ("2", framesIn(dir.file("out/A002.mov")));

    // A clip that is no clip at all ends the process at once, as it always
    // did; going on past it, the run ends with its code, the worst one.
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "2", "--version", "2", "card/A006.RAW"});
    const auto alone = runRaw2tvx({"card/A006.RAW", "card/A003.RAW", "out/m%d.mov"}, dir.path());
    EXPECT_EQ(e2e::kNotRawClipStatus, alone.exitCode);
    EXPECT_EQ("version 2\n", alone.out);
    EXPECT_FALSE(e2e::fileExists(dir.file("out/m0.mov")));
    const auto worst = runRaw2tvx(
        {"card/A004.RAW", "card/A006.RAW", "card/A003.RAW", "out/m%d.mov", "--keep-going"}, dir.path());
    EXPECT_EQ(e2e::kNotRawClipStatus, worst.exitCode);
    EXPECT_NE(
        std::string::npos,
        worst.err.find("raw2tvx: card/A006.RAW: the trailer is version 2 (offset 32); only version 1 can be "
                       "read; going on with the next clip\n"))
        << worst.err;
    EXPECT_EQ("3", framesIn(dir.file("out/m0.mov")));
}
