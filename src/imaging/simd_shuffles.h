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
// With pairOrder the planes hold their pixels as a pack of two vectors of 32-bit lanes leaves
// them: the even pixels 0, 2, 4, 6 first, then the odd ones.
constexpr PlaneShuffles makeInterleaveShuffles(bool pairOrder = false) {
    PlaneShuffles masks{};
    for (auto& vector : masks.bytes)
        for (auto& plane : vector)
            for (auto& byte : plane) byte = -128;
    for (int word = 0; word < 24; ++word) {
        const int pixel = word / 3;
        const int lane = pairOrder ? (pixel % 2 == 1 ? 4 : 0) + pixel / 2 : pixel;
        const int plane = word % 3;
        const int position = word % 8;
        masks.bytes[word / 8][plane][2 * position] = static_cast<std::int8_t>(2 * lane);
        masks.bytes[word / 8][plane][2 * position + 1] = static_cast<std::int8_t>(2 * lane + 1);
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
inline constexpr PlaneShuffles kPairOrderInterleaveShuffles = makeInterleaveShuffles(true);
inline constexpr PlaneShuffles kDeinterleaveShuffles = makeDeinterleaveShuffles();

}  // namespace simd

#define RAW2TVX_TARGET_AVX2 __attribute__((target("avx2")))
