#include <cstddef>
#include <vector>

#include "imaging/demosaic.h"
#include "imaging/demosaic_pixel.h"
#include "imaging/kernel_variants.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include "imaging/simd_shuffles.h"

namespace {

// A block is 16 pixels starting at an even column x0: 8 sites at even offsets (x0 + 2k) and
// 8 at odd offsets (x0 + 2k + 1), each as 32-bit lanes. One 32-byte load at column x0 + o
// holds the samples of columns x0 + o + 2k in the low halves and x0 + o + 1 + 2k in the high
// halves of its lanes, so three loads give every column from x0 - 2 to x0 + 17.
constexpr int kBlockPixels = 16;

// Samples of one row at columns x0 + 2k + d for d = -2 .. 3 (index d + 2).
struct RowSamples {
    __m256i at[6];
};

RAW2TVX_TARGET_AVX2 inline RowSamples loadRow(const std::uint16_t* row, int x0) {
    const __m256i lowHalf = _mm256_set1_epi32(0xFFFF);
    RowSamples samples;
    for (int load = 0; load < 3; ++load) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + x0 - 2 + 2 * load));
        samples.at[2 * load] = _mm256_and_si256(v, lowHalf);
        samples.at[2 * load + 1] = _mm256_srli_epi32(v, 16);
    }
    return samples;
}

// Samples of one row at columns x0 + 2k (even) and x0 + 2k + 1 (odd).
struct RowPairs {
    __m256i even, odd;
};

RAW2TVX_TARGET_AVX2 inline RowPairs loadPairs(const std::uint16_t* row, int x0) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + x0));
    return {_mm256_and_si256(v, _mm256_set1_epi32(0xFFFF)), _mm256_srli_epi32(v, 16)};
}

struct Neighbourhood {
    __m256i centre, west1, east1, west2, east2, north1, south1, north2, south2;
    __m256i northWest, northEast, southWest, southEast;
};

// The neighbourhood of the sites at offset site (0 even, 1 odd) of the block.
RAW2TVX_TARGET_AVX2 inline Neighbourhood neighbourhood(const RowSamples& up1, const RowSamples& current,
                                                       const RowSamples& down1, int site) {
    const int i = 2 + site;
    Neighbourhood n;
    n.centre = current.at[i];
    n.west1 = current.at[i - 1];
    n.east1 = current.at[i + 1];
    n.west2 = current.at[i - 2];
    n.east2 = current.at[i + 2];
    n.north1 = up1.at[i];
    n.south1 = down1.at[i];
    n.northWest = up1.at[i - 1];
    n.northEast = up1.at[i + 1];
    n.southWest = down1.at[i - 1];
    n.southEast = down1.at[i + 1];
    n.north2 = n.south2 = _mm256_setzero_si256();
    return n;
}

RAW2TVX_TARGET_AVX2 inline __m256i add4(__m256i a, __m256i b, __m256i c, __m256i d) {
    return _mm256_add_epi32(_mm256_add_epi32(a, b), _mm256_add_epi32(c, d));
}

RAW2TVX_TARGET_AVX2 inline __m256i average2(__m256i a, __m256i b) {
    return _mm256_srli_epi32(_mm256_add_epi32(_mm256_add_epi32(a, b), _mm256_set1_epi32(1)), 1);
}

RAW2TVX_TARGET_AVX2 inline __m256i average4(__m256i a, __m256i b, __m256i c, __m256i d) {
    return _mm256_srli_epi32(_mm256_add_epi32(add4(a, b, c, d), _mm256_set1_epi32(2)), 2);
}

RAW2TVX_TARGET_AVX2 inline __m256i gradient(__m256i a, __m256i b) {
    return _mm256_srli_epi32(_mm256_abs_epi32(_mm256_sub_epi32(a, b)), 10);
}

// For lanes below 2^15: the high 16 bits are 0, so the pairwise product sum is the square.
RAW2TVX_TARGET_AVX2 inline __m256i square(__m256i a) {
    return _mm256_madd_epi16(a, a);
}

