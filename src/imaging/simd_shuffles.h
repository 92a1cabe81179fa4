#pragma once

#include <cstdint>

// Byte-shuffle masks (for pshufb) between three planes of eight 16-bit samples and the
// 24 interleaved samples R G B R G B ... of eight pixels held in three 16-byte vectors.
// A mask byte of -128 clears the output byte.
namespace simd {

struct PlaneShuffles {
    alignas(16) std::int8_t bytes[3][3][16];
};

// [output vector][source plane]: interleaved vector v = OR over planes of pshufb(plane, mask).
constexpr PlaneShuffles makeInterleaveShuffles() {
    PlaneShuffles masks{};
    for (auto& vector : masks.bytes)
        for (auto& plane : vector)
            for (auto& byte : plane) byte = -128;
    for (int word = 0; word < 24; ++word) {
        const int pixel = word / 3;
        const int plane = word % 3;
        const int position = word % 8;
        masks.bytes[word / 8][plane][2 * position] = static_cast<std::int8_t>(2 * pixel);
        masks.bytes[word / 8][plane][2 * position + 1] = static_cast<std::int8_t>(2 * pixel + 1);
    }
    return masks;
}

// [plane][source vector]: plane p = OR over vectors of pshufb(vector, mask).
constexpr PlaneShuffles makeDeinterleaveShuffles() {
    PlaneShuffles masks{};
    for (auto& plane : masks.bytes)
        for (auto& vector : plane)
            for (auto& byte : vector) byte = -128;
    for (int word = 0; word < 24; ++word) {
        const int pixel = word / 3;
        const int plane = word % 3;
        const int position = word % 8;
        masks.bytes[plane][word / 8][2 * pixel] = static_cast<std::int8_t>(2 * position);
        masks.bytes[plane][word / 8][2 * pixel + 1] = static_cast<std::int8_t>(2 * position + 1);
    }
    return masks;
}

inline constexpr PlaneShuffles kInterleaveShuffles = makeInterleaveShuffles();
inline constexpr PlaneShuffles kDeinterleaveShuffles = makeDeinterleaveShuffles();

}  // namespace simd

#define RAW2TVX_TARGET_AVX2 __attribute__((target("avx2")))
