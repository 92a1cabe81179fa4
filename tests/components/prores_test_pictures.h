#pragma once

// Pictures for the encoder tests, made here and not by the code under test: a smooth scene
// with camera-like noise, as RGB48 and as 16-bit studio-range 4:2:2 words, and the
// independent way back from a decoded frame to those units.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

namespace prores_test {

inline std::uint16_t clampWord(double value) {
    return static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, 65535L));
}

// Width x height pixels of R, G, B; frame moves the scene a little; noise is the standard
// deviation in 16-bit units. Rows are rowBytes apart (at least 6 x width).
inline std::vector<std::uint16_t> makeRgbScene(int width, int height, int frame, double noise,
                                               std::size_t rowWords) {
    std::mt19937 random(static_cast<unsigned>(1000 + frame));
    std::normal_distribution<double> grain(0.0, noise);
    std::vector<std::uint16_t> picture(rowWords * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double u = x + 3.0 * frame, v = y;
            const double base[3] = {30000 + 22000 * std::sin(u * 0.05 + v * 0.021),
                                    32000 + 20000 * std::cos(u * 0.017 - v * 0.043),
                                    28000 + 24000 * std::sin(u * 0.031 + v * 0.011 + 1.0)};
            std::uint16_t* pixel = picture.data() + rowWords * static_cast<std::size_t>(y) + 3 * x;
            for (int c = 0; c < 3; ++c) pixel[c] = clampWord(base[c] + grain(random));
        }
    return picture;
}

// Width / 2 groups Y0, Cr, Y1, Cb per row in the 16-bit studio range (luma 4112..60406,
// chroma 3998..61537 about 32768).
inline std::vector<std::uint16_t> makeYuv422Scene(int width, int height, int frame, double noise,
                                                  std::size_t rowWords) {
    std::mt19937 random(static_cast<unsigned>(2000 + frame));
    std::normal_distribution<double> grain(0.0, noise);
    std::vector<std::uint16_t> picture(rowWords * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y)
        for (int pair = 0; pair < width / 2; ++pair) {
            const double u = 2 * pair + 3.0 * frame, v = y;
            const double luma = 32259 + 26000 * std::sin(u * 0.045 + v * 0.023);
            const double cr = 32768 + 20000 * std::cos(u * 0.019 - v * 0.037);
            const double cb = 32768 + 20000 * std::sin(u * 0.029 + v * 0.013);
            std::uint16_t* group = picture.data() + rowWords * static_cast<std::size_t>(y) + 4 * pair;
            group[0] = clampWord(std::clamp(luma + grain(random), 4112.0, 60406.0));
            group[1] = clampWord(std::clamp(cr + grain(random), 3998.0, 61537.0));
            group[2] = clampWord(std::clamp(luma + 150 + grain(random), 4112.0, 60406.0));
            group[3] = clampWord(std::clamp(cb + grain(random), 3998.0, 61537.0));
        }
    return picture;
}

inline double sampleAt(const AVFrame& frame, int plane, int x, int y) {
    const auto* row = reinterpret_cast<const std::uint16_t*>(frame.data[plane] + frame.linesize[plane] * y);
    return row[x];
}

// BT.709 limited range back to full-range 16-bit R'G'B' from a decoded 4:4:4 frame of
// 10-bit (scale 1) or 12-bit (scale 4) samples.
inline void decodedRgbAt(const AVFrame& frame, double scale, int x, int y, double rgb[3]) {
    const double luma = (sampleAt(frame, 0, x, y) / scale - 64) / 876;
    const double pb = (sampleAt(frame, 1, x, y) / scale - 512) / 896;
    const double pr = (sampleAt(frame, 2, x, y) / scale - 512) / 896;
    const double red = luma + 1.5748 * pr;
    const double blue = luma + 1.8556 * pb;
    const double green = (luma - 0.2126 * red - 0.0722 * blue) / 0.7152;
    rgb[0] = red * 65535;
    rgb[1] = green * 65535;
    rgb[2] = blue * 65535;
}

inline double psnr(double sumSquares, double count, double peak) {
    const double meanSquare = sumSquares / count;
    return meanSquare <= 0 ? 99.0 : 10 * std::log10(peak * peak / meanSquare);
}

}  // namespace prores_test