// n div d for 0 <= n < 2^24 and 1 <= d < 2^24. n, d and every integer below 2^24 are exact
// floats, and the rounding error of the quotient, below n / d * 2^-24 < 1 / d, is smaller than
// its distance to the next integer, so truncation gives the integer quotient.
RAW2TVX_TARGET_AVX2 inline __m256i smallQuotient(__m256i n, __m256i d) {
    return _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(n), _mm256_cvtepi32_ps(d)));
}

// n div d (truncating) clamped to 0 .. 65535, for any int32 n and 1 <= d <= 32767. A negative
// n gives 0 either way. For n >= 0 the float quotient is within n / d * 2^-22 of the true one,
// less than 1 while n / d <= 65536, so its truncation is off by at most one and the
// remainder n - q * d corrects it. Quotients from 65536 up only need to stay above 65534;
// capping the estimate at 65536 also keeps q * d inside int32. Where every n is below 2^24
// the truncation is exact already (as in smallQuotient) and the correction is left out:
// numerators are that small unless a weight is large.
RAW2TVX_TARGET_AVX2 inline __m256i clampedQuotient(__m256i n, __m256i d) {
    n = _mm256_max_epi32(n, _mm256_setzero_si256());
    if (_mm256_testz_si256(n, _mm256_set1_epi32(~((1 << 24) - 1))))
        return _mm256_min_epi32(smallQuotient(n, d), _mm256_set1_epi32(65535));
    __m256 estimate = _mm256_div_ps(_mm256_cvtepi32_ps(n), _mm256_cvtepi32_ps(d));
    estimate = _mm256_min_ps(estimate, _mm256_set1_ps(65536.0f));
    __m256i q = _mm256_cvttps_epi32(estimate);
    const __m256i remainder = _mm256_sub_epi32(n, _mm256_mullo_epi32(q, d));
    q = _mm256_add_epi32(q, _mm256_srai_epi32(remainder, 31));
    q = _mm256_sub_epi32(q, _mm256_cmpgt_epi32(remainder, _mm256_sub_epi32(d, _mm256_set1_epi32(1))));
    return _mm256_min_epi32(q, _mm256_set1_epi32(65535));
}

RAW2TVX_TARGET_AVX2 inline __m256i times(__m256i a, int factor) {
    return _mm256_mullo_epi32(a, _mm256_set1_epi32(factor));
}

struct TwoColours {
    __m256i first, second;
};

// Red or blue site: green, then the diagonal colour.
RAW2TVX_TARGET_AVX2 inline TwoColours adaptiveDiagonalSite(const Neighbourhood& n) {
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i a = gradient(n.west2, n.east2);
    const __m256i bSquared = square(gradient(n.west1, n.east1));
    const __m256i c = gradient(n.northWest, n.southEast);
    const __m256i two = _mm256_add_epi32(one, one);
    const __m256i weightGreen =
        smallQuotient(_mm256_slli_epi32(square(a), 1), _mm256_add_epi32(bSquared, two));
    const __m256i weightDiagonal =
        smallQuotient(_mm256_slli_epi32(bSquared, 2), _mm256_add_epi32(square(c), two));
    const __m256i cross1 = add4(n.north1, n.south1, n.west1, n.east1);
    const __m256i cross2 = add4(n.north2, n.south2, n.west2, n.east2);
    const __m256i diagonals = add4(n.northWest, n.northEast, n.southWest, n.southEast);
    const __m256i greenNumerator =
        _mm256_sub_epi32(_mm256_add_epi32(_mm256_mullo_epi32(_mm256_add_epi32(weightGreen, two), cross1),
                                          _mm256_slli_epi32(n.centre, 2)),
                         cross2);
    const __m256i greenDenominator =
        _mm256_add_epi32(_mm256_slli_epi32(weightGreen, 2), _mm256_set1_epi32(8));
    const __m256i diagonalNumerator = _mm256_sub_epi32(
        _mm256_add_epi32(
            _mm256_mullo_epi32(_mm256_add_epi32(weightDiagonal, _mm256_set1_epi32(4)), diagonals),
            times(n.centre, 12)),
        times(cross2, 3));
    const __m256i diagonalDenominator =
        _mm256_add_epi32(_mm256_slli_epi32(weightDiagonal, 2), _mm256_set1_epi32(16));
    return {clampedQuotient(greenNumerator, greenDenominator),
            clampedQuotient(diagonalNumerator, diagonalDenominator)};
}

