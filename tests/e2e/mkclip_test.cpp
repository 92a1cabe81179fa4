// The clip generator's own command line and file layout.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

using testing_support::readFileBytes;
using testing_support::runMkclip;
using testing_support::TempDir;

namespace {

long long fileSize(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? static_cast<long long>(status.st_size) : -1;
}

}  // namespace

TEST(Mkclip, HelpAndBadArguments) {
    auto result = runMkclip({"--help"});
    EXPECT_EQ(0, result.exitCode);
    EXPECT_NE(std::string::npos, result.out.find("usage: mkclip [options] OUTPUT.RAW"));
    EXPECT_NE(std::string::npos, result.out.find("(7x + 131y + 1031 frame) mod 16384"));
    EXPECT_EQ(2, runMkclip({"--width", "70000", "x.RAW"}).exitCode);
    EXPECT_EQ(2, runMkclip({"--packing", "13", "x.RAW"}).exitCode);
    EXPECT_EQ(2, runMkclip({"--scene", "sky", "x.RAW"}).exitCode);
    EXPECT_EQ(2, runMkclip({"--width"}).exitCode);
    EXPECT_EQ(2, runMkclip({"--frames", "1"}).exitCode);
    TempDir dir;
    EXPECT_EQ(2, runMkclip({"clip.avi"}, dir.path()).exitCode);
}

TEST(Mkclip, SplitsTheStreamIntoFilesOfTheGivenSize) {
    // Three frames of 64 x 32 x 14 / 8 = 3584 bytes: 10752 bytes of stream in
    // files of 1000 bytes: .RAW, .R00 .. .R08 full, .R09 with 752 bytes and the trailer.
    TempDir dir;
    ASSERT_EQ(0,
              runMkclip({"--width", "64", "--height", "32", "--frames", "3", "--split", "1000", "clip.RAW"},
                        dir.path())
                  .exitCode);
    EXPECT_EQ(1000, fileSize(dir.file("clip.RAW")));
    std::string stream = readFileBytes(dir.file("clip.RAW"));
    for (int index = 0; index <= 8; ++index) {
        char name[16];
        std::snprintf(name, sizeof name, "clip.R%02d", index);
        EXPECT_EQ(1000, fileSize(dir.file(name))) << name;
        stream += readFileBytes(dir.file(name));
    }
    const std::string last = readFileBytes(dir.file("clip.R09"));
    ASSERT_EQ(752u + 192u, last.size());
    EXPECT_EQ("RAWM", last.substr(752, 4));
    stream += last.substr(0, 752);
    EXPECT_EQ(-1, fileSize(dir.file("clip.R10")));

    // The same clip in one file holds the same stream.
    ASSERT_EQ(
        0, runMkclip({"--width", "64", "--height", "32", "--frames", "3", "one.RAW"}, dir.path()).exitCode);
    const std::string single = readFileBytes(dir.file("one.RAW"));
    ASSERT_EQ(10752u + 192u, single.size());
    EXPECT_EQ(single.substr(0, 10752), stream);
    EXPECT_EQ(single.substr(10752), last.substr(752));
}

TEST(Mkclip, LeavesFramesWithoutContentAsZeroHoles) {
    // Frame 1 of 3 is zero: 3584 zero bytes between two chart frames.
    TempDir dir;
    ASSERT_EQ(
        0, runMkclip({"--width", "64", "--height", "32", "--frames", "3", "--content-frames", "0,2", "z.RAW"},
                     dir.path())
               .exitCode);
    ASSERT_EQ(
        0, runMkclip({"--width", "64", "--height", "32", "--frames", "3", "full.RAW"}, dir.path()).exitCode);
    const std::string holes = readFileBytes(dir.file("z.RAW"));
    const std::string full = readFileBytes(dir.file("full.RAW"));
    ASSERT_EQ(full.size(), holes.size());
    EXPECT_EQ(std::string(3584, '\0'), holes.substr(3584, 3584));
    EXPECT_EQ(full.substr(0, 3584), holes.substr(0, 3584));
    EXPECT_EQ(full.substr(7168), holes.substr(7168));
    EXPECT_NE(full.substr(0, 3584), full.substr(7168, 3584));  // the moving bar tells frames apart
}

TEST(Mkclip, AddsBoundedSeededNoiseToAScene) {
    // Plain 16-bit samples (the 14-bit value times 4) make the noise readable:
    // a flat 4096 with noise 20 stays within 4096 +- 30, spreads, averages near
    // 4096, differs from frame to frame and repeats with the same seed.
    TempDir dir;
    const std::vector<std::string> common = {"--width", "64",        "--height", "32",      "--frames",
                                             "2",       "--packing", "16",       "--scene", "flat",
                                             "--level", "4096",      "--noise",  "20"};
    auto arguments = common;
    arguments.push_back("a.RAW");
    ASSERT_EQ(0, runMkclip(arguments, dir.path()).exitCode);
    arguments.back() = "b.RAW";
    ASSERT_EQ(0, runMkclip(arguments, dir.path()).exitCode);
    const std::string bytes = readFileBytes(dir.file("a.RAW"));
    ASSERT_EQ(2u * 64 * 32 * 2 + 192, bytes.size());
    EXPECT_EQ(bytes, readFileBytes(dir.file("b.RAW")));
    const std::size_t frameBytes = 64 * 32 * 2;
    EXPECT_NE(bytes.substr(0, frameBytes), bytes.substr(frameBytes, frameBytes));
    long long sum = 0;
    int lowest = 65535, highest = 0;
    for (std::size_t offset = 0; offset < 2 * frameBytes; offset += 2) {
        const int sample =
            (static_cast<unsigned char>(bytes[offset]) | static_cast<unsigned char>(bytes[offset + 1]) << 8) /
            4;
        sum += sample;
        lowest = std::min(lowest, sample);
        highest = std::max(highest, sample);
    }
    EXPECT_GE(lowest, 4096 - 30);
    EXPECT_LE(highest, 4096 + 30);
    EXPECT_GT(highest - lowest, 20);
    EXPECT_NEAR(4096.0, static_cast<double>(sum) / (64 * 32 * 2), 1.0);
}
