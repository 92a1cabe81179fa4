// ProRes movies decoded back by FFmpeg's decoder are close to the pictures a
// DPX run of the same clip writes, plane by plane, and a higher -q never
// gives a worse picture. The BT.709 matrix is worked here, in both
// directions, from its two constants Kr = 0.2126 and Kb = 0.0722.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "e2e/e2e_clips.h"
#include "e2e/movie_decode.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

using namespace e2e;
using testing_support::runRaw2tvx;
using testing_support::TempDir;

namespace {

constexpr int kWidth = 256;
constexpr int kHeight = 144;
constexpr int kFrames = 2;
// The least PSNR per -q, some 3 dB below what this clip gives with FFmpeg 5.1
// (46 to 60 dB). A picture encoded with one matrix and decoded with another
// gives 27 to 35 dB.
constexpr double kLeast444[] = {43.0, 45.0, 48.0, 50.0, 53.0};
constexpr double kLeast422[] = {37.0, 43.0, 49.0, 54.0, 57.0};
constexpr double kRed = 0.2126, kBlue = 0.0722, kGreen = 1.0 - kRed - kBlue;

// Three planes of values on a scale of 0 to 1 (luma, RGB) or -0.5 to 0.5
// (chroma), for all frames one after the other.
using Planes = std::array<std::vector<double>, 3>;

// A DPX sample holds the top 10 bits of a 16-bit one: the middle of the 64
// values it stands for, on the 0..65535 scale.
double dpxLevel(int tenBits) {
    return (tenBits * 64 + 31.5) / 65535.0;
}

// The DPX frames as R, G, B.
Planes dpxRgb(const std::vector<DpxPicture>& frames) {
    Planes planes;
    for (const DpxPicture& frame : frames)
        for (const Rgb10& pixel : frame.pixels)
            for (std::size_t channel = 0; channel < 3; ++channel)
                planes[channel].push_back(dpxLevel(pixel[channel]));
    return planes;
}

// The DPX frames as Y', Cb, Cr with the chroma of every horizontal pair
// averaged, as 4:2:2 pictures are made.
Planes dpxYcbcr422(const std::vector<DpxPicture>& frames) {
    Planes planes;
    for (const DpxPicture& frame : frames)
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; x += 2) {
                double cb = 0.0, cr = 0.0;
                for (int pixel = x; pixel < x + 2; ++pixel) {
                    const Rgb10 rgb = frame.at(pixel, y);
                    const double r = dpxLevel(rgb[0]), g = dpxLevel(rgb[1]), b = dpxLevel(rgb[2]);
                    const double luma = kRed * r + kGreen * g + kBlue * b;
                    planes[0].push_back(luma);
                    cb += (b - luma) / (2.0 * (1.0 - kBlue)) / 2.0;
                    cr += (r - luma) / (2.0 * (1.0 - kRed)) / 2.0;
                }
                planes[1].push_back(cb);
                planes[2].push_back(cr);
            }
    return planes;
}

// Decoded 4:4:4 limited-range Y'CbCr of any depth back to R, G, B.
Planes decodedRgb(const std::vector<DecodedPicture>& pictures, int depth) {
    const double scale = static_cast<double>(1 << (depth - 8));
    Planes planes;
    for (const DecodedPicture& picture : pictures)
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) {
                const double luma = (picture.at(0, x, y) - 16.0 * scale) / (219.0 * scale);
                const double cb = (picture.at(1, x, y) - 128.0 * scale) / (224.0 * scale);
                const double cr = (picture.at(2, x, y) - 128.0 * scale) / (224.0 * scale);
                const double r = luma + 2.0 * (1.0 - kRed) * cr;
                const double b = luma + 2.0 * (1.0 - kBlue) * cb;
                planes[0].push_back(r);
                planes[1].push_back((luma - kRed * r - kBlue * b) / kGreen);
                planes[2].push_back(b);
            }
    return planes;
}

// Decoded 4:2:2 limited-range Y'CbCr as Y', Cb, Cr.
Planes decodedYcbcr(const std::vector<DecodedPicture>& pictures, int depth) {
    const double scale = static_cast<double>(1 << (depth - 8));
    Planes planes;
    for (const DecodedPicture& picture : pictures)
        for (int plane = 0; plane < 3; ++plane)
            for (const std::uint16_t sample : picture.planes[static_cast<std::size_t>(plane)])
                planes[static_cast<std::size_t>(plane)].push_back(
                    plane == 0 ? (sample - 16.0 * scale) / (219.0 * scale)
                               : (sample - 128.0 * scale) / (224.0 * scale));
    return planes;
}