// Green site: the colour left and right, then the colour above and below. sameColourGradient
// is the gradient two pixels away that drives both weights (horizontal in red rows,
// vertical in blue rows).
RAW2TVX_TARGET_AVX2 inline TwoColours adaptiveGreenSite(const Neighbourhood& n, __m256i sameColourGradient) {
    const __m256i two = _mm256_set1_epi32(2);
    const __m256i sixteen = _mm256_set1_epi32(16);
    const __m256i eight = _mm256_set1_epi32(8);
    const __m256i aSquared4 = _mm256_slli_epi32(square(sameColourGradient), 2);
    const __m256i weightHorizontal =
        smallQuotient(aSquared4, _mm256_add_epi32(square(gradient(n.west1, n.east1)), two));
    const __m256i weightVertical =
        smallQuotient(aSquared4, _mm256_add_epi32(square(gradient(n.north1, n.south1)), two));
    const __m256i diagonals2 = _mm256_slli_epi32(add4(n.northWest, n.northEast, n.southWest, n.southEast), 1);
    const __m256i centre10 = times(n.centre, 10);
    const __m256i horizontal1 = _mm256_add_epi32(n.west1, n.east1);
    const __m256i horizontal2 = _mm256_add_epi32(n.west2, n.east2);
    const __m256i vertical1 = _mm256_add_epi32(n.north1, n.south1);
    const __m256i vertical2 = _mm256_add_epi32(n.north2, n.south2);
    const __m256i common = _mm256_sub_epi32(centre10, diagonals2);
    const __m256i horizontalNumerator = _mm256_add_epi32(
        _mm256_add_epi32(_mm256_mullo_epi32(_mm256_add_epi32(weightHorizontal, eight), horizontal1), common),
        _mm256_sub_epi32(vertical2, _mm256_slli_epi32(horizontal2, 1)));
    const __m256i verticalNumerator = _mm256_add_epi32(
        _mm256_add_epi32(_mm256_mullo_epi32(_mm256_add_epi32(weightVertical, eight), vertical1), common),
        _mm256_sub_epi32(horizontal2, _mm256_slli_epi32(vertical2, 1)));
    return {
        clampedQuotient(horizontalNumerator,
                        _mm256_add_epi32(_mm256_slli_epi32(weightHorizontal, 1), sixteen)),
        clampedQuotient(verticalNumerator, _mm256_add_epi32(_mm256_slli_epi32(weightVertical, 1), sixteen))};
}

// n div 2^shift clamped to 0 .. 65535. A negative n gives 0 with either rounding.
template <int shift>
RAW2TVX_TARGET_AVX2 inline __m256i clampedShift(__m256i n) {
    const __m256i q = _mm256_max_epi32(_mm256_srai_epi32(n, shift), _mm256_setzero_si256());
    return _mm256_min_epi32(q, _mm256_set1_epi32(65535));
}

// The diagonal site when both its weights are 0: the denominators are 8 and 16.
RAW2TVX_TARGET_AVX2 inline TwoColours unweightedDiagonalSite(const Neighbourhood& n) {
    const __m256i cross1 = add4(n.north1, n.south1, n.west1, n.east1);
    const __m256i cross2 = add4(n.north2, n.south2, n.west2, n.east2);
    const __m256i diagonals = add4(n.northWest, n.northEast, n.southWest, n.southEast);
    const __m256i green = _mm256_sub_epi32(
        _mm256_add_epi32(_mm256_slli_epi32(cross1, 1), _mm256_slli_epi32(n.centre, 2)), cross2);
    const __m256i diagonal = _mm256_sub_epi32(
        _mm256_add_epi32(_mm256_slli_epi32(diagonals, 2), times(n.centre, 12)), times(cross2, 3));
    return {clampedShift<3>(green), clampedShift<4>(diagonal)};
}

