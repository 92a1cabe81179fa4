#include <cstddef>

#include "imaging/kernel_variants.h"
#include "imaging/yuv422_pair.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include "imaging/simd_shuffles.h"

namespace {

// One plane of eight samples from 24 interleaved ones.
RAW2TVX_TARGET_AVX2 inline __m128i plane(const __m128i (&in)[3], int channel) {
    __m128i samples = _mm_setzero_si128();
    for (int vector = 0; vector < 3; ++vector) {
        const __m128i mask = _mm_load_si128(
            reinterpret_cast<const __m128i*>(simd::kDeinterleaveShuffles.bytes[channel][vector]));
        samples = _mm_or_si128(samples, _mm_shuffle_epi8(in[vector], mask));
    }
    return samples;
}

RAW2TVX_TARGET_AVX2 inline __m256d toDouble(__m128i v) {
    return _mm256_cvtepi32_pd(v);
}
RAW2TVX_TARGET_AVX2 inline __m256d broadcast(double v) {
    return _mm256_set1_pd(v);
}
RAW2TVX_TARGET_AVX2 inline __m256d mul(__m256d a, __m256d b) {
    return _mm256_mul_pd(a, b);
}
RAW2TVX_TARGET_AVX2 inline __m256d add(__m256d a, __m256d b) {
    return _mm256_add_pd(a, b);
}
RAW2TVX_TARGET_AVX2 inline __m256d sub(__m256d a, __m256d b) {
    return _mm256_sub_pd(a, b);
}

}  // namespace

// Four pairs at a time with the scalar form's operations in the scalar form's order: each
// addition and multiplication is one correctly rounded double operation either way, so the
// results are the same bit for bit. Nothing here may be fused into multiply-adds.
RAW2TVX_TARGET_AVX2 void toYuv422RowAvx2(std::uint16_t* rgb, int width, int row) {
    if (width < 2 || row < 0) return;
    std::uint16_t* line = rgb + 3 * static_cast<std::size_t>(width) * static_cast<std::size_t>(row);
    const int pairs = width / 2;
    const __m128i lowHalf = _mm_set1_epi32(0xFFFF);
    int pair = 0;
    for (; pair + 4 <= pairs; pair += 4) {
        const std::uint16_t* in = line + 6 * pair;
        const __m128i words[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16))};
        const __m128i red = plane(words, 0);
        const __m128i green = plane(words, 1);
        const __m128i blue = plane(words, 2);
        const __m128i red0 = _mm_and_si128(red, lowHalf), red1 = _mm_srli_epi32(red, 16);
        const __m128i green0 = _mm_and_si128(green, lowHalf), green1 = _mm_srli_epi32(green, 16);
        const __m128i blue0 = _mm_and_si128(blue, lowHalf), blue1 = _mm_srli_epi32(blue, 16);
        const __m256d redSum = toDouble(_mm_add_epi32(red0, red1));
        const __m256d greenSum = toDouble(_mm_add_epi32(green0, green1));
        const __m256d blueSum = toDouble(_mm_add_epi32(blue0, blue1));
        const __m256d y0 = add(add(add(mul(broadcast(0.183), toDouble(red0)), broadcast(4112.0)),
                                   mul(broadcast(0.614), toDouble(green0))),
                               mul(broadcast(0.062), toDouble(blue0)));
        const __m256d y1 = add(add(add(mul(broadcast(0.183), toDouble(red1)), broadcast(4112.0)),
                                   mul(broadcast(0.614), toDouble(green1))),
                               mul(broadcast(0.062), toDouble(blue1)));
        const __m256d cr = sub(
            sub(add(mul(broadcast(0.2195), redSum), broadcast(32768.0)), mul(broadcast(0.1995), greenSum)),
            mul(broadcast(0.02), blueSum));
        const __m256d cb = add(
            sub(add(mul(broadcast(-0.0505), redSum), broadcast(32768.0)), mul(broadcast(0.169), greenSum)),
            mul(broadcast(0.2195), blueSum));
        const __m128i lumaCr =
            _mm_or_si128(_mm256_cvttpd_epi32(y0), _mm_slli_epi32(_mm256_cvttpd_epi32(cr), 16));
        const __m128i lumaCb =
            _mm_or_si128(_mm256_cvttpd_epi32(y1), _mm_slli_epi32(_mm256_cvttpd_epi32(cb), 16));
        std::uint16_t* out = line + 4 * pair;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi32(lumaCr, lumaCb));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi32(lumaCr, lumaCb));
    }
    for (; pair < pairs; ++pair) convertYuv422Pair(line + 6 * pair, line + 4 * pair);
}

#else

void toYuv422RowAvx2(std::uint16_t* rgb, int width, int row) {
    toYuv422RowReference(rgb, width, row);
}

#endif
