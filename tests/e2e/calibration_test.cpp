// Black calibration end to end: the lens-cap clip chosen from a wildcard, the
// averages it reports, the black frame taken off the converted clips, and
// the wildcard exit codes of the calibration path.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
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
constexpr std::size_t kPixels = kWidth * kHeight;
constexpr std::size_t kFrameBytes = kPixels * 14 / 8;

// The samples of one frame of a 14-bit clip, unpacked here: seven
// little-endian words per eight samples, most significant bit first.
std::vector<int> unpackFrame(const std::string& clip, std::size_t frame) {
    std::vector<int> samples;
    const std::size_t start = frame * kFrameBytes;
    for (std::size_t group = start; group < start + kFrameBytes; group += 14) {
        std::uint64_t high = 0, low = 0;  // the 112-bit string, w0 first
        for (std::size_t word = 0; word < 7; ++word) {
            const std::uint64_t w =
                static_cast<unsigned char>(clip.at(group + 2 * word)) |
                static_cast<unsigned>(static_cast<unsigned char>(clip.at(group + 2 * word + 1))) << 8;
            high = high << 16 | low >> 48;
            low = low << 16 | w;
        }
        for (int sample = 0; sample < 8; ++sample) {
            const int shift = 112 - 14 * (sample + 1);  // bit position of the sample's lowest bit
            const std::uint64_t bits =
                shift >= 64 ? high >> (shift - 64) : (low >> shift | (shift == 0 ? 0 : high << (64 - shift)));
            samples.push_back(static_cast<int>(bits & 0x3FFF));
        }
    }
    return samples;
}

struct Calibration {
    std::vector<int> averages;  // per pixel, truncated
    int minimum = 0, maximum = 0, average = 0;
};

// What calibrating with the given frames of a clip should find.
Calibration calibrate(const std::string& clip, const std::vector<std::size_t>& frames) {
    std::vector<long long> sums(kPixels, 0);
    for (std::size_t frame : frames) {
        const std::vector<int> samples = unpackFrame(clip, frame);
        for (std::size_t i = 0; i < kPixels; ++i) sums[i] += samples[i];
    }
    Calibration result;
    result.minimum = 268435455;
    double total = 0;
    for (long long sum : sums) {
        const int average = static_cast<int>(sum / static_cast<long long>(frames.size()));
        result.averages.push_back(average);
        result.minimum = std::min(result.minimum, average);
        result.maximum = std::max(result.maximum, average);
        total += average;
    }
    result.average = static_cast<int>(total / static_cast<double>(kPixels));
    return result;
}

std::string calibrationLine(const Calibration& calibration) {
    char line[128];
    std::snprintf(line, sizeof line, "Black Level Calibation: min = %d, max = %d, avg = %d\n",
                  calibration.minimum, calibration.maximum, calibration.average);
    return line;
}

}  // namespace

// Between a ramp and a lens-cap clip the wildcard chooses the dark one; the
// conversion of the same set passes over it, and the ramp is converted with
// the measured black (averages less the offset 8) taken off every sample.
TEST(Calibration, DarkClipChosenFromAWildcardCalibratesTheOthers) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("set"));
    std::filesystem::create_directory(dir.file("out"));
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "3", "--scene", "ramp", "set/a_bright.RAW"});
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "3", "--scene", "lenscap", "--seed", "5",
                   "set/b_dark.RAW"});
    const std::string dark = readFileBytes(dir.file("set/b_dark.RAW"));
    ASSERT_EQ(3 * kFrameBytes + 192, dark.size());
    const Calibration expected = calibrate(dark, {0, 1, 2});
    // Lens-cap noise stays within 12 of the black level 512.
    EXPECT_GE(expected.minimum, 500);
    EXPECT_LE(expected.maximum, 524);
    EXPECT_LT(expected.minimum, expected.maximum);

    const auto result = runRaw2tvx({"set/*.RAW", "out/*_%02d.dpx", "-bcset/*.RAW", "-d0"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    EXPECT_EQ("using black calibration file b_dark.RAW\nset/b_dark.RAW\n32x8 3 frames 24.000 fps\n" +
                  calibrationLine(expected) + "set/a_bright.RAW\n32x8 3 frames 24.000 fps\n...\n\ndone\n",
              result.out);
    EXPECT_EQ((std::vector<std::string>{"a_bright_00.dpx", "a_bright_01.dpx", "a_bright_02.dpx"}),
              directoryNames(dir.file("out")));

    // With a black frame in force the table runs from 0 to white - black = 14488.
    for (int frame = 0; frame < 3; ++frame) {
        const auto bayer = [&expected, frame](int x, int y) {
            const int black = expected.averages[static_cast<std::size_t>(y) * kWidth + x] - 8;
            return logToneEntry(std::max(0, rampSample(x, y, frame) - black), 0,
                                kDefaultWhite - kDefaultBlack);
        };
        const DpxPicture picture = readDpx(dir.file("out/a_bright_0" + std::to_string(frame) + ".dpx"));
        ASSERT_TRUE(picture.valid);
        ASSERT_EQ(kWidth, picture.width);
        for (int y = 1; y < kHeight - 1; ++y)
            for (int x = 1; x < kWidth - 1; ++x)
                ASSERT_EQ(tenBits(bilinearInterior(bayer, x, y)), picture.at(x, y))
                    << "frame " << frame << " at " << x << "," << y;
    }

    // -s1 applies to the calibration pass too: frames 0 and 2 are averaged.
    const auto skipping =
        runRaw2tvx({"set/a_bright.RAW", "null.dpx", "-bcset/b_dark.RAW", "-s1"}, dir.path());
    ASSERT_EQ(0, skipping.exitCode) << skipping.out;
    EXPECT_EQ("set/b_dark.RAW\n32x8 3 frames 24.000 fps\n" + calibrationLine(calibrate(dark, {0, 2})) +
                  "set/a_bright.RAW\n32x8 3 frames 24.000 fps\n\ndone\n",
              skipping.out);
}

// A flat calibration clip of level 600 with -bo8 and a flat clip of 700:
// every sample becomes index 700 - (600 - 8) = 108 of a table starting at 0.
TEST(Calibration, FlatBlackFrameLeavesTheOffsetAboveZero) {
    TempDir dir;
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "4", "--scene", "flat", "--level", "600",
                   "cal.RAW"});
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "2", "--scene", "flat", "--level", "700",
                   "clip.RAW"});
    struct Case {
        const char* offsetSwitch;
        int index;
    };
    for (const Case& item : {Case{"-bo8", 108}, Case{"-bo40", 140}}) {
        const auto result =
            runRaw2tvx({"clip.RAW", "flat_%d.dpx", "-bccal.RAW", item.offsetSwitch}, dir.path());
        ASSERT_EQ(0, result.exitCode) << result.out;
        EXPECT_EQ(
            "cal.RAW\n32x8 4 frames 24.000 fps\nBlack Level Calibation: min = 600, max = 600, avg = 600\n"
            "clip.RAW\n32x8 2 frames 24.000 fps\n..\ndone\n",
            result.out);
        const int value = logToneEntry(item.index, 0, kDefaultWhite - kDefaultBlack) >> 6;
        ASSERT_GT(value, 0);
        for (const char* name : {"flat_0.dpx", "flat_1.dpx"}) {
            const DpxPicture picture = readDpx(dir.file(name));
            ASSERT_TRUE(picture.valid) << name;
            EXPECT_EQ(std::vector<Rgb10>(kPixels, Rgb10{value, value, value}), picture.pixels)
                << item.offsetSwitch << " " << name;
        }
    }
}