// The green site when both its weights are 0: the denominators are 16.
RAW2TVX_TARGET_AVX2 inline TwoColours unweightedGreenSite(const Neighbourhood& n) {
    const __m256i common = _mm256_sub_epi32(
        times(n.centre, 10), _mm256_slli_epi32(add4(n.northWest, n.northEast, n.southWest, n.southEast), 1));
    const __m256i horizontal1 = _mm256_add_epi32(n.west1, n.east1);
    const __m256i horizontal2 = _mm256_add_epi32(n.west2, n.east2);
    const __m256i vertical1 = _mm256_add_epi32(n.north1, n.south1);
    const __m256i vertical2 = _mm256_add_epi32(n.north2, n.south2);
    const __m256i horizontal =
        _mm256_add_epi32(_mm256_add_epi32(_mm256_slli_epi32(horizontal1, 3), common),
                         _mm256_sub_epi32(vertical2, _mm256_slli_epi32(horizontal2, 1)));
    const __m256i vertical = _mm256_add_epi32(_mm256_add_epi32(_mm256_slli_epi32(vertical1, 3), common),
                                              _mm256_sub_epi32(horizontal2, _mm256_slli_epi32(vertical2, 1)));
    return {clampedShift<4>(horizontal), clampedShift<4>(vertical)};
}

RAW2TVX_TARGET_AVX2 inline __m256i difference(__m256i a, __m256i b) {
    return _mm256_abs_epi32(_mm256_sub_epi32(a, b));
}

// True when every weight of the block is 0 because the differences that drive them are all
// below 1024, so their gradient classes are 0: at green sites and for the green of red and
// blue sites the same-colour difference two pixels away (a), for the diagonal colour of red
// and blue sites the difference across the site (b).
RAW2TVX_TARGET_AVX2 inline bool weightsAllZero(const Neighbourhood& diagonalSites, __m256i greenA1,
                                               __m256i greenA2) {
    const __m256i differences =
        _mm256_or_si256(_mm256_or_si256(difference(diagonalSites.west2, diagonalSites.east2),
                                        difference(diagonalSites.west1, diagonalSites.east1)),
                        difference(greenA1, greenA2));
    return _mm256_testz_si256(differences, _mm256_set1_epi32(~1023)) != 0;
}

// 16 consecutive 16-bit samples from the values of the even and the odd sites.
RAW2TVX_TARGET_AVX2 inline void storeSites(std::uint16_t* plane, int x0, __m256i even, __m256i odd) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(plane + x0),
                        _mm256_or_si256(even, _mm256_slli_epi32(odd, 16)));
}

struct Planes {
    std::uint16_t* red;
    std::uint16_t* green;
    std::uint16_t* blue;
};

RAW2TVX_TARGET_AVX2 void adaptiveBlock(const demosaic::BayerRows& rows, int x0, const Planes& out) {
    const RowSamples up1 = loadRow(rows.up1, x0);
    const RowSamples current = loadRow(rows.current, x0);
    const RowSamples down1 = loadRow(rows.down1, x0);
    const RowPairs up2 = loadPairs(rows.up2, x0);
    const RowPairs down2 = loadPairs(rows.down2, x0);
    Neighbourhood even = neighbourhood(up1, current, down1, 0);
    even.north2 = up2.even;
    even.south2 = down2.even;
    Neighbourhood odd = neighbourhood(up1, current, down1, 1);
    odd.north2 = up2.odd;
    odd.south2 = down2.odd;
    // The same-colour difference two pixels away at green sites runs along red rows and
    // across blue ones.
    const bool unweighted = rows.redRow ? weightsAllZero(even, odd.west2, odd.east2)
                                        : weightsAllZero(odd, even.north2, even.south2);
    if (unweighted) {
        if (rows.redRow) {
            const TwoColours redSite = unweightedDiagonalSite(even);
            const TwoColours greenSite = unweightedGreenSite(odd);
            storeSites(out.red, x0, even.centre, greenSite.first);
            storeSites(out.green, x0, redSite.first, odd.centre);
            storeSites(out.blue, x0, redSite.second, greenSite.second);
        } else {
            const TwoColours greenSite = unweightedGreenSite(even);
            const TwoColours blueSite = unweightedDiagonalSite(odd);
            storeSites(out.red, x0, greenSite.second, blueSite.second);
            storeSites(out.green, x0, even.centre, blueSite.first);
            storeSites(out.blue, x0, greenSite.first, odd.centre);
        }
        return;
    }
    if (rows.redRow) {
        const TwoColours redSite = adaptiveDiagonalSite(even);                                // green, blue
        const TwoColours greenSite = adaptiveGreenSite(odd, gradient(odd.west2, odd.east2));  // red, blue
        storeSites(out.red, x0, even.centre, greenSite.first);
        storeSites(out.green, x0, redSite.first, odd.centre);
        storeSites(out.blue, x0, redSite.second, greenSite.second);
    } else {
        const TwoColours greenSite =
            adaptiveGreenSite(even, gradient(even.north2, even.south2));  // blue, red
        const TwoColours blueSite = adaptiveDiagonalSite(odd);            // green, red
        storeSites(out.red, x0, greenSite.second, blueSite.second);
        storeSites(out.green, x0, even.centre, blueSite.first);
        storeSites(out.blue, x0, greenSite.first, odd.centre);
    }
}

