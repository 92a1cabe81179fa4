#pragma once

#include <cstdint>

// 16-bit studio-range words (black luma 4112 = 16 x 257, white 60406, neutral chroma
// 32768) onto 10-bit studio range (64, 940, 512): the word divided by 64.25 = 257 / 4 and
// rounded, that is floor((4 w + 128) / 257) for luma and 512 + round((4 w - 131072) / 257)
// = floor((4 w + 640) / 257) for chroma. 257 is odd, so no value lies halfway and every
// rounding rule agrees. Any 16-bit word lands in 0..1020 (luma) or 2..1022 (chroma), so
// nothing needs clamping to 0..1023.
inline std::uint16_t lumaWordTo10Bit(std::uint16_t word) {
    return static_cast<std::uint16_t>((4u * word + 128u) / 257u);
}

inline std::uint16_t chromaWordTo10Bit(std::uint16_t word) {
    return static_cast<std::uint16_t>((4u * word + 640u) / 257u);
}
