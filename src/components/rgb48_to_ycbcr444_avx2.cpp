#include "components/picture_kernel_variants.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include "components/avx2_target.h"
#include "components/ycbcr709.h"

namespace {

// pshufb masks taking the samples of one colour out of 24 interleaved ones (eight pixels
// R G B ... in three 16-byte vectors): plane p = OR over vectors v of pshufb(v, mask[p][v]).
// A mask byte of -128 clears the output byte.
struct DeinterleaveMasks {
    alignas(16) std::int8_t bytes[3][3][16];
};

constexpr DeinterleaveMasks makeDeinterleaveMasks() {
    DeinterleaveMasks masks{};
    for (auto& plane : masks.bytes)
        for (auto& vector : plane)
            for (auto& byte : vector) byte = -128;
    for (int word = 0; word < 24; ++word) {
        const int pixel = word / 3, plane = word % 3, vector = word / 8, position = word % 8;
        masks.bytes[plane][vector][2 * pixel] = static_cast<std::int8_t>(2 * position);
        masks.bytes[plane][vector][2 * pixel + 1] = static_cast<std::int8_t>(2 * position + 1);
    }
    return masks;
}

constexpr DeinterleaveMasks kDeinterleave = makeDeinterleaveMasks();

// Eight samples of one colour from eight interleaved pixels.
RAW2TVX_TARGET_AVX2 inline __m128i plane(const __m128i (&vectors)[3], int colour) {
    __m128i samples = _mm_setzero_si128();
    for (int vector = 0; vector < 3; ++vector) {
        const __m128i mask =
            _mm_load_si128(reinterpret_cast<const __m128i*>(kDeinterleave.bytes[colour][vector]));
        samples = _mm_or_si128(samples, _mm_shuffle_epi8(vectors[vector], mask));
    }
    return samples;
}

// The three colours of sixteen pixels, each sample less 32768 so that it fits a signed
// 16-bit lane for pmaddwd.
struct SignedColours {
    __m256i red, green, blue;
};

RAW2TVX_TARGET_AVX2 inline __m256i signedColour(const __m128i (&low)[3], const __m128i (&high)[3],
                                                int colour) {
    const __m256i bias = _mm256_set1_epi16(static_cast<short>(0x8000));
    return _mm256_xor_si256(_mm256_set_m128i(plane(high, colour), plane(low, colour)), bias);
}

RAW2TVX_TARGET_AVX2 inline SignedColours loadSixteenPixels(const std::uint16_t* rgb) {
    __m128i low[3], high[3];
    for (int vector = 0; vector < 3; ++vector) {
        low[vector] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb + 8 * vector));
        high[vector] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb + 24 + 8 * vector));
    }
    return {signedColour(low, high, 0), signedColour(low, high, 1), signedColour(low, high, 2)};
}

// The colours paired for pmaddwd: (R, G) and (B, 0) per 32-bit lane, pixels 0-3 and 8-11
// in the low halves, 4-7 and 12-15 in the high halves (unpack works within 128-bit lanes).
struct Pairs {
    __m256i redGreenLow, redGreenHigh, blueLow, blueHigh;
};

struct Row {
    int red, green, blue;
    int constant;  // offset plus 32768 times the coefficient sum, undoing the bias
};

// Eight pixels' sums shifted down: the products of (R, G) and (B, 0) plus the constant.
RAW2TVX_TARGET_AVX2 inline __m256i weightedSum(__m256i redGreen, __m256i blue, __m256i redGreenWeights,
                                               __m256i blueWeight, __m256i constant) {
    const __m256i terms =
        _mm256_add_epi32(_mm256_madd_epi16(redGreen, redGreenWeights), _mm256_madd_epi16(blue, blueWeight));
    return _mm256_srai_epi32(_mm256_add_epi32(terms, constant), ycbcr709::kShift);
}

// One output plane of sixteen pixels: the same integer as the scalar sum, then clamped.
RAW2TVX_TARGET_AVX2 inline __m256i outputPlane(const Pairs& pairs, const Row& row, int minimum, int maximum) {
    const __m256i redGreen = _mm256_unpacklo_epi16(_mm256_set1_epi16(static_cast<short>(row.red)),
                                                   _mm256_set1_epi16(static_cast<short>(row.green)));
    const __m256i blue = _mm256_set1_epi32(row.blue & 0xFFFF);
    const __m256i constant = _mm256_set1_epi32(row.constant);
    const __m256i values =
        _mm256_packs_epi32(weightedSum(pairs.redGreenLow, pairs.blueLow, redGreen, blue, constant),
                           weightedSum(pairs.redGreenHigh, pairs.blueHigh, redGreen, blue, constant));
    return _mm256_min_epi16(_mm256_max_epi16(values, _mm256_set1_epi16(static_cast<short>(minimum))),
                            _mm256_set1_epi16(static_cast<short>(maximum)));
}

constexpr int kBias = 32768;
constexpr Row kLumaRow = {
    ycbcr709::kLumaRed, ycbcr709::kLumaGreen, ycbcr709::kLumaBlue,
    ycbcr709::kLumaOffset + kBias*(ycbcr709::kLumaRed + ycbcr709::kLumaGreen + ycbcr709::kLumaBlue)};
constexpr Row kCbRow = {
    ycbcr709::kCbRed, ycbcr709::kCbGreen, ycbcr709::kCbBlue,
    ycbcr709::kChromaOffset + kBias*(ycbcr709::kCbRed + ycbcr709::kCbGreen + ycbcr709::kCbBlue)};
constexpr Row kCrRow = {
    ycbcr709::kCrRed, ycbcr709::kCrGreen, ycbcr709::kCrBlue,
    ycbcr709::kChromaOffset + kBias*(ycbcr709::kCrRed + ycbcr709::kCrGreen + ycbcr709::kCrBlue)};

}  // namespace

// Sixteen pixels a step; the tail goes through the scalar form. Every step computes, in
// 32-bit lanes, exactly the integer sum of the scalar form (the bias of the signed lanes is
// folded into the constant), so the results are the same bit for bit.
RAW2TVX_TARGET_AVX2 void rgb48RowAvx2(const std::uint16_t* rgb, int width, std::uint16_t* luma,
                                      std::uint16_t* cb, std::uint16_t* cr) {
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const SignedColours colours = loadSixteenPixels(rgb + 3 * x);
        const __m256i zero = _mm256_setzero_si256();
        const Pairs pairs = {_mm256_unpacklo_epi16(colours.red, colours.green),
                             _mm256_unpackhi_epi16(colours.red, colours.green),
                             _mm256_unpacklo_epi16(colours.blue, zero),
                             _mm256_unpackhi_epi16(colours.blue, zero)};
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(luma + x),
                            outputPlane(pairs, kLumaRow, ycbcr709::kLumaMin, ycbcr709::kLumaMax));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(cb + x),
                            outputPlane(pairs, kCbRow, ycbcr709::kChromaMin, ycbcr709::kChromaMax));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(cr + x),
                            outputPlane(pairs, kCrRow, ycbcr709::kChromaMin, ycbcr709::kChromaMax));
    }
    if (x < width) rgb48RowReference(rgb + 3 * x, width - x, luma + x, cb + x, cr + x);
}

#else

void rgb48RowAvx2(const std::uint16_t* rgb, int width, std::uint16_t* luma, std::uint16_t* cb,
                  std::uint16_t* cr) {
    rgb48RowReference(rgb, width, luma, cb, cr);
}

#endif
