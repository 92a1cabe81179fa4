// The frame loop of picture outputs reads the next frame while the pool works
// on this one. Reads and skips that open the next file of a clip print its
// name, and those lines must still come after the marks of the frames before
// them and before the marks of the frames after.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using e2e::directoryNames;
using e2e::makeClip;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

// 2370 frames of 1920 x 1080 x 14 / 8 = 3628800 bytes in files of 4294967295
// bytes: frames 0 .. 1182 lie in .RAW, 1183 straddles .RAW and .R00, 1184 ..
// 2366 lie in .R00. Only frame 0 has content; the rest are holes on disk.
void makeThreeFileClip(const TempDir& dir) {
    makeClip(dir, {"--width", "1920", "--height", "1080", "--frames", "2370", "--scene", "flat",
                   "--content-frames", "0", "clip.RAW"});
}

const char kReport[] = "clip.R01\n1920x1080 2370 frames 24.000 fps\n";
const char kSmallWindow[] = "-(0,0,32,8)";

}  // namespace

TEST(FrameLoop, FileNamesComeBetweenTheMarksOfTheFramesAroundThemWhenFramesAreSkipped) {
    TempDir dir;
    makeThreeFileClip(dir);

    // Frames 1180, 1183, 1186, 1189: reading 1183 opens .R00 after 1180's mark.
    auto result = runRaw2tvx({"clip.RAW", "a_%d.dpx", "-i1180", "-o1190", "-s2", kSmallWindow}, dir.path());
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(std::string(kReport) + ".\nclip.R00\n...\ndone\n", result.out);

    // Frames 1180 and 1184: skipping 1183 opens .R00.
    result = runRaw2tvx({"clip.RAW", "b_%d.dpx", "-i1180", "-o1188", "-s3", kSmallWindow}, dir.path());
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(std::string(kReport) + ".\nskip to clip.R00\n.\ndone\n", result.out);

    // Frame 1179 alone: the skips after the last frame are made, and print, too.
    result = runRaw2tvx({"clip.RAW", "c_%d.dpx", "-i1179", "-o1180", "-s4", kSmallWindow}, dir.path());
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(std::string(kReport) + ".\nskip to clip.R00\n\ndone\n", result.out);

    // Frames 1181, 1183, 1185 without skipping into the next file.
    result = runRaw2tvx({"clip.RAW", "d_%d.dpx", "-i1181", "-o1186", "-s1", kSmallWindow}, dir.path());
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(std::string(kReport) + ".\nclip.R00\n..\ndone\n", result.out);

    EXPECT_EQ((std::vector<std::string>{"a_1180.dpx", "a_1183.dpx", "a_1186.dpx", "a_1189.dpx", "b_1180.dpx",
                                        "b_1184.dpx", "c_1179.dpx", "clip.R00", "clip.R01", "clip.RAW",
                                        "d_1181.dpx", "d_1183.dpx", "d_1185.dpx"}),
              directoryNames(dir.path()));
}