// Red or blue site by averages: green from the cross, the other colour from the diagonals.
RAW2TVX_TARGET_AVX2 inline TwoColours bilinearDiagonalSite(const Neighbourhood& n) {
    return TwoColours{average4(n.west1, n.east1, n.north1, n.south1),
                      average4(n.northWest, n.northEast, n.southWest, n.southEast)};
}

RAW2TVX_TARGET_AVX2 void bilinearBlock(const demosaic::BayerRows& rows, int x0, const Planes& out) {
    const RowSamples up1 = loadRow(rows.up1, x0);
    const RowSamples current = loadRow(rows.current, x0);
    const RowSamples down1 = loadRow(rows.down1, x0);
    const Neighbourhood even = neighbourhood(up1, current, down1, 0);
    const Neighbourhood odd = neighbourhood(up1, current, down1, 1);
    if (rows.redRow) {
        const TwoColours redSite = bilinearDiagonalSite(even);
        storeSites(out.red, x0, even.centre, average2(odd.west1, odd.east1));
        storeSites(out.green, x0, redSite.first, odd.centre);
        storeSites(out.blue, x0, redSite.second, average2(odd.north1, odd.south1));
    } else {
        const TwoColours blueSite = bilinearDiagonalSite(odd);
        storeSites(out.red, x0, average2(even.north1, even.south1), blueSite.second);
        storeSites(out.green, x0, even.centre, blueSite.first);
        storeSites(out.blue, x0, average2(even.west1, even.east1), odd.centre);
    }
}

void scalarPixel(const demosaic::BayerRows& rows, demosaic::RowRule rule, int x, const Planes& out) {
    std::uint16_t pixel[3];
    demosaic::interpolatePixel(rows, rule, x, pixel);
    out.red[x] = pixel[0];
    out.green[x] = pixel[1];
    out.blue[x] = pixel[2];
}

// Interpolates one row into three planes: vector blocks over columns 2 .. width - 3 where the
// rule has both neighbouring rows, the scalar rules everywhere else.
void interpolateRow(const demosaic::BayerRows& rows, demosaic::RowRule rule, const Planes& out) {
    const int width = rows.width;
    const bool vectorRule = rule == demosaic::RowRule::kAdaptive || rule == demosaic::RowRule::kBilinear;
    const int lastInterior = width - 3;
    // Blocks read columns x0 - 2 .. x0 + 17 and write x0 .. x0 + 15.
    int x = 2;
    if (vectorRule && lastInterior - 2 + 1 >= kBlockPixels) {
        const auto block = rule == demosaic::RowRule::kAdaptive ? adaptiveBlock : bilinearBlock;
        for (; x + kBlockPixels - 1 <= lastInterior; x += kBlockPixels) block(rows, x, out);
        // An even last block may overlap the previous one; it writes the same values again.
        const int lastBlock = lastInterior - kBlockPixels + 1;
        if (x <= lastInterior && lastBlock % 2 == 0) {
            block(rows, lastBlock, out);
            x = lastInterior + 1;
        }
    }
    for (int column = 0; column < 2; ++column) scalarPixel(rows, rule, column, out);
    for (; x < width; ++x) scalarPixel(rows, rule, x, out);
}