std::array<double, 3> planePsnr(const Planes& expected, const Planes& actual) {
    return {psnr(expected[0], actual[0]), psnr(expected[1], actual[1]), psnr(expected[2], actual[2])};
}

class MovieProResPixels : public ::testing::Test {
protected:
    void SetUp() override {
        makeClip(dir_, {"--width", std::to_string(kWidth), "--height", std::to_string(kHeight), "--frames",
                        std::to_string(kFrames), "--scene", "chart", "--noise", "8", "clip.RAW"});
        const auto result = runRaw2tvx({"clip.RAW", "frame_%d.dpx"}, dir_.path());
        ASSERT_EQ(0, result.exitCode) << result.out << result.err;
        for (int frame = 0; frame < kFrames; ++frame) {
            dpx_.push_back(readDpx(dir_.file("frame_" + std::to_string(frame) + ".dpx")));
            ASSERT_TRUE(dpx_.back().valid);
        }
    }

    // Decodes the movie of one run and checks what every picture says of itself.
    std::vector<DecodedPicture> movieOf(const std::string& kind, int quality, AVPixelFormat format) {
        const std::string name = "q" + std::to_string(quality) + kind + ".mov";
        const auto result = runRaw2tvx({"clip.RAW", name, kind, "-q" + std::to_string(quality)}, dir_.path());
        EXPECT_EQ(0, result.exitCode) << result.out << result.err;
        std::vector<DecodedPicture> pictures = decodeMovie(dir_.file(name));
        EXPECT_EQ(static_cast<std::size_t>(kFrames), pictures.size()) << name;
        for (const DecodedPicture& picture : pictures) {
            EXPECT_EQ(format, picture.format) << name;
            EXPECT_EQ(kWidth, picture.width) << name;
            EXPECT_EQ(kHeight, picture.height) << name;
            // Read from every frame: without them a decoder would take BT.601.
            EXPECT_EQ(AVCOL_SPC_BT709, picture.colorSpace) << name;
            EXPECT_EQ(AVCOL_RANGE_MPEG, picture.colorRange) << name;
        }
        return pictures;
    }

    TempDir dir_;
    std::vector<DpxPicture> dpx_;
};

void report(const char* kind, int quality, const char* planes, const std::array<double, 3>& figures) {
    std::printf("PSNR %s -q%d %s: %.2f %.2f %.2f dB\n", kind, quality, planes, figures[0], figures[1],
                figures[2]);
}

}  // namespace

// ProRes 4444 and 4444 XQ pictures, decoded as 12-bit Y'CbCr and turned back
// into RGB, against the DPX run's RGB.
TEST_F(MovieProResPixels, RgbPicturesAreCloseToTheDpxRun) {
    const Planes expected = dpxRgb(dpx_);
    std::array<double, 3> previous{};
    for (int quality = 1; quality <= 5; ++quality) {
        const std::vector<DecodedPicture> pictures = movieOf("-444", quality, AV_PIX_FMT_YUV444P12LE);
        if (pictures.size() != static_cast<std::size_t>(kFrames)) continue;
        const std::array<double, 3> figures = planePsnr(expected, decodedRgb(pictures, 12));
        report("-444", quality, "R G B", figures);
        for (std::size_t plane = 0; plane < 3; ++plane) {
            EXPECT_GT(figures[plane], kLeast444[quality - 1]) << "plane " << plane << " at -q" << quality;
            EXPECT_GE(figures[plane], previous[plane]) << "plane " << plane << " at -q" << quality;
        }
        previous = figures;
    }
}

// ProRes 422 pictures, decoded as 10-bit Y'CbCr, against the DPX run's RGB
// taken to Y'CbCr with the chroma of each pair averaged.
TEST_F(MovieProResPixels, YuvPicturesAreCloseToTheDpxRun) {
    const Planes expected = dpxYcbcr422(dpx_);
    std::array<double, 3> previous{};
    for (int quality = 1; quality <= 5; ++quality) {
        const std::vector<DecodedPicture> pictures = movieOf("-422", quality, AV_PIX_FMT_YUV422P10LE);
        if (pictures.size() != static_cast<std::size_t>(kFrames)) continue;
        const std::array<double, 3> figures = planePsnr(expected, decodedYcbcr(pictures, 10));
        report("-422", quality, "Y Cb Cr", figures);
        for (std::size_t plane = 0; plane < 3; ++plane) {
            EXPECT_GT(figures[plane], kLeast422[quality - 1]) << "plane " << plane << " at -q" << quality;
            EXPECT_GE(figures[plane], previous[plane]) << "plane " << plane << " at -q" << quality;
        }
        previous = figures;
    }
}
