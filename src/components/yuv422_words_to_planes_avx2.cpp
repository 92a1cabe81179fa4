#include "components/picture_kernel_variants.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include "components/avx2_target.h"

namespace {

// Eight words Y0 Cr Y1 Cb Y0 Cr Y1 Cb to their 10-bit values. In single precision
// floor((t + 0.5) / 257) is exact for every t = 4 w + offset below 2^19: the product is off
// by at most 1.3e-4, while (t + 0.5) / 257 stays at least 0.5 / 257 away from an integer.
// The tests compare every one of the 65536 words with the integer form.
RAW2TVX_TARGET_AVX2 inline __m128i tenBitGroups(__m128i words) {
    const __m256i offsets = _mm256_setr_epi32(128, 640, 128, 640, 128, 640, 128, 640);
    const __m256i scaled = _mm256_add_epi32(_mm256_slli_epi32(_mm256_cvtepu16_epi32(words), 2), offsets);
    const __m256 quotient = _mm256_mul_ps(_mm256_add_ps(_mm256_cvtepi32_ps(scaled), _mm256_set1_ps(0.5f)),
                                          _mm256_set1_ps(1.0f / 257.0f));
    const __m256i values = _mm256_cvttps_epi32(quotient);
    return _mm_packus_epi32(_mm256_castsi256_si128(values), _mm256_extracti128_si256(values, 1));
}

// Two groups Y0a Cra Y1a Cba Y0b Crb Y1b Cbb to Y0a Y1a Y0b Y1b Cra Crb Cba Cbb.
RAW2TVX_TARGET_AVX2 inline __m128i gatherPlanes(__m128i groups) {
    const __m128i order = _mm_setr_epi8(0, 1, 4, 5, 8, 9, 12, 13, 2, 3, 10, 11, 6, 7, 14, 15);
    return _mm_shuffle_epi8(groups, order);
}

}  // namespace

// Sixteen pixels (eight groups) a step; the tail goes through the scalar form.
RAW2TVX_TARGET_AVX2 void yuv422WordsRowAvx2(const std::uint16_t* words, int width, std::uint16_t* luma,
                                            std::uint16_t* cb, std::uint16_t* cr) {
    int pixel = 0;
    for (; pixel + 16 <= width; pixel += 16) {
        const std::uint16_t* in = words + 2 * pixel;
        __m128i split[4];
        for (int part = 0; part < 4; ++part)
            split[part] =
                gatherPlanes(tenBitGroups(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8 * part))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + pixel), _mm_unpacklo_epi64(split[0], split[1]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + pixel + 8),
                         _mm_unpacklo_epi64(split[2], split[3]));
        // Cr of groups 0-3 and 4-7 sit in the third 32-bit element of each part, Cb in the fourth.
        const __m128i first = _mm_unpackhi_epi32(split[0], split[1]);
        const __m128i second = _mm_unpackhi_epi32(split[2], split[3]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cr + pixel / 2), _mm_unpacklo_epi64(first, second));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cb + pixel / 2), _mm_unpackhi_epi64(first, second));
    }
    if (pixel < width)
        yuv422WordsRowReference(words + 2 * pixel, width - pixel, luma + pixel, cb + pixel / 2,
                                cr + pixel / 2);
}

#else

void yuv422WordsRowAvx2(const std::uint16_t* words, int width, std::uint16_t* luma, std::uint16_t* cb,
                        std::uint16_t* cr) {
    yuv422WordsRowReference(words, width, luma, cb, cr);
}

#endif