// Writes 8 pixels from three planes of 8 samples each.
RAW2TVX_TARGET_AVX2 inline void storeInterleaved(std::uint16_t* rgb, __m128i red, __m128i green,
                                                 __m128i blue) {
    const __m128i planes[3] = {red, green, blue};
    for (int vector = 0; vector < 3; ++vector) {
        __m128i packed = _mm_setzero_si128();
        for (int plane = 0; plane < 3; ++plane) {
            const __m128i mask = _mm_load_si128(
                reinterpret_cast<const __m128i*>(simd::kInterleaveShuffles.bytes[vector][plane]));
            packed = _mm_or_si128(packed, _mm_shuffle_epi8(planes[plane], mask));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rgb + 8 * vector), packed);
    }
}

// Writes 16 pixels from three planes of 16 samples each: the shuffles of storeInterleaved in
// both halves at once, pixels 0 .. 7 from the low halves and 8 .. 15 from the high ones, each
// half in the order filterPlane16 leaves it.
RAW2TVX_TARGET_AVX2 inline void storeInterleaved16(std::uint16_t* rgb, __m256i red, __m256i green,
                                                   __m256i blue) {
    const __m256i planes[3] = {red, green, blue};
    for (int vector = 0; vector < 3; ++vector) {
        __m256i packed = _mm256_setzero_si256();
        for (int plane = 0; plane < 3; ++plane) {
            const __m256i mask = _mm256_broadcastsi128_si256(_mm_load_si128(
                reinterpret_cast<const __m128i*>(simd::kPairOrderInterleaveShuffles.bytes[vector][plane])));
            packed = _mm256_or_si256(packed, _mm256_shuffle_epi8(planes[plane], mask));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rgb + 8 * vector), _mm256_castsi256_si128(packed));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rgb + 24 + 8 * vector),
                         _mm256_extracti128_si256(packed, 1));
    }
}

RAW2TVX_TARGET_AVX2 inline __m256i widen(const std::uint16_t* samples) {
    return _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(samples)));
}

// Eight 32-bit lanes to 16 bits, clamped to 0 .. 65535.
RAW2TVX_TARGET_AVX2 inline __m128i narrow(__m256i v) {
    return _mm_packus_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
}

enum class Kernel { kCopy, kBlur, kSharpen };

// Eight filtered samples of one plane starting at x.
template <Kernel kind>
RAW2TVX_TARGET_AVX2 inline __m128i filterPlane(const std::uint16_t* plane, int x, __m256i side,
                                               __m256i centre, __m128i shift) {
    if constexpr (kind == Kernel::kCopy) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(plane + x));
    } else if constexpr (kind == Kernel::kBlur) {
        const __m256i sum = _mm256_add_epi32(_mm256_add_epi32(widen(plane + x - 1), widen(plane + x + 1)),
                                             _mm256_slli_epi32(widen(plane + x), 1));
        return narrow(_mm256_srli_epi32(sum, 2));
    } else {
        const __m256i sides =
            _mm256_mullo_epi32(_mm256_add_epi32(widen(plane + x - 1), widen(plane + x + 1)), side);
        const __m256i outer = _mm256_add_epi32(widen(plane + x - 2), widen(plane + x + 2));
        const __m256i sum =
            _mm256_sub_epi32(_mm256_add_epi32(sides, _mm256_mullo_epi32(widen(plane + x), centre)), outer);
        return narrow(_mm256_sra_epi32(sum, shift));
    }
}