// The calibration pass writes nothing, so a calibration wildcard needs no '*'
// in the output; when no match is dark, all matches are summed.
TEST(Calibration, CalibrationWildcardNeedsNoWildcardOutput) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("cal"));
    for (const char* name : {"cal/one.RAW", "cal/two.RAW"})
        makeClip(dir, {"--width", "32", "--height", "8", "--frames", "1", "--scene", "ramp", name});
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "1", "--scene", "flat", "--level", "2000",
                   "clip.RAW"});
    const auto result = runRaw2tvx({"clip.RAW", "out.dpx", "-bccal/*.RAW"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    // Both ramps are frame 0 of the same scene: the averages are the ramp itself.
    const Calibration expected = calibrate(readFileBytes(dir.file("cal/one.RAW")), {0});
    EXPECT_EQ(0, expected.minimum);
    EXPECT_EQ(7 * 31 + 131 * 7, expected.maximum);
    EXPECT_EQ("cal/one.RAW\n32x8 1 frames 24.000 fps\n\ncal/two.RAW\n32x8 1 frames 24.000 fps\n" +
                  calibrationLine(expected) + "clip.RAW\n32x8 1 frames 24.000 fps\n.\ndone\n",
              result.out);
    EXPECT_TRUE(fileExists(dir.file("out.dpx")));
}

// A black frame of another size, or one measured on no frame, is not used:
// the clip is converted with its own levels.
TEST(Calibration, UnusableBlackFrameIsLeftOut) {
    TempDir dir;
    makeClip(dir, {"--width", "64", "--height", "16", "--frames", "1", "--scene", "flat", "--level", "600",
                   "other.RAW"});
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "0", "--scene", "flat", "--level", "600",
                   "empty.RAW"});
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "1", "--scene", "flat", "--level", "700",
                   "clip.RAW"});
    const int value = defaultToneEntry(700) >> 6;
    ASSERT_GT(value, 0);

    auto result = runRaw2tvx({"clip.RAW", "flat.dpx", "-bcother.RAW"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    EXPECT_EQ(
        "other.RAW\n64x16 1 frames 24.000 fps\nBlack Level Calibation: min = 600, max = 600, avg = 600\n"
        "clip.RAW\n32x8 1 frames 24.000 fps\n.\ndone\n",
        result.out);
    EXPECT_EQ(
        "raw2tvx: warning: clip.RAW: the black calibration is 64x16 but the clip is 32x8; converting without "
        "it\n",
        result.err);
    EXPECT_EQ(std::vector<Rgb10>(kPixels, Rgb10{value, value, value}), readDpx(dir.file("flat.dpx")).pixels);

    result = runRaw2tvx({"clip.RAW", "flat.dpx", "-bcempty.RAW"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    EXPECT_EQ("empty.RAW\n32x8 0 frames 24.000 fps\nclip.RAW\n32x8 1 frames 24.000 fps\n.\ndone\n",
              result.out);
    EXPECT_EQ("raw2tvx: warning: the black calibration clip gave no frame: no black frame is used\n",
              result.err);
    EXPECT_EQ(std::vector<Rgb10>(kPixels, Rgb10{value, value, value}), readDpx(dir.file("flat.dpx")).pixels);
}

// A calibration wildcard that matches nothing ends the run before any clip.
TEST(Calibration, CalibrationWildcardWithoutMatchEndsWithCodeFive) {
    TempDir dir;
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "1", "clip.RAW"});
    const auto result = runRaw2tvx({"clip.RAW", "out.dpx", "-bcnone*.RAW"}, dir.path());
    EXPECT_EQ(kNoMatchStatus, result.exitCode);
    EXPECT_EQ("no files with this * pattern was found\n", result.out);
    EXPECT_EQ(std::vector<std::string>{"clip.RAW"}, directoryNames(dir.path()));
}
