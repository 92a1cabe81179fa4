#include <cstddef>

#include "components/bayer_quadrants.h"
#include "components/lossless_jpeg_kernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#define RAW2TVX_TARGET_AVX2 __attribute__((target("avx2")))

namespace {

RAW2TVX_TARGET_AVX2 inline __m256i load(const std::uint16_t* samples) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(samples));
}
RAW2TVX_TARGET_AVX2 inline void store(std::uint16_t* samples, __m256i value) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(samples), value);
}

// (a - c) >> 1 in full integers, modulo 65536: with S = a + (65535 - c), it is
// (S - 65535) / 2 rounded down, which is (S + 1) / 2 rounded down less 32768.
RAW2TVX_TARGET_AVX2 inline __m256i halfDifference(__m256i a, __m256i c) {
    const __m256i notC = _mm256_xor_si256(c, _mm256_set1_epi16(-1));
    return _mm256_sub_epi16(_mm256_avg_epu16(a, notC), _mm256_set1_epi16(-32768));
}

template <int kPredictor>
RAW2TVX_TARGET_AVX2 inline __m256i predict(__m256i a, __m256i b, __m256i c) {
    if constexpr (kPredictor == 1) return a;
    if constexpr (kPredictor == 2) return b;
    if constexpr (kPredictor == 3) return c;
    if constexpr (kPredictor == 4) return _mm256_sub_epi16(_mm256_add_epi16(a, b), c);
    if constexpr (kPredictor == 5) return _mm256_add_epi16(a, halfDifference(b, c));
    if constexpr (kPredictor == 6) return _mm256_add_epi16(b, halfDifference(a, c));
    // (a + b) >> 1: the average rounded up, less one where a + b is odd.
    const __m256i odd = _mm256_and_si256(_mm256_xor_si256(a, b), _mm256_set1_epi16(1));
    return _mm256_sub_epi16(_mm256_avg_epu16(a, b), odd);
}

template <int kPredictor>
RAW2TVX_TARGET_AVX2 void laterRowDifferences(const std::uint16_t* row, const std::uint16_t* above, int width,
                                             std::uint16_t* differences) {
    int x = 1;
    for (; x + 16 <= width; x += 16) {
        const __m256i prediction =
            predict<kPredictor>(load(row + x - 1), load(above + x), load(above + x - 1));
        store(differences + x, _mm256_sub_epi16(load(row + x), prediction));
    }
    for (; x < width; ++x)
        differences[x] = static_cast<std::uint16_t>(
            row[x] - predictSample(row[x - 1], above[x], above[x - 1], kPredictor));
}

}  // namespace

RAW2TVX_TARGET_AVX2 void bayerRowToQuadrantRowAvx2(const std::uint16_t* bayerRow, int width,
                                                   std::uint16_t* quadrantRow) {
    const int leftWidth = (width + 1) / 2;
    const __m256i lowHalves = _mm256_set1_epi32(0xFFFF);
    int x = 0;
    for (; x + 32 <= width; x += 32) {
        const __m256i first = load(bayerRow + x), second = load(bayerRow + x + 16);
        const __m256i even =
            _mm256_packus_epi32(_mm256_and_si256(first, lowHalves), _mm256_and_si256(second, lowHalves));
        const __m256i odd = _mm256_packus_epi32(_mm256_srli_epi32(first, 16), _mm256_srli_epi32(second, 16));
        store(quadrantRow + x / 2, _mm256_permute4x64_epi64(even, 0xD8));
        store(quadrantRow + leftWidth + x / 2, _mm256_permute4x64_epi64(odd, 0xD8));
    }
    for (int column = x; column < width; ++column)
        quadrantRow[(column % 2 == 0 ? 0 : leftWidth) + column / 2] = bayerRow[column];
}

RAW2TVX_TARGET_AVX2 void rowDifferencesAvx2(const std::uint16_t* row, const std::uint16_t* above, int width,
                                            int predictor, std::uint16_t* differences) {
    if (width <= 0) return;
    if (above == nullptr) {
        differences[0] = static_cast<std::uint16_t>(row[0] - 0x8000u);
        int x = 1;
        for (; x + 16 <= width; x += 16)
            store(differences + x, _mm256_sub_epi16(load(row + x), load(row + x - 1)));
        for (; x < width; ++x) differences[x] = static_cast<std::uint16_t>(row[x] - row[x - 1]);
        return;
    }
    differences[0] = static_cast<std::uint16_t>(row[0] - above[0]);
    switch (predictor) {
        case 1:
            laterRowDifferences<1>(row, above, width, differences);
            break;
        case 2:
            laterRowDifferences<2>(row, above, width, differences);
            break;
        case 3:
            laterRowDifferences<3>(row, above, width, differences);
            break;
        case 4:
            laterRowDifferences<4>(row, above, width, differences);
            break;
        case 5:
            laterRowDifferences<5>(row, above, width, differences);
            break;
        case 6:
            laterRowDifferences<6>(row, above, width, differences);
            break;
        default:
            laterRowDifferences<7>(row, above, width, differences);
            break;
    }
}