// Sixteen filtered samples of one plane starting at x, from 16-bit products summed in pairs.
// A 32-bit lane k of the samples loaded from x + o holds the pair at x + o + 2k, so the even
// pixels come from multiply-adds of the loads from x - 2, x and x + 2 (sharpening, with
// weight pairs (-1, side), (centre, side) and (-1, 0); blurring: x - 1 and x + 1, with (1, 2)
// and (1, 0)) and the odd ones from the loads one column on. Each sample goes in less
// 32768, as a signed 16-bit value; the weights add up to 1 << shift, so the sum is the
// unsigned one less 32768 << shift, and the arithmetic shift gives the unsigned result less
// 32768 exactly. The signed saturating pack clamps it and flipping the top bit gives
// 0 .. 65535, each 128-bit half holding its four even pixels and then its four odd ones.
template <Kernel kind>
RAW2TVX_TARGET_AVX2 inline __m256i filterPlane16(const std::uint16_t* plane, int x, __m256i before,
                                                 __m256i middle, __m256i after, __m128i shift) {
    const __m256i bias = _mm256_set1_epi16(static_cast<short>(0x8000));
    const auto at = [plane, x](int offset) { return reinterpret_cast<const __m256i*>(plane + x + offset); };
    const __m256i* const from[6] = {at(-2), at(-1), at(0), at(1), at(2), at(3)};
    __m256i loaded[6];
    for (int k = kind == Kernel::kBlur ? 1 : 0; k < (kind == Kernel::kBlur ? 5 : 6); ++k)
        loaded[k] = _mm256_xor_si256(_mm256_loadu_si256(from[k]), bias);
    __m256i even, odd;
    if constexpr (kind == Kernel::kBlur) {
        even = _mm256_add_epi32(_mm256_madd_epi16(loaded[1], before), _mm256_madd_epi16(loaded[3], middle));
        odd = _mm256_add_epi32(_mm256_madd_epi16(loaded[2], before), _mm256_madd_epi16(loaded[4], middle));
    } else {
        even = _mm256_add_epi32(
            _mm256_add_epi32(_mm256_madd_epi16(loaded[0], before), _mm256_madd_epi16(loaded[2], middle)),
            _mm256_madd_epi16(loaded[4], after));
        odd = _mm256_add_epi32(
            _mm256_add_epi32(_mm256_madd_epi16(loaded[1], before), _mm256_madd_epi16(loaded[3], middle)),
            _mm256_madd_epi16(loaded[5], after));
    }
    return _mm256_xor_si256(_mm256_packs_epi32(_mm256_sra_epi32(even, shift), _mm256_sra_epi32(odd, shift)),
                            bias);
}

// Two 16-bit weights as one 32-bit lane, first in the low half, in every lane.
RAW2TVX_TARGET_AVX2 inline __m256i weightPairs(int first, int second) {
    return _mm256_set1_epi32(
        static_cast<int>((static_cast<std::uint32_t>(second) << 16) | static_cast<std::uint16_t>(first)));
}

// Filters columns first .. last from the planes into the RGB row, 16 at a time where there
// are at least 16, else 8 at a time; the last block may overlap the one before it.
template <Kernel kind>
RAW2TVX_TARGET_AVX2 void filterRange(const Planes& in, std::uint16_t* rgbRow, int first, int last,
                                     int level) {
    static constexpr int kSide[3] = {4, 2, 1};
    static constexpr int kCentre[3] = {10, 6, 4};
    static constexpr int kShift[3] = {4, 3, 2};
    const int index = level >= 1 && level <= 3 ? level - 1 : 0;
    const bool sharpen = kind == Kernel::kSharpen;
    const __m128i shift = _mm_cvtsi32_si128(sharpen ? kShift[index] : 2);
    if (kind != Kernel::kCopy && last - first + 1 >= 16) {
        const __m256i before = sharpen ? weightPairs(-1, kSide[index]) : weightPairs(1, 2);
        const __m256i middle = sharpen ? weightPairs(kCentre[index], kSide[index]) : weightPairs(1, 0);
        const __m256i after = weightPairs(-1, 0);
        for (int x = first;; x += 16) {
            if (x > last - 15) x = last - 15;
            storeInterleaved16(rgbRow + 3 * x, filterPlane16<kind>(in.red, x, before, middle, after, shift),
                               filterPlane16<kind>(in.green, x, before, middle, after, shift),
                               filterPlane16<kind>(in.blue, x, before, middle, after, shift));
            if (x == last - 15) break;
        }
        return;
    }
    const __m256i side = _mm256_set1_epi32(kSide[index]);
    const __m256i centre = _mm256_set1_epi32(kCentre[index]);
    for (int x = first;; x += 8) {
        if (x > last - 7) x = last - 7;
        storeInterleaved(rgbRow + 3 * x, filterPlane<kind>(in.red, x, side, centre, shift),
                         filterPlane<kind>(in.green, x, side, centre, shift),
                         filterPlane<kind>(in.blue, x, side, centre, shift));
        if (x == last - 7) break;
    }
}

