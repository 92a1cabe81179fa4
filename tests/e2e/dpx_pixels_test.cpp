// The bytes of the DPX files the program writes, against values worked out
// here from the clip generator's scenes, the log curve, the demosaic rules
// and the 10-bit packing, and against two independent DPX readers.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "support/expected_dpx_header.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace e2e;
using testing_support::readFileBytes;
using testing_support::runProgram;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

int saturatingAdd(int a, int b) {
    return std::min(65535, a + b);
}
int flooredSubtract(int a, int b) {
    return std::max(0, a - b);
}

// What the vertical post-filter of a demosaic type makes of a flat column of
// value a in rows 2 to H-3, step by step as the filter is defined: shifted
// terms, subtractions stopping at 0, additions saturating, the result capped
// at 32767 and doubled. Types without a post-filter leave a.
int verticalOfFlat(int a, int debayerType) {
    struct Weights {
        int preShift, outerShift, centre, side;
    };
    Weights weights{};
    switch (debayerType) {
        case 1:
            return saturatingAdd(saturatingAdd(a >> 2, 2 * (a >> 2)), a >> 2);
        case 2:
            weights = {4, 5, 5, 2};
            break;
        case 3:
            weights = {4, 4, 6, 2};
            break;
        case 4:
            weights = {3, 3, 4, 1};
            break;
        default:
            return a;
    }
    int v = weights.centre * (a >> weights.preShift);
    v = flooredSubtract(v, a >> weights.outerShift);
    v = flooredSubtract(v, a >> weights.outerShift);
    v = saturatingAdd(v, weights.side * (a >> weights.preShift));
    v = saturatingAdd(v, weights.side * (a >> weights.preShift));
    return std::min(v, 32767) * 2;
}

}  // namespace

TEST(DpxPixels, TestArithmeticMatchesTheWorkedExamples) {
    // The log curve of power 113 at 0, 0.18, 0.5 and 1.
    EXPECT_EQ(0, logCurveEntry(0.0f));
    EXPECT_EQ(42310, logCurveEntry(0.18f));
    EXPECT_EQ(56048, logCurveEntry(0.5f));
    EXPECT_EQ(65535, logCurveEntry(1.0f));
    // A flat 1000 stays 1000 for types 0, 1 and 4 and becomes 992 for 2 and 3.
    EXPECT_EQ(1000, verticalOfFlat(1000, 0));
    EXPECT_EQ(1000, verticalOfFlat(1000, 1));
    EXPECT_EQ(992, verticalOfFlat(1000, 2));
    EXPECT_EQ(992, verticalOfFlat(1000, 3));
    EXPECT_EQ(1000, verticalOfFlat(1000, 4));
}

// A flat clip: every sample is the level, so every pixel is the tone table's
// entry for it in all three channels, except rows 2 to H-3 after a vertical
// post-filter; the file holds the top 10 bits of each. (The post-filters'
// quantisation stays in the low four bits of a flat field, so in ten bits
// every row shows the entry.)
TEST(DpxPixels, FlatClipGivesTheToneEntryOfItsLevelForEveryDemosaicType) {
    TempDir dir;
    constexpr int kWidth = 32, kHeight = 8, kLevel = 4096;
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "1", "--scene", "flat", "--level", "4096",
                   "flat.RAW"});
    const int entry = defaultToneEntry(kLevel);
    ASSERT_GT(entry, 0);

    struct Case {
        std::string switchText;  // empty: the default type, 2
        int debayerType;
    };
    for (const Case& item : {Case{"", 2}, Case{"-d0", 0}, Case{"-d1", 1}, Case{"-d2", 2}, Case{"-d3", 3},
                             Case{"-d4", 4}, Case{"-d7", 0}, Case{"-d-1", 0}}) {
        std::vector<std::string> arguments{"flat.RAW", "flat_%05d.dpx"};
        if (!item.switchText.empty()) arguments.push_back(item.switchText);
        const auto result = runRaw2tvx(arguments, dir.path());
        ASSERT_EQ(0, result.exitCode) << item.switchText << result.out;
        EXPECT_EQ("flat.RAW\n32x8 1 frames 24.000 fps\n.\ndone\n", result.out);

        const std::string bytes = readFileBytes(dir.file("flat_00000.dpx"));
        ASSERT_EQ(2048u + kWidth * kHeight * 4, bytes.size()) << item.switchText;
        EXPECT_EQ(testing_support::expectedDpxHeader(kWidth, kHeight, "flat_00000.dpx"),
                  bytes.substr(0, 2048))
            << item.switchText;
        const DpxPicture picture = decodeDpx(bytes);
        ASSERT_TRUE(picture.valid);
        for (int y = 0; y < kHeight; ++y) {
            const int value =
                (y >= 2 && y <= kHeight - 3 ? verticalOfFlat(entry, item.debayerType) : entry) >> 6;
            for (int x = 0; x < kWidth; ++x)
                ASSERT_EQ((Rgb10{value, value, value}), picture.at(x, y))
                    << item.switchText << " at " << x << "," << y;
        }
    }
}

