// A camera archive keeps every frame's samples as the clip stores them:
// FFmpeg's decoder gives back, once the quadrants are undone, mkclip's ramp
// exactly (14-bit values, the top 10 bits for 12-bit packing, four times the
// value for stored 16-bit samples), whole or the window given; and ffprobe
// shows what the archive says of its clip.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "e2e/movie_decode.h"

using namespace e2e;
using testing_support::readFileBytes;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

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

// Every frame of the archive decodes to width x height samples equal to
// expected(x, y, frame), x and y in the clip's frame from (left, top).
::testing::AssertionResult keepsSamples(const std::string& archive, int frames, int left, int top, int width,
                                        int height, const std::function<int(int, int, int)>& expected) {
    const std::vector<DecodedPicture> pictures = decodeMovie(archive);
    if (static_cast<int>(pictures.size()) != frames)
        return ::testing::AssertionFailure() << pictures.size() << " frames decoded, " << frames << " expected";
    for (int frame = 0; frame < frames; ++frame) {
        const DecodedPicture& picture = pictures[static_cast<std::size_t>(frame)];
        if (picture.format != AV_PIX_FMT_GRAY16LE || picture.width != width || picture.height != height)
            return ::testing::AssertionFailure() << "frame " << frame << " is " << picture.width << "x"
                                                 << picture.height;
        const std::vector<std::uint16_t> bayer = bayerFromQuadrants(picture);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int want = expected(left + x, top + y, frame);
                const int got = bayer[static_cast<std::size_t>(y) * width + x];
                if (want != got)
                    return ::testing::AssertionFailure()
                           << "frame " << frame << " sample " << x << "," << y << ": " << got << ", not " << want;
            }
    }
    return ::testing::AssertionSuccess();
}

const std::string kWarning = "raw2tvx: warning: ";

std::string hexOf(const std::string& bytes) {
    std::string text;
    char digits[3];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

}  // namespace

TEST(Archive, KeepsEveryPackingsSamplesExactly) {
    TempDir dir;
    struct Case {
        std::vector<std::string> clip;  // mkclip's options
        int width, height;
        std::function<int(int, int, int)> sample;
    };
    const std::vector<Case> cases = {
        {{"--width", "64", "--height", "32"}, 64, 32, rampSample},
        {{"--width", "68", "--height", "30", "--packing", "12"}, 68, 30,
         [](int x, int y, int frame) { return rampSample(x, y, frame) >> 4; }},
        // An odd width and height, kept whole.
        {{"--width", "33", "--height", "7", "--packing", "16"}, 33, 7,
         [](int x, int y, int frame) { return rampSample(x, y, frame) * 4; }},
        // 1928 wide: no column is left out, unlike a picture's crop.
        {{"--width", "1928", "--height", "4"}, 1928, 4, rampSample},
    };
    int index = 0;
    for (const Case& item : cases) {
        const std::string clip = "c" + std::to_string(index) + ".RAW";
        const std::string archive = dir.file("c" + std::to_string(index) + ".mov");
        ++index;
        std::vector<std::string> options = item.clip;
        options.insert(options.end(), {"--frames", "3", "--scene", "ramp", clip});
        makeClip(dir, options);
        const auto result = runRaw2tvx({clip, archive, "--archive"}, dir.path());
        ASSERT_EQ(0, result.exitCode) << clip << result.err;
        EXPECT_EQ("", result.err) << clip;
        EXPECT_TRUE(keepsSamples(archive, 3, 0, 0, item.width, item.height, item.sample)) << clip;
    }
}

// A clip over continuation files, a window (its Bayer phase kept), and what
// ffprobe shows of the clip: name, files, size, window, levels, rate, count
// and the whole trailer.
TEST(Archive, KeepsAWindowOfAClipOverSeveralFilesAndSaysWhatItKeeps) {
    TempDir dir;
    // Frames of 512 MiB, of which the 64 x 32 samples are the first 3584
    // bytes and the rest holes: frame 7 straddles split.RAW and split.R00
    // (files hold 2^32 - 1 bytes), frame 8 lies in split.R00.
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "9", "--frame-bytes", "536870912", "--scene",
                   "ramp", "--rate", "29970", "--black", "600", "--white", "15500", "split.RAW"});
    ASSERT_TRUE(fileExists(dir.file("split.R00")));
    const auto whole = runRaw2tvx({"split.RAW", "whole.avi", "--archive"}, dir.path());
    ASSERT_EQ(0, whole.exitCode) << whole.err;
    EXPECT_TRUE(keepsSamples(dir.file("whole.avi"), 9, 0, 0, 64, 32, rampSample));

    const auto window = runRaw2tvx({"split.RAW", "window.mov", "--archive", "-(16,8,48,24)"}, dir.path());
    ASSERT_EQ(0, window.exitCode) << window.err;
    EXPECT_TRUE(keepsSamples(dir.file("window.mov"), 9, 16, 8, 32, 16, rampSample));

    const ProbeReport report = probeMovie(dir.file("window.mov"));
    std::FILE* file = std::fopen(dir.file("split.R00").c_str(), "rb");
    ASSERT_NE(nullptr, file);
    std::string trailer(192, '\0');
    std::fseek(file, -192, SEEK_END);
    ASSERT_EQ(192u, std::fread(trailer.data(), 1, 192, file));
    std::fclose(file);
    const struct {
        const char* key;
        std::string value;
    } expected[] = {
        {"ARCV", "1"},          {"ACLP", "split.RAW"}, {"AFIL", "split.RAW|split.R00"},
        {"ASIZ", "64x32"},      {"AWIN", "16,8,32,16"}, {"APAK", "14"},
        {"ABLK", "600"},        {"AWHT", "15500"},     {"ARAT", "29.970"},
        {"ACNT", "9"},          {"ATRL", hexOf(trailer)},
    };
    for (const auto& tag : expected)
        EXPECT_EQ(tag.value, report.field(std::string("format.TAG:com.raw2tvx.") + tag.key)) << tag.key;
    // The movie's own rate is the clip's, exactly.
    EXPECT_EQ("30000/1001", report.field("r_frame_rate"));
}

// Switches for developing are not applied to an archive; it keeps every frame.
TEST(Archive, SwitchesForDevelopingAreLeftForLater) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "32", "--frames", "3", "--scene", "ramp", "a.RAW"});
    const auto result = runRaw2tvx({"a.RAW", "a.mov", "--archive", "-l400", "-i1", "-444", "-v"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.err;
    const std::string later =
        ": an archive keeps every frame's samples as the clip stores them; give it when the archive is "
        "developed\n";
    EXPECT_EQ(kWarning + "-l400" + later + kWarning + "-i1" + later + kWarning + "-444" + later, result.err);
    EXPECT_TRUE(keepsSamples(dir.file("a.mov"), 3, 0, 0, 64, 32, rampSample));
    // A DPX output is no archive.
    const auto dpx = runRaw2tvx({"a.RAW", "a_%d.dpx", "--archive"}, dir.path());
    EXPECT_EQ(kUsageStatus, dpx.exitCode);
    EXPECT_FALSE(fileExists(dir.file("a_0.dpx")));
}