void setPixel(const Planes& in, std::uint16_t* rgbRow, int x, bool blurred) {
    const std::uint16_t* planes[3] = {in.red, in.green, in.blue};
    for (int channel = 0; channel < 3; ++channel) {
        const std::uint16_t* p = planes[channel] + x;
        rgbRow[3 * x + channel] = blurred ? static_cast<std::uint16_t>((p[-1] + 2 * p[0] + p[1]) >> 2) : p[0];
    }
}

// The horizontal post-filter of the planes, written interleaved into the RGB row.
void filterRow(const Planes& in, std::uint16_t* rgbRow, int width, int level) {
    if (level < 0 || level > 3) {
        filterRange<Kernel::kCopy>(in, rgbRow, 0, width - 1, level);
        return;
    }
    setPixel(in, rgbRow, 0, false);
    setPixel(in, rgbRow, width - 1, false);
    if (level == 0) {
        filterRange<Kernel::kBlur>(in, rgbRow, 1, width - 2, level);
        return;
    }
    setPixel(in, rgbRow, 1, true);
    setPixel(in, rgbRow, width - 2, true);
    filterRange<Kernel::kSharpen>(in, rgbRow, 2, width - 3, level);
}

}  // namespace

void demosaicRowAvx2(const std::uint16_t* bayer, std::size_t bayerStride, int width, int height, int row,
                     std::uint16_t* rgbRow, int mode, int level) {
    if (width < kMinDemosaicWidth || height < kMinDemosaicHeight || row < 0 || row >= height) return;
    thread_local std::vector<std::uint16_t> planeBuffer;
    const std::size_t planeSize = static_cast<std::size_t>(width);
    // The filter's last vector of the last plane reads one sample past it (with weight 0).
    constexpr std::size_t kReadPast = 8;
    if (planeBuffer.size() < 3 * planeSize + kReadPast) planeBuffer.resize(3 * planeSize + kReadPast);
    const Planes planes{planeBuffer.data(), planeBuffer.data() + planeSize,
                        planeBuffer.data() + 2 * planeSize};
    const demosaic::BayerRows rows = demosaic::bayerRows(bayer, bayerStride, width, height, row);
    interpolateRow(rows, demosaic::rowRule(height, row, mode), planes);
    filterRow(planes, rgbRow, width, level);
}

void demosaicRowPairAvx2(const std::uint16_t* bayer, int width, int height, int y, std::uint16_t* rgb,
                         int mode, int level) {
    if (width < kMinDemosaicWidth || height < kMinDemosaicHeight || y < 0 || y >= height || y % 2 != 0)
        return;
    const int lastRow = y + 1 < height ? y + 1 : y;
    for (int row = y; row <= lastRow; ++row)
        demosaicRowAvx2(bayer, static_cast<std::size_t>(width), width, height, row,
                        rgb + 3 * static_cast<std::size_t>(row) * static_cast<std::size_t>(width), mode,
                        level);
}

#else

void demosaicRowAvx2(const std::uint16_t* bayer, std::size_t bayerStride, int width, int height, int row,
                     std::uint16_t* rgbRow, int mode, int level) {
    demosaicRowReference(bayer, bayerStride, width, height, row, rgbRow, mode, level);
}

void demosaicRowPairAvx2(const std::uint16_t* bayer, int width, int height, int y, std::uint16_t* rgb,
                         int mode, int level) {
    demosaicRowPairReference(bayer, width, height, y, rgb, mode, level);
}

#endif
