#pragma once

#include <algorithm>
#include <cstdint>

// Full-range 16-bit R'G'B' to 10-bit limited-range Y'CbCr with the BT.709 matrix:
//   Y  =  64 + 876 (0.2126 R + 0.7152 G + 0.0722 B) / 65535
//   Cb = 512 + 896 (-0.114572 R - 0.385428 G + 0.5 B) / 65535
//   Cr = 512 + 896 (0.5 R - 0.454153 G - 0.045847 B) / 65535
// in fixed point: each coefficient times 2^21 and rounded, the sum plus 2^20 shifted down
// by 21 bits (rounding half up). The chroma rows sum to exactly 0, so every grey has
// Cb = Cr = 512; the luma row sums to 28033, so 0 and 65535 give 64 and 940. The integer
// coefficients move a result by at most 0.018 of a step from the exact formula. Every
// coefficient fits 16 signed bits, which the vector form relies on.
namespace ycbcr709 {

inline constexpr int kShift = 21;
inline constexpr int kHalf = 1 << (kShift - 1);

inline constexpr int kLumaRed = 5960, kLumaGreen = 20049, kLumaBlue = 2024;
inline constexpr int kCbRed = -3285, kCbGreen = -11051, kCbBlue = 14336;
inline constexpr int kCrRed = 14336, kCrGreen = -13022, kCrBlue = -1314;

inline constexpr int kLumaOffset = (64 << kShift) + kHalf;
inline constexpr int kChromaOffset = (512 << kShift) + kHalf;

inline constexpr int kLumaMin = 64, kLumaMax = 940;
inline constexpr int kChromaMin = 64, kChromaMax = 960;

// One pixel; the sums stay below 2^31 for any 16-bit input.
inline void convertPixel(const std::uint16_t* rgb, std::uint16_t& luma, std::uint16_t& cb,
                         std::uint16_t& cr) {
    const int r = rgb[0], g = rgb[1], b = rgb[2];
    const int y = (kLumaOffset + kLumaRed * r + kLumaGreen * g + kLumaBlue * b) >> kShift;
    const int u = (kChromaOffset + kCbRed * r + kCbGreen * g + kCbBlue * b) >> kShift;
    const int v = (kChromaOffset + kCrRed * r + kCrGreen * g + kCrBlue * b) >> kShift;
    luma = static_cast<std::uint16_t>(std::clamp(y, kLumaMin, kLumaMax));
    cb = static_cast<std::uint16_t>(std::clamp(u, kChromaMin, kChromaMax));
    cr = static_cast<std::uint16_t>(std::clamp(v, kChromaMin, kChromaMax));
}

}  // namespace ycbcr709
