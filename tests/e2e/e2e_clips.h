// Helpers of the end-to-end tests: clips made by mkclip, DPX files read back
// byte by byte, and the pixel arithmetic worked out here, apart from the
// program, so that expected values never come from the code under test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace e2e {

inline constexpr int kNotRawClipStatus = 255;  // exit(-1) as a shell sees it
inline constexpr int kUsageStatus = 2;
inline constexpr int kMovieRefusedStatus = 3;
inline constexpr int kWildcardOutputStatus = 4;
inline constexpr int kNoMatchStatus = 5;
inline constexpr int kClipUnusableStatus = 6;
inline constexpr int kOutputIncompleteStatus = 7;

// mkclip's defaults: black level 512, white level 15000.
inline constexpr int kDefaultBlack = 512;
inline constexpr int kDefaultWhite = 15000;

// Makes a clip in dir; a generator failure fails the calling test.
inline void makeClip(const testing_support::TempDir& dir, const std::vector<std::string>& arguments) {
    const auto result = testing_support::runMkclip(arguments, dir.path());
    ASSERT_EQ(0, result.exitCode) << result.out << result.err;
}

inline bool fileExists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

// Names of the entries in a directory, sorted.
inline std::vector<std::string> directoryNames(const std::string& path) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::uint32_t bigEndian32(const std::string& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes.at(offset + i));
    return value;
}

inline std::uint16_t bigEndian16(const std::string& bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes.at(offset)) << 8 |
                                      static_cast<unsigned char>(bytes.at(offset + 1)));
}

using Rgb10 = std::array<int, 3>;

// A 10-bit RGB DPX file as this test reads it: width and height from the
// image information header, one big-endian 32-bit word per pixel at the
// image data offset, R in bits 31..22, G in 21..12, B in 11..2.
struct DpxPicture {
    bool valid = false;
    int width = 0;
    int height = 0;
    std::vector<Rgb10> pixels;
    Rgb10 at(int x, int y) const { return pixels.at(static_cast<std::size_t>(y) * width + x); }
};

inline DpxPicture decodeDpx(const std::string& bytes) {
    DpxPicture picture;
    if (bytes.size() < 2048 || bytes.compare(0, 4, "SDPX") != 0) return picture;
    picture.width = static_cast<int>(bigEndian32(bytes, 772));
    picture.height = static_cast<int>(bigEndian32(bytes, 776));
    const std::size_t offset = bigEndian32(bytes, 4);
    const std::size_t count = static_cast<std::size_t>(picture.width) * picture.height;
    if (offset + count * 4 > bytes.size()) return picture;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t word = bigEndian32(bytes, offset + 4 * i);
        picture.pixels.push_back(Rgb10{static_cast<int>(word >> 22 & 0x3FF),
                                       static_cast<int>(word >> 12 & 0x3FF),
                                       static_cast<int>(word >> 2 & 0x3FF)});
    }
    picture.valid = true;
    return picture;
}

inline DpxPicture readDpx(const std::string& path) {
    return decodeDpx(testing_support::readFileBytes(path));
}

inline bool toolExists(const std::string& path) {
    return ::access(path.c_str(), X_OK) == 0;
}

// The same file through FFmpeg's DPX decoder: planar G, B, R of 10-bit
// little-endian samples. Invalid when FFmpeg cannot decode it.
inline DpxPicture decodeWithFfmpeg(const std::string& path, int width, int height) {
    DpxPicture picture;
    const auto result = testing_support::runProgram({"/usr/bin/ffmpeg", "-nostdin", "-v", "error", "-i", path,
                                                     "-f", "rawvideo", "-pix_fmt", "gbrp10le", "-"});
    const std::size_t plane = static_cast<std::size_t>(width) * height;
    if (result.exitCode != 0 || result.out.size() != plane * 6) return picture;
    const auto sample = [&](std::size_t planeIndex, std::size_t i) {
        const std::size_t at = (planeIndex * plane + i) * 2;
        return static_cast<unsigned char>(result.out[at]) | static_cast<unsigned char>(result.out[at + 1])
                                                                << 8;
    };
    picture.width = width;
    picture.height = height;
    for (std::size_t i = 0; i < plane; ++i)
        picture.pixels.push_back(Rgb10{sample(2, i), sample(0, i), sample(1, i)});
    picture.valid = true;
    return picture;
}

// The log curve of power P at x in 0..1, worked from its definition:
// y = log10(x (P - 1) + 1) / log10(P) with the divisor in single precision
// and the quotient rounded to single precision; y x 65535 truncated.
inline int logCurveEntry(float x, float power = 113.0f) {
    const float logPower = static_cast<float>(std::log10(static_cast<double>(power)));
    const double numerator = std::log10(static_cast<double>(x) * (static_cast<double>(power) - 1.0) + 1.0);
    const float y = static_cast<float>(numerator / static_cast<double>(logPower));
    return static_cast<int>(static_cast<double>(y) * 65535.0);
}

// The tone table entry of a sample for the levels lo and hi: x normalised in
// single precision from the integer differences, 0 below lo, 1 above hi.
inline int logToneEntry(int index, int lo, int hi, float power = 113.0f) {
    float x = 0.0f;
    if (index > hi)
        x = 1.0f;
    else if (index >= lo)
        x = static_cast<float>(index - lo) / static_cast<float>(hi - lo);
    return logCurveEntry(x, power);
}

// The table entry of a sample of a clip with mkclip's default levels and no
// black calibration.
inline int defaultToneEntry(int sample) {
    return logToneEntry(sample, kDefaultBlack, kDefaultWhite);
}

// mkclip's ramp scene.
inline int rampSample(int x, int y, int frame) {
    return (7 * x + 131 * y + 1031 * frame) % 16384;
}

inline int avg2(int a, int b) {
    return (a + b + 1) >> 1;
}
inline int avg4(int a, int b, int c, int d) {
    return (a + b + c + d + 2) >> 2;
}

// Bilinear demosaic of one pixel away from the frame's border (1 <= x <= W-2,
// 1 <= y <= H-2) of a Bayer picture with red at the top-left: the site keeps
// its own colour; a green site takes red and blue from its two neighbours of
// each colour; red and blue sites average their four green and four
// diagonal neighbours.
template <typename Bayer>
std::array<int, 3> bilinearInterior(const Bayer& bayer, int x, int y) {
    const int c = bayer(x, y);
    const int left = bayer(x - 1, y), right = bayer(x + 1, y), up = bayer(x, y - 1), down = bayer(x, y + 1);
    const int cross = avg4(left, right, up, down);
    const int diagonal =
        avg4(bayer(x - 1, y - 1), bayer(x + 1, y - 1), bayer(x - 1, y + 1), bayer(x + 1, y + 1));
    const bool evenRow = y % 2 == 0, evenColumn = x % 2 == 0;
    if (evenRow && evenColumn) return {c, cross, diagonal};      // red site
    if (!evenRow && !evenColumn) return {diagonal, cross, c};    // blue site
    if (evenRow) return {avg2(left, right), c, avg2(up, down)};  // green between reds
    return {avg2(up, down), c, avg2(left, right)};               // green between blues
}

inline Rgb10 tenBits(const std::array<int, 3>& rgb16) {
    return {rgb16[0] >> 6, rgb16[1] >> 6, rgb16[2] >> 6};
}

inline std::string readText(const std::string& path) {
    return testing_support::readFileBytes(path);
}

}  // namespace e2e
