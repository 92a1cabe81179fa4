// Frames that cannot be read end the run with exit code 6 and a message
// naming the file and the frames, after the frames read before it were
// written whole: a read error, a continuation file cut short, and a clip
// holding fewer frames than its trailer announces.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace e2e;
using testing_support::readFileBytes;
using testing_support::runProgram;
using testing_support::runRaw2tvx;
using testing_support::TempDir;
using testing_support::writeFileBytes;

namespace {

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The files out_<first>.dpx .. out_<last>.dpx exist, whole (2048 + w x h x 4
// bytes, readable), and nothing else was written.
void expectWholeFiles(const TempDir& dir, const std::vector<std::string>& inputs, int first, int last,
                      int width, int height) {
    std::vector<std::string> expected = inputs;
    for (int frame = first; frame <= last; ++frame) {
        const std::string name = "out_" + std::to_string(frame) + ".dpx";
        expected.push_back(name);
        const DpxPicture picture = readDpx(dir.file(name));
        EXPECT_TRUE(picture.valid) << name;
        EXPECT_EQ(static_cast<std::uintmax_t>(2048 + width * height * 4),
                  std::filesystem::file_size(dir.file(name)))
            << name;
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, directoryNames(dir.path()));
}

}  // namespace

TEST(ReadFailure, ACopyCutShortInAContinuationFileEndsTheRunWithCodeSix) {
    TempDir dir;
    // 1920 x 1080 frames of 3628800 bytes in .RAW, .R00 and .R01 (the trailer's);
    // only frame 0 has content, the rest are holes.
    makeClip(dir, {"--width", "1920", "--height", "1080", "--frames", "2370", "--scene", "flat",
                   "--content-frames", "0", "clip.RAW"});
    // .R00 cut to 2,000,000,000 bytes: the stream holds 4294967295 + 2000000000 bytes
    // up to the cut, so frames 0 to 1733 are whole and frame 1734 reaches past it.
    std::filesystem::resize_file(dir.file("clip.R00"), 2000000000);
    const auto result = runRaw2tvx({"clip.RAW", "out_%d.dpx", "-i1730", "-(0,0,32,8)"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, result.exitCode);
    EXPECT_EQ("clip.R01\n1920x1080 2370 frames 24.000 fps\n\nskip to clip.R00\n....\ndone\n", result.out);
    EXPECT_EQ(
        "raw2tvx: clip.R00: the file holds 2000000000 bytes where 4294967295 were expected; frames 1734 to "
        "2369 "
        "could not be read\n",
        result.err);
    expectWholeFiles(dir, {"clip.R00", "clip.R01", "clip.RAW"}, 1730, 1733, 32, 8);

    // Skipping over the cut finds it as well: the read after the skips needs bytes that are not there.
    for (int frame = 1730; frame <= 1733; ++frame)
        std::filesystem::remove(dir.file("out_" + std::to_string(frame) + ".dpx"));
    const auto skipping = runRaw2tvx({"clip.RAW", "out_%d.dpx", "-i1733", "-s2", "-(0,0,32,8)"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, skipping.exitCode);
    EXPECT_EQ(
        "raw2tvx: clip.R00: the file holds 2000000000 bytes where 4294967295 were expected; frames 1736 to "
        "2369 "
        "could not be read\n",
        skipping.err);
    expectWholeFiles(dir, {"clip.R00", "clip.R01", "clip.RAW"}, 1733, 1733, 32, 8);
}

TEST(ReadFailure, AClipHoldingFewerFramesThanItsTrailerAnnouncesEndsWithCodeSix) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "3", "--frame-count", "10", "clip.RAW"});
    auto result = runRaw2tvx({"clip.RAW", "out_%d.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, result.exitCode);
    EXPECT_EQ("clip.RAW\n64x32 10 frames 24.000 fps\n...\ndone\n", result.out);
    EXPECT_EQ(
        "raw2tvx: clip.RAW: the trailer announces 10 frames but the clip holds 3; frames 3 to 9 could not be "
        "read\n",
        result.err);
    expectWholeFiles(dir, {"clip.RAW"}, 0, 2, 64, 32);

    // An out point before the end asks for no missing frame.
    result = runRaw2tvx({"clip.RAW", "out_%d.dpx", "-o3"}, dir.path());
    EXPECT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ("", result.err);

    // The calibration pass reads the same way.
    result = runRaw2tvx({"-bcclip.RAW", "clip.RAW", "null.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, result.exitCode);
    EXPECT_TRUE(endsWith(result.err, "frames 3 to 9 could not be read\n")) << result.err;

    // A file cut short and given its trailer back: 5 frames announced, 2 whole ones and a part.
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "5", "cut.RAW"});
    const std::string whole = readFileBytes(dir.file("cut.RAW"));
    const std::size_t frameBytes = 64 * 32 * 14 / 8;
    writeFileBytes(dir.file("cut.RAW"),
                   whole.substr(0, frameBytes * 5 / 2) + whole.substr(whole.size() - 192));
    result = runRaw2tvx({"cut.RAW", "null.dpx"}, dir.path());
    EXPECT_EQ(kClipUnusableStatus, result.exitCode);
    EXPECT_EQ(
        "raw2tvx: cut.RAW: the trailer announces 5 frames but the clip holds 2; frames 2 to 4 could not be "
        "read\n",
        result.err);
}

TEST(ReadFailure, AReadErrorEndsTheRunWithCodeSixAfterTheFramesBeforeIt) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "5", "clip.RAW"});
    // Frame 3 of 3584 bytes lies at 10752..14335; the trailer reads stay whole.
    const std::string fault = "export LD_PRELOAD=" + std::string(READ_FAULT_LIBRARY) +
                              " ASAN_OPTIONS=verify_asan_link_order=0 READ_FAULT_FILE=/clip.RAW"
                              " READ_FAULT_FROM=11000 READ_FAULT_TO=11001;";
    const auto result = runProgram({RAW2TVX_BIN, "clip.RAW", "out_%d.dpx"}, dir.path(), fault);
    EXPECT_FALSE(result.signalled);
    EXPECT_EQ(kClipUnusableStatus, result.exitCode);
    EXPECT_EQ("clip.RAW\n64x32 5 frames 24.000 fps\n...\ndone\n", result.out);
    EXPECT_EQ("raw2tvx: clip.RAW: read error: Input/output error; frames 3 to 4 could not be read\n",
              result.err);
    expectWholeFiles(dir, {"clip.RAW"}, 0, 2, 64, 32);
}