// The word of one pixel: R in the top ten bits, then G, then B, two zero bits.
TEST(DpxPixels, PixelWordsAreBigEndianWithTheLowTwoBitsZero) {
    TempDir dir;
    makeClip(dir, {"--width", "16", "--height", "6", "--frames", "1", "--scene", "flat", "--level", "15000",
                   "white.RAW"});
    const auto result = runRaw2tvx({"white.RAW", "white.dpx", "-d0"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    const std::string bytes = readFileBytes(dir.file("white.dpx"));
    ASSERT_EQ(2048u + 16 * 6 * 4, bytes.size());
    // The white level maps to 65535: 1023 in every channel, the word FF FF FF FC.
    for (std::size_t offset = 2048; offset < bytes.size(); offset += 4)
        ASSERT_EQ(0xFFFFFFFCu, bigEndian32(bytes, offset)) << offset;
}

// The ramp scene with levels 0 and 16383: every sample is its own table
// index, so the bilinear demosaic (type 0, no post-filter) of any pixel off
// the border is an average of table entries worked out here.
TEST(DpxPixels, BilinearRampMatchesTheAveragesOfItsToneEntries) {
    TempDir dir;
    constexpr int kWidth = 32, kHeight = 8, kFrames = 3;
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "3", "--scene", "ramp", "--black", "0",
                   "--white", "16383", "ramp.RAW"});
    const auto result = runRaw2tvx({"ramp.RAW", "ramp_%d.dpx", "-d0"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;

    for (int frame = 0; frame < kFrames; ++frame) {
        const std::string name = "ramp_" + std::to_string(frame) + ".dpx";
        const DpxPicture picture = readDpx(dir.file(name));
        ASSERT_TRUE(picture.valid) << name;
        ASSERT_EQ(kWidth, picture.width);
        ASSERT_EQ(kHeight, picture.height);
        const auto bayer = [frame](int x, int y) { return logToneEntry(rampSample(x, y, frame), 0, 16383); };
        for (int y = 1; y < kHeight - 1; ++y)
            for (int x = 1; x < kWidth - 1; ++x)
                ASSERT_EQ(tenBits(bilinearInterior(bayer, x, y)), picture.at(x, y))
                    << name << " at " << x << "," << y;
    }
}

// A 12-bit clip holds the top 10 bits of each sample, without the tone
// table, and rows stored bottom first. Its frames are 40 samples wide, so the
// picture is the left 32 columns: the rows must be cut from 40-sample rows.
TEST(DpxPixels, TwelveBitClipIsTurnedUprightAndCroppedLikeAnyOther) {
    TempDir dir;
    constexpr int kWidth = 32, kHeight = 8;
    makeClip(dir, {"--width", "40", "--height", "8", "--frames", "2", "--scene", "ramp", "--packing", "12",
                   "ramp12.RAW"});
    const auto result = runRaw2tvx({"ramp12.RAW", "ramp12_%d.dpx", "-d0"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    for (int frame = 0; frame < 2; ++frame) {
        const std::string name = "ramp12_" + std::to_string(frame) + ".dpx";
        const DpxPicture picture = readDpx(dir.file(name));
        ASSERT_TRUE(picture.valid) << name;
        ASSERT_EQ(kWidth, picture.width);
        ASSERT_EQ(kHeight, picture.height);
        const auto bayer = [frame](int x, int y) { return (rampSample(x, y, frame) >> 4) * 64; };
        for (int y = 1; y < kHeight - 1; ++y)
            for (int x = 1; x < kWidth - 1; ++x)
                ASSERT_EQ(tenBits(bilinearInterior(bayer, x, y)), picture.at(x, y))
                    << name << " at " << x << "," << y;
    }
}

// FFmpeg's DPX decoder and OpenImageIO read the same size, format and values.
TEST(DpxPixels, IndependentReadersSeeTheSamePicture) {
    TempDir dir;
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "1", "--scene", "chart", "chart.RAW"});
    const auto result = runRaw2tvx({"chart.RAW", "chart.dpx"}, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out;
    const std::string path = dir.file("chart.dpx");
    const DpxPicture ours = readDpx(path);
    ASSERT_TRUE(ours.valid);
    ASSERT_EQ(32, ours.width);
    ASSERT_EQ(8, ours.height);
    bool varied = false;
    for (const Rgb10& pixel : ours.pixels) varied = varied || pixel != ours.pixels.front();
    EXPECT_TRUE(varied) << "the chart should not come out as one colour";

    if (!toolExists("/usr/bin/ffprobe") || !toolExists("/usr/bin/ffmpeg") || !toolExists("/usr/bin/iinfo"))
        GTEST_SKIP() << "ffmpeg, ffprobe or iinfo is not installed";

    const auto probe = runProgram({"/usr/bin/ffprobe", "-v", "error", "-show_entries",
                                   "stream=width,height,pix_fmt", "-of", "default=nw=1", path});
    EXPECT_EQ(0, probe.exitCode) << probe.err;
    EXPECT_EQ("width=32\nheight=8\npix_fmt=gbrp10le\n", probe.out);
    const DpxPicture decoded = decodeWithFfmpeg(path, 32, 8);
    ASSERT_TRUE(decoded.valid);
    EXPECT_EQ(ours.pixels, decoded.pixels);

    const auto info = runProgram({"/usr/bin/iinfo", "-v", path});
    EXPECT_EQ(0, info.exitCode) << info.err;
    EXPECT_NE(std::string::npos, info.out.find("32 x    8, 3 channel, uint10 dpx")) << info.out;
    EXPECT_NE(std::string::npos, info.out.find("channel list: R, G, B")) << info.out;
    EXPECT_NE(std::string::npos, info.out.find("Software: \"Created using Tavrix tools\"")) << info.out;
}

// DPX is always RGB: without -444 the frames are demosaiced just as with it.
TEST(DpxPixels, DefaultOutputFormatDemosaicsAsRgb) {
    TempDir dir;
    makeClip(dir, {"--width", "32", "--height", "8", "--frames", "2", "--scene", "chart", "chart.RAW"});
    ASSERT_EQ(0, runRaw2tvx({"chart.RAW", "plain_%d.dpx"}, dir.path()).exitCode);
    ASSERT_EQ(0, runRaw2tvx({"chart.RAW", "rgb_%d.dpx", "-444"}, dir.path()).exitCode);
    for (const char* frame : {"0", "1"}) {
        const std::string plain = readFileBytes(dir.file(std::string("plain_") + frame + ".dpx"));
        const std::string rgb = readFileBytes(dir.file(std::string("rgb_") + frame + ".dpx"));
        ASSERT_EQ(2048u + 32 * 8 * 4, plain.size());
        // The headers differ only in the file name field.
        EXPECT_EQ(plain.substr(2048), rgb.substr(2048)) << frame;
    }
}