RAW2TVX_TARGET_AVX2 void codeDifferencesAvx2(const std::uint16_t* differences, int count,
                                             const CategoryCodes& codes, JpegBitWriter& writer,
                                             std::uint32_t* codeScratch, std::uint8_t* lengthScratch) {
    // Code and total length of each category in one 32-bit entry, in two
    // tables of eight; category 16 stands apart.
    alignas(32) std::uint32_t entries[kDifferenceCategories];
    for (int category = 0; category < kDifferenceCategories; ++category)
        entries[category] = (codes.shiftedCode[category] >> category) |
                            (static_cast<std::uint32_t>(codes.totalLength[category]) << 16);
    const __m256i lowTable = _mm256_load_si256(reinterpret_cast<const __m256i*>(entries));
    const __m256i highTable = _mm256_load_si256(reinterpret_cast<const __m256i*>(entries + 8));
    const __m256i lastEntry = _mm256_set1_epi32(static_cast<int>(entries[16]));

    const __m256i bias = _mm256_set1_epi32(0x7FFF);
    const __m256i low16 = _mm256_set1_epi32(0xFFFF);
    const __m256i exponentBias = _mm256_set1_epi32(126);
    const __m256i seven = _mm256_set1_epi32(7);
    const __m256i sixteen = _mm256_set1_epi32(16);
    const __m256i thirtyTwo = _mm256_set1_epi32(32);
    const __m256i zero = _mm256_setzero_si256();
    for (int i = 0; i < count; i += 8) {
        const __m256i difference =
            _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(differences + i)));
        // The difference in -32767..32768, its sign (0 or -1) and magnitude.
        const __m256i value =
            _mm256_sub_epi32(_mm256_and_si256(_mm256_add_epi32(difference, bias), low16), bias);
        const __m256i sign = _mm256_srai_epi32(value, 31);
        const __m256i magnitude = _mm256_abs_epi32(value);
        // The category is the bit length of the magnitude: the exponent of its
        // float, exact below 2^24; 0 maps to exponent 0 and is clamped.
        const __m256i exponent = _mm256_srli_epi32(_mm256_castps_si256(_mm256_cvtepi32_ps(magnitude)), 23);
        const __m256i category = _mm256_max_epi32(_mm256_sub_epi32(exponent, exponentBias), zero);
        // The low `category` bits of the difference, less one when negative.
        const __m256i unusedBits = _mm256_sub_epi32(thirtyTwo, category);
        const __m256i extra =
            _mm256_srlv_epi32(_mm256_sllv_epi32(_mm256_add_epi32(value, sign), unusedBits), unusedBits);
        __m256i entry = _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(lowTable, category),
                                           _mm256_permutevar8x32_epi32(highTable, category),
                                           _mm256_cmpgt_epi32(category, seven));
        entry = _mm256_blendv_epi8(entry, lastEntry, _mm256_cmpeq_epi32(category, sixteen));
        const __m256i code =
            _mm256_or_si256(_mm256_sllv_epi32(_mm256_and_si256(entry, low16), category), extra);
        const __m256i length = _mm256_srli_epi32(entry, 16);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(codeScratch + i), code);
        const __m256i bytes16 = _mm256_packus_epi32(length, length);
        const __m256i bytes8 = _mm256_packus_epi16(bytes16, bytes16);
        const __m256i gathered =
            _mm256_permutevar8x32_epi32(bytes8, _mm256_setr_epi32(0, 4, 0, 0, 0, 0, 0, 0));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(lengthScratch + i), _mm256_castsi256_si128(gathered));
    }
    // A copy the compiler can keep in registers: the byte stores could alias the caller's writer.
    JpegBitWriter local = writer;
    for (int i = 0; i < count; ++i) local.put(codeScratch[i], lengthScratch[i]);
    writer = local;
}

#else

void bayerRowToQuadrantRowAvx2(const std::uint16_t* bayerRow, int width, std::uint16_t* quadrantRow) {
    bayerRowToQuadrantRow(bayerRow, width, quadrantRow);
}
void rowDifferencesAvx2(const std::uint16_t* row, const std::uint16_t* above, int width, int predictor,
                        std::uint16_t* differences) {
    rowDifferencesReference(row, above, width, predictor, differences);
}
void codeDifferencesAvx2(const std::uint16_t* differences, int count, const CategoryCodes& codes,
                         JpegBitWriter& writer, std::uint32_t*, std::uint8_t*) {
    codeDifferencesReference(differences, count, codes, writer);
}

#endif
