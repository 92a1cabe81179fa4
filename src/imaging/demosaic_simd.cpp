// The band kernels (kernel_variants.h) in one Highway source built for SSE4, AVX2 and
// AVX-512 and picked at run time: the demosaic of a row with its horizontal post-filter, and
// the vertical post-filter of a row. They follow the AVX2 forms step for step, in vectors of
// any width: a block is two sites per 32-bit lane (16 pixels with AVX2, 32 with AVX-512),
// so a processor without AVX-512 runs and tests the very code an AVX-512 one runs.
#include "imaging/demosaic_simd.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/demosaic.h"
#include "imaging/demosaic_pixel.h"
#include "imaging/kernel_variants.h"

#ifndef HWY_DISABLED_TARGETS
#define HWY_DISABLED_TARGETS HWY_SSSE3
#endif
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "imaging/demosaic_simd.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

// The build's baseline target (one-lane vectors) holds nothing: the scalar forms are the
// reference in demosaic.cpp and its neighbours.
#if HWY_TARGET != HWY_SCALAR
HWY_BEFORE_NAMESPACE();
namespace demosaic_simd {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using DI = hn::ScalableTag<std::int32_t>;
using DU32 = hn::ScalableTag<std::uint32_t>;
using DU16 = hn::ScalableTag<std::uint16_t>;
using DF = hn::ScalableTag<float>;
using VI = hn::Vec<DI>;

// Samples of one row at columns x0 + 2k + d for d = -2 .. 3 (index d + 2): one load at
// column x0 + o holds columns x0 + o + 2k in the low halves of its 32-bit lanes and
// x0 + o + 1 + 2k in the high halves.
struct RowSamples {
    VI at[6];
};

HWY_INLINE RowSamples LoadRow(const std::uint16_t* row, int x0) {
    const DI di;
    const DU32 du32;
    const DU16 du16;
    RowSamples samples;
    for (int load = 0; load < 3; ++load) {
        const auto v = hn::BitCast(du32, hn::LoadU(du16, row + x0 - 2 + 2 * load));
        samples.at[2 * load] = hn::BitCast(di, hn::And(v, hn::Set(du32, 0xFFFFu)));
        samples.at[2 * load + 1] = hn::BitCast(di, hn::ShiftRight<16>(v));
    }
    return samples;
}

struct RowPairs {
    VI even, odd;
};

HWY_INLINE RowPairs LoadPairs(const std::uint16_t* row, int x0) {
    const DI di;
    const DU32 du32;
    const DU16 du16;
    const auto v = hn::BitCast(du32, hn::LoadU(du16, row + x0));
    return {hn::BitCast(di, hn::And(v, hn::Set(du32, 0xFFFFu))), hn::BitCast(di, hn::ShiftRight<16>(v))};
}

struct Neighbourhood {
    VI centre, west1, east1, west2, east2, north1, south1, north2, south2;
    VI northWest, northEast, southWest, southEast;
};

HWY_INLINE Neighbourhood MakeNeighbourhood(const RowSamples& up1, const RowSamples& current,
                                           const RowSamples& down1, int site) {
    const int i = 2 + site;
    const VI zero = hn::Zero(DI());
    return {current.at[i],
            current.at[i - 1],
            current.at[i + 1],
            current.at[i - 2],
            current.at[i + 2],
            up1.at[i],
            down1.at[i],
            zero,
            zero,
            up1.at[i - 1],
            up1.at[i + 1],
            down1.at[i - 1],
            down1.at[i + 1]};
}

HWY_INLINE VI Add4(VI a, VI b, VI c, VI d) {
    return hn::Add(hn::Add(a, b), hn::Add(c, d));
}

HWY_INLINE VI Average2(VI a, VI b) {
    return hn::ShiftRight<1>(hn::Add(hn::Add(a, b), hn::Set(DI(), 1)));
}

HWY_INLINE VI Average4(VI a, VI b, VI c, VI d) {
    return hn::ShiftRight<2>(hn::Add(Add4(a, b, c, d), hn::Set(DI(), 2)));
}

HWY_INLINE VI Gradient(VI a, VI b) {
    return hn::ShiftRight<10>(hn::Abs(hn::Sub(a, b)));
}

// The square of lanes below 2^15, from one pairwise multiply-add of 16-bit halves (the
// high halves are 0): a cheaper instruction than a 32-bit multiplication.
HWY_INLINE VI Square(VI a) {
    const DI di;
    const hn::Repartition<std::int16_t, DI> di16;
    VI unused = hn::Zero(di);
    return hn::ReorderWidenMulAccumulate(di, hn::BitCast(di16, a), hn::BitCast(di16, a), hn::Zero(di),
                                         unused);
}

HWY_INLINE VI Times(VI a, int factor) {
    return hn::Mul(a, hn::Set(DI(), factor));
}

// The integer part of floats known to lie within the int32 range. Highway's ConvertTo also
// mends conversions that overflow, a compare and a blend more for every vector; the
// quotients here never overflow, so the x86 forms take the truncating conversion alone.
HWY_INLINE VI TruncateInRange(hn::Vec<DF> v) {
#if HWY_TARGET <= HWY_AVX3
    return VI{_mm512_cvttps_epi32(v.raw)};
#elif HWY_TARGET == HWY_AVX2
    return VI{_mm256_cvttps_epi32(v.raw)};
#elif HWY_TARGET == HWY_SSE4
    return VI{_mm_cvttps_epi32(v.raw)};
#else
    return hn::ConvertTo(DI(), v);
#endif
}

// n div d for 0 <= n < 2^24 and 1 <= d < 2^24: exact in floats, and truncation of the
// rounded quotient gives the integer quotient (see demosaic_avx2.cpp).
HWY_INLINE VI SmallQuotient(VI n, VI d) {
    const DF df;
    return TruncateInRange(hn::Div(hn::ConvertTo(df, n), hn::ConvertTo(df, d)));
}

// n div d clamped to 0 .. 65535 for any int32 n and 1 <= d <= 32767: the float estimate,
// capped at 65536, corrected by the remainder (see demosaic_avx2.cpp). Where every n of the
// vector is below 2^24 the truncated float quotient is exact already (as in SmallQuotient),
// and the correction is left out: numerators are that small unless a weight is large.
HWY_INLINE VI ClampedQuotient(VI n, VI d) {
    const DI di;
    const DF df;
    n = hn::Max(n, hn::Zero(di));
    if (hn::AllTrue(di, hn::Lt(n, hn::Set(di, 1 << 24))))
        return hn::Min(SmallQuotient(n, d), hn::Set(di, 65535));
    auto estimate = hn::Div(hn::ConvertTo(df, n), hn::ConvertTo(df, d));
    estimate = hn::Min(estimate, hn::Set(df, 65536.0f));
    VI q = TruncateInRange(estimate);
    const VI remainder = hn::Sub(n, hn::Mul(q, d));
    q = hn::Add(q, hn::ShiftRight<31>(remainder));
    q = hn::Sub(q, hn::VecFromMask(di, hn::Gt(remainder, hn::Sub(d, hn::Set(di, 1)))));
    return hn::Min(q, hn::Set(di, 65535));
}

struct TwoColours {
    VI first, second;
};

HWY_INLINE TwoColours AdaptiveDiagonalSite(const Neighbourhood& n) {
    const DI di;
    const VI two = hn::Set(di, 2);
    const VI a = Gradient(n.west2, n.east2);
    const VI b = Gradient(n.west1, n.east1);
    const VI bSquared = Square(b);
    const VI c = Gradient(n.northWest, n.southEast);
    const VI weightGreen = SmallQuotient(hn::ShiftLeft<1>(Square(a)), hn::Add(bSquared, two));
    const VI weightDiagonal = SmallQuotient(hn::ShiftLeft<2>(bSquared), hn::Add(Square(c), two));
    const VI cross1 = Add4(n.north1, n.south1, n.west1, n.east1);
    const VI cross2 = Add4(n.north2, n.south2, n.west2, n.east2);
    const VI diagonals = Add4(n.northWest, n.northEast, n.southWest, n.southEast);
    const VI greenNumerator =
        hn::Sub(hn::Add(hn::Mul(hn::Add(weightGreen, two), cross1), hn::ShiftLeft<2>(n.centre)), cross2);
    const VI greenDenominator = hn::Add(hn::ShiftLeft<2>(weightGreen), hn::Set(di, 8));
    const VI diagonalNumerator =
        hn::Sub(hn::Add(hn::Mul(hn::Add(weightDiagonal, hn::Set(di, 4)), diagonals), Times(n.centre, 12)),
                Times(cross2, 3));
    const VI diagonalDenominator = hn::Add(hn::ShiftLeft<2>(weightDiagonal), hn::Set(di, 16));
    return {ClampedQuotient(greenNumerator, greenDenominator),
            ClampedQuotient(diagonalNumerator, diagonalDenominator)};
}

HWY_INLINE TwoColours AdaptiveGreenSite(const Neighbourhood& n, VI sameColourGradient) {
    const DI di;
    const VI two = hn::Set(di, 2);
    const VI sixteen = hn::Set(di, 16);
    const VI eight = hn::Set(di, 8);
    const VI aSquared4 = hn::ShiftLeft<2>(Square(sameColourGradient));
    const VI horizontalGradient = Gradient(n.west1, n.east1);
    const VI verticalGradient = Gradient(n.north1, n.south1);
    const VI weightHorizontal = SmallQuotient(aSquared4, hn::Add(Square(horizontalGradient), two));
    const VI weightVertical = SmallQuotient(aSquared4, hn::Add(Square(verticalGradient), two));
    const VI diagonals2 = hn::ShiftLeft<1>(Add4(n.northWest, n.northEast, n.southWest, n.southEast));
    const VI common = hn::Sub(Times(n.centre, 10), diagonals2);
    const VI horizontal1 = hn::Add(n.west1, n.east1);
    const VI horizontal2 = hn::Add(n.west2, n.east2);
    const VI vertical1 = hn::Add(n.north1, n.south1);
    const VI vertical2 = hn::Add(n.north2, n.south2);
    const VI horizontalNumerator =
        hn::Add(hn::Add(hn::Mul(hn::Add(weightHorizontal, eight), horizontal1), common),
                hn::Sub(vertical2, hn::ShiftLeft<1>(horizontal2)));
    const VI verticalNumerator = hn::Add(hn::Add(hn::Mul(hn::Add(weightVertical, eight), vertical1), common),
                                         hn::Sub(horizontal2, hn::ShiftLeft<1>(vertical2)));
    return {ClampedQuotient(horizontalNumerator, hn::Add(hn::ShiftLeft<1>(weightHorizontal), sixteen)),
            ClampedQuotient(verticalNumerator, hn::Add(hn::ShiftLeft<1>(weightVertical), sixteen))};
}

template <int shift>
HWY_INLINE VI ClampedShift(VI n) {
    const DI di;
    return hn::Min(hn::Max(hn::ShiftRight<shift>(n), hn::Zero(di)), hn::Set(di, 65535));
}

HWY_INLINE TwoColours UnweightedDiagonalSite(const Neighbourhood& n) {
    const VI cross1 = Add4(n.north1, n.south1, n.west1, n.east1);
    const VI cross2 = Add4(n.north2, n.south2, n.west2, n.east2);
    const VI diagonals = Add4(n.northWest, n.northEast, n.southWest, n.southEast);
    const VI green = hn::Sub(hn::Add(hn::ShiftLeft<1>(cross1), hn::ShiftLeft<2>(n.centre)), cross2);
    const VI diagonal = hn::Sub(hn::Add(hn::ShiftLeft<2>(diagonals), Times(n.centre, 12)), Times(cross2, 3));
    return {ClampedShift<3>(green), ClampedShift<4>(diagonal)};
}

HWY_INLINE TwoColours UnweightedGreenSite(const Neighbourhood& n) {
    const VI common = hn::Sub(Times(n.centre, 10),
                              hn::ShiftLeft<1>(Add4(n.northWest, n.northEast, n.southWest, n.southEast)));
    const VI horizontal1 = hn::Add(n.west1, n.east1);
    const VI horizontal2 = hn::Add(n.west2, n.east2);
    const VI vertical1 = hn::Add(n.north1, n.south1);
    const VI vertical2 = hn::Add(n.north2, n.south2);
    const VI horizontal = hn::Add(hn::Add(hn::ShiftLeft<3>(horizontal1), common),
                                  hn::Sub(vertical2, hn::ShiftLeft<1>(horizontal2)));
    const VI vertical = hn::Add(hn::Add(hn::ShiftLeft<3>(vertical1), common),
                                hn::Sub(horizontal2, hn::ShiftLeft<1>(vertical2)));
    return {ClampedShift<4>(horizontal), ClampedShift<4>(vertical)};
}

HWY_INLINE VI Difference(VI a, VI b) {
    return hn::Abs(hn::Sub(a, b));
}

// True when every weight of the block is 0 (see demosaic_avx2.cpp).
HWY_INLINE bool WeightsAllZero(const Neighbourhood& diagonalSites, VI greenA1, VI greenA2) {
    const DI di;
    const VI differences = hn::Or(hn::Or(Difference(diagonalSites.west2, diagonalSites.east2),
                                         Difference(diagonalSites.west1, diagonalSites.east1)),
                                  Difference(greenA1, greenA2));
    return hn::AllTrue(di, hn::Eq(hn::And(differences, hn::Set(di, ~1023)), hn::Zero(di)));
}

// The demosaiced row of each colour before the horizontal post-filter. The planes hold every
// sample less 32768, as a signed 16-bit value (the top bit flipped): the post-filter's
// multiply-adds take signed samples.
struct Planes {
    std::uint16_t* red;
    std::uint16_t* green;
    std::uint16_t* blue;
};

constexpr std::uint16_t kPlaneBias = 0x8000;

// The consecutive samples of a block from the values of its even and its odd sites.
HWY_INLINE void StoreSites(std::uint16_t* plane, int x0, VI even, VI odd) {
    const DU32 du32;
    const DU16 du16;
    const auto packed = hn::Or(hn::BitCast(du32, even), hn::ShiftLeft<16>(hn::BitCast(du32, odd)));
    hn::StoreU(hn::BitCast(du16, hn::Xor(packed, hn::Set(du32, 0x80008000u))), du16, plane + x0);
}

HWY_INLINE void AdaptiveBlock(const demosaic::BayerRows& rows, int x0, const Planes& out) {
    const RowSamples up1 = LoadRow(rows.up1, x0);
    const RowSamples current = LoadRow(rows.current, x0);
    const RowSamples down1 = LoadRow(rows.down1, x0);
    const RowPairs up2 = LoadPairs(rows.up2, x0);
    const RowPairs down2 = LoadPairs(rows.down2, x0);
    Neighbourhood even = MakeNeighbourhood(up1, current, down1, 0);
    even.north2 = up2.even;
    even.south2 = down2.even;
    Neighbourhood odd = MakeNeighbourhood(up1, current, down1, 1);
    odd.north2 = up2.odd;
    odd.south2 = down2.odd;
    const bool unweighted = rows.redRow ? WeightsAllZero(even, odd.west2, odd.east2)
                                        : WeightsAllZero(odd, even.north2, even.south2);
    TwoColours evenSite, oddSite;
    if (rows.redRow) {
        evenSite = unweighted ? UnweightedDiagonalSite(even) : AdaptiveDiagonalSite(even);  // green, blue
        oddSite = unweighted ? UnweightedGreenSite(odd)
                             : AdaptiveGreenSite(odd, Gradient(odd.west2, odd.east2));  // red, blue
        StoreSites(out.red, x0, even.centre, oddSite.first);
        StoreSites(out.green, x0, evenSite.first, odd.centre);
        StoreSites(out.blue, x0, evenSite.second, oddSite.second);
    } else {
        evenSite = unweighted ? UnweightedGreenSite(even)
                              : AdaptiveGreenSite(even, Gradient(even.north2, even.south2));  // blue, red
        oddSite = unweighted ? UnweightedDiagonalSite(odd) : AdaptiveDiagonalSite(odd);       // green, red
        StoreSites(out.red, x0, evenSite.second, oddSite.second);
        StoreSites(out.green, x0, even.centre, oddSite.first);
        StoreSites(out.blue, x0, evenSite.first, odd.centre);
    }
}

HWY_INLINE void BilinearBlock(const demosaic::BayerRows& rows, int x0, const Planes& out) {
    const RowSamples up1 = LoadRow(rows.up1, x0);
    const RowSamples current = LoadRow(rows.current, x0);
    const RowSamples down1 = LoadRow(rows.down1, x0);
    const Neighbourhood even = MakeNeighbourhood(up1, current, down1, 0);
    const Neighbourhood odd = MakeNeighbourhood(up1, current, down1, 1);
    if (rows.redRow) {
        StoreSites(out.red, x0, even.centre, Average2(odd.west1, odd.east1));
        StoreSites(out.green, x0, Average4(even.west1, even.east1, even.north1, even.south1), odd.centre);
        StoreSites(out.blue, x0, Average4(even.northWest, even.northEast, even.southWest, even.southEast),
                   Average2(odd.north1, odd.south1));
    } else {
        StoreSites(out.red, x0, Average2(even.north1, even.south1),
                   Average4(odd.northWest, odd.northEast, odd.southWest, odd.southEast));
        StoreSites(out.green, x0, even.centre, Average4(odd.west1, odd.east1, odd.north1, odd.south1));
        StoreSites(out.blue, x0, Average2(even.west1, even.east1), odd.centre);
    }
}

void ScalarPixel(const demosaic::BayerRows& rows, demosaic::RowRule rule, int x, const Planes& out) {
    std::uint16_t pixel[3];
    demosaic::interpolatePixel(rows, rule, x, pixel);
    out.red[x] = pixel[0] ^ kPlaneBias;
    out.green[x] = pixel[1] ^ kPlaneBias;
    out.blue[x] = pixel[2] ^ kPlaneBias;
}

// Vector blocks over columns 2 .. width - 3, the last one overlapping the one before it when
// it starts on an even column; the columns left over are the caller's. Gives the first of
// them. One loop for each block kind, so that the block is inlined into it.
template <void (*Block)(const demosaic::BayerRows&, int, const Planes&)>
int BlocksOfRow(const demosaic::BayerRows& rows, const Planes& out) {
    const int blockPixels = static_cast<int>(2 * hn::Lanes(DI()));
    const int lastInterior = rows.width - 3;
    int x = 2;
    if (lastInterior - 2 + 1 < blockPixels) return x;
    for (; x + blockPixels - 1 <= lastInterior; x += blockPixels) Block(rows, x, out);
    const int lastBlock = lastInterior - blockPixels + 1;
    if (x <= lastInterior && lastBlock % 2 == 0) {
        Block(rows, lastBlock, out);
        x = lastInterior + 1;
    }
    return x;
}

// Vector blocks where the rule has both neighbouring rows, the scalar rules everywhere else.
void InterpolateRow(const demosaic::BayerRows& rows, demosaic::RowRule rule, const Planes& out) {
    int x = 2;
    if (rule == demosaic::RowRule::kAdaptive) x = BlocksOfRow<AdaptiveBlock>(rows, out);
    if (rule == demosaic::RowRule::kBilinear) x = BlocksOfRow<BilinearBlock>(rows, out);
    for (int column = 0; column < 2; ++column) ScalarPixel(rows, rule, column, out);
    for (; x < rows.width; ++x) ScalarPixel(rows, rule, x, out);
}

enum class Kernel { kCopy, kBlur, kSharpen };

struct FilterWeights {
    int side, centre, shift;
};

constexpr FilterWeights kSharpenWeights[3] = {{4, 10, 4}, {2, 6, 3}, {1, 4, 2}};

// One filtered sample of a plane at x, as the horizontal post-filter defines it.
std::uint16_t FilterSample(Kernel kind, const std::uint16_t* plane, int x, const FilterWeights& weights) {
    const auto at = [&](int offset) { return static_cast<int>(plane[x + offset] ^ kPlaneBias); };
    if (kind == Kernel::kCopy) return static_cast<std::uint16_t>(at(0));
    if (kind == Kernel::kBlur) return static_cast<std::uint16_t>((at(-1) + 2 * at(0) + at(1)) >> 2);
    const int sum = weights.side * (at(-1) + at(1)) + weights.centre * at(0) - at(-2) - at(2);
    return static_cast<std::uint16_t>(std::clamp(sum >> weights.shift, 0, 65535));
}

// The filter's weights as vectors of 16-bit pairs, made once for a row.
struct PairWeights {
    hn::Vec<hn::Repartition<std::int16_t, DU16>> before, middle, after;
    int shift;
};

template <Kernel kind>
HWY_INLINE PairWeights MakePairWeights(const FilterWeights& weights) {
    const hn::Repartition<std::int16_t, DU16> di16;
    const DI di;
    // Lane pairs (first, second) as one 32-bit value.
    const auto pair = [&](int first, int second) {
        const std::uint32_t value =
            (static_cast<std::uint32_t>(second) << 16) | static_cast<std::uint16_t>(first);
        return hn::BitCast(di16, hn::Set(di, static_cast<std::int32_t>(value)));
    };
    if constexpr (kind == Kernel::kBlur) return {pair(1, 2), pair(1, 0), pair(0, 0), 2};
    return {pair(-1, weights.side), pair(weights.centre, weights.side), pair(-1, 0), weights.shift};
}

// One vector of filtered samples of a plane from x on, from 16-bit products summed in pairs.
// A 32-bit lane k of the samples loaded from x + o holds the pair at x + o + 2k, so the even
// outputs x + 2k are multiply-adds of the loads from x - 2, x and x + 2 (sharpening: weights
// (-1, side), (centre, side), (-1, 0); blurring: from x - 1 and x + 1, (1, 2) and (1, 0))
// and the odd ones of the loads one column on. The plane's samples are less 32768 already;
// the weights add up to 1 << shift, so each sum is the unsigned one less 32768 << shift, and
// the arithmetic shift gives the unsigned result less 32768 exactly. The signed saturating
// narrowing clamps it, packing the even and the odd results of each 128-bit block side by
// side; a byte shuffle within the blocks puts them in column order, and flipping the top bit
// gives 0 .. 65535.
template <Kernel kind>
HWY_INLINE hn::Vec<DU16> FilterVector(const std::uint16_t* plane, int x, const PairWeights& weights) {
    const DU16 du16;
    const auto bias = hn::Set(du16, kPlaneBias);
    if constexpr (kind == Kernel::kCopy) {
        return hn::Xor(hn::LoadU(du16, plane + x), bias);
    } else {
        const hn::Repartition<std::int16_t, DU16> di16;
        const DI di;
        const auto at = [&](int offset) { return hn::BitCast(di16, hn::LoadU(du16, plane + x + offset)); };
        VI unused = hn::Zero(di);
        VI even, odd;
        if constexpr (kind == Kernel::kBlur) {
            even = hn::ReorderWidenMulAccumulate(di, at(-1), weights.before, hn::Zero(di), unused);
            even = hn::ReorderWidenMulAccumulate(di, at(1), weights.middle, even, unused);
            odd = hn::ReorderWidenMulAccumulate(di, at(0), weights.before, hn::Zero(di), unused);
            odd = hn::ReorderWidenMulAccumulate(di, at(2), weights.middle, odd, unused);
        } else {
            even = hn::ReorderWidenMulAccumulate(di, at(-2), weights.before, hn::Zero(di), unused);
            even = hn::ReorderWidenMulAccumulate(di, at(0), weights.middle, even, unused);
            even = hn::ReorderWidenMulAccumulate(di, at(2), weights.after, even, unused);
            odd = hn::ReorderWidenMulAccumulate(di, at(-1), weights.before, hn::Zero(di), unused);
            odd = hn::ReorderWidenMulAccumulate(di, at(1), weights.middle, odd, unused);
            odd = hn::ReorderWidenMulAccumulate(di, at(3), weights.after, odd, unused);
        }
        const int shift = kind == Kernel::kBlur ? 2 : weights.shift;
        const auto narrowed = hn::BitCast(du16, hn::ReorderDemote2To(di16, hn::ShiftRightSame(even, shift),
                                                                     hn::ShiftRightSame(odd, shift)));
#if HWY_TARGET <= HWY_AVX3
        // Interleave3 takes the samples as they lie.
        return hn::Xor(narrowed, bias);
#else
        const hn::Repartition<std::uint8_t, DU16> du8;
        alignas(16) static constexpr std::uint8_t kColumnOrder[16] = {0, 1, 8,  9,  2, 3, 10, 11,
                                                                      4, 5, 12, 13, 6, 7, 14, 15};
        const auto ordered =
            hn::TableLookupBytes(hn::BitCast(du8, narrowed), hn::LoadDup128(du8, kColumnOrder));
        return hn::Xor(hn::BitCast(du16, ordered), bias);
#endif
    }
}

#if HWY_TARGET <= HWY_AVX3
// The word indices of Interleave3: for output vector k, first red or green (index 32 up: the
// second source) by pixel, then the result kept (its own index) or blue by pixel.
struct InterleaveIndices {
    alignas(64) std::uint16_t redGreen[3][32];
    alignas(64) std::uint16_t thenBlue[3][32];
};

// Where pixel p of a filtered vector lies: in column order, or (pairOrder) as the filter's
// narrowing leaves it, each 128-bit block holding its four even pixels and then its four odd.
constexpr int LaneOfPixel(int pixel, bool pairOrder) {
    if (!pairOrder) return pixel;
    const int inBlock = pixel % 8;
    return 8 * (pixel / 8) + (inBlock % 2 == 1 ? 4 : 0) + inBlock / 2;
}

constexpr InterleaveIndices MakeInterleaveIndices(bool pairOrder) {
    InterleaveIndices indices{};
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 32; ++j) {
            const int sample = 32 * k + j;
            const int lane = LaneOfPixel(sample / 3, pairOrder);
            const int colour = sample % 3;
            indices.redGreen[k][j] = static_cast<std::uint16_t>(colour == 1 ? 32 + lane : lane);
            indices.thenBlue[k][j] = static_cast<std::uint16_t>(colour == 2 ? 32 + lane : j);
        }
    return indices;
}

// Red, green and blue vectors of 32 samples as 96 interleaved samples at out: each output
// vector from two two-source word permutations, where Highway's portable form takes byte
// shuffles within blocks and block moves, three times the instructions. The filtered
// vectors of kind are taken in the order FilterVector leaves them.
template <Kernel kind>
class Interleave3 {
public:
    Interleave3() {
        static constexpr InterleaveIndices kIndices = MakeInterleaveIndices(kind != Kernel::kCopy);
        for (int k = 0; k < 3; ++k) {
            redGreen_[k] = _mm512_load_si512(kIndices.redGreen[k]);
            thenBlue_[k] = _mm512_load_si512(kIndices.thenBlue[k]);
        }
    }
    HWY_INLINE void Store(hn::Vec<DU16> red, hn::Vec<DU16> green, hn::Vec<DU16> blue,
                          std::uint16_t* out) const {
        for (int k = 0; k < 3; ++k) {
            const __m512i pairs = _mm512_permutex2var_epi16(red.raw, redGreen_[k], green.raw);
            _mm512_storeu_si512(out + 32 * k, _mm512_permutex2var_epi16(pairs, thenBlue_[k], blue.raw));
        }
    }

private:
    __m512i redGreen_[3];
    __m512i thenBlue_[3];
};
#else
template <Kernel kind>
struct Interleave3 {
    HWY_INLINE void Store(hn::Vec<DU16> red, hn::Vec<DU16> green, hn::Vec<DU16> blue,
                          std::uint16_t* out) const {
        hn::StoreInterleaved3(red, green, blue, DU16(), out);
    }
};
#endif

// Filters columns first .. last into the RGB row: whole vectors where there are enough
// columns, the last one overlapping the one before it; single samples otherwise.
template <Kernel kind>
void FilterRange(const Planes& in, std::uint16_t* rgbRow, int first, int last, const FilterWeights& weights) {
    const DU16 du16;
    const int lanes = static_cast<int>(hn::Lanes(du16));
    if (last - first + 1 < lanes) {
        for (int x = first; x <= last; ++x) {
            rgbRow[3 * x] = FilterSample(kind, in.red, x, weights);
            rgbRow[3 * x + 1] = FilterSample(kind, in.green, x, weights);
            rgbRow[3 * x + 2] = FilterSample(kind, in.blue, x, weights);
        }
        return;
    }
    const PairWeights pairs = MakePairWeights<kind>(weights);
    const Interleave3<kind> interleave;
    const std::uint16_t* const red = in.red;
    const std::uint16_t* const green = in.green;
    const std::uint16_t* const blue = in.blue;
    for (int x = first;; x += lanes) {
        if (x > last - lanes + 1) x = last - lanes + 1;
        interleave.Store(FilterVector<kind>(red, x, pairs), FilterVector<kind>(green, x, pairs),
                         FilterVector<kind>(blue, x, pairs), rgbRow + 3 * x);
        if (x == last - lanes + 1) break;
    }
}

void SetPixel(const Planes& in, std::uint16_t* rgbRow, int x, Kernel kind) {
    const FilterWeights none{0, 0, 0};
    rgbRow[3 * x] = FilterSample(kind, in.red, x, none);
    rgbRow[3 * x + 1] = FilterSample(kind, in.green, x, none);
    rgbRow[3 * x + 2] = FilterSample(kind, in.blue, x, none);
}

void FilterRow(const Planes& in, std::uint16_t* rgbRow, int width, int level) {
    const FilterWeights blur{1, 2, 2};
    if (level < 0 || level > 3) {
        FilterRange<Kernel::kCopy>(in, rgbRow, 0, width - 1, blur);
        return;
    }
    SetPixel(in, rgbRow, 0, Kernel::kCopy);
    SetPixel(in, rgbRow, width - 1, Kernel::kCopy);
    if (level == 0) {
        FilterRange<Kernel::kBlur>(in, rgbRow, 1, width - 2, blur);
        return;
    }
    SetPixel(in, rgbRow, 1, Kernel::kBlur);
    SetPixel(in, rgbRow, width - 2, Kernel::kBlur);
    FilterRange<Kernel::kSharpen>(in, rgbRow, 2, width - 3, kSharpenWeights[level - 1]);
}

void DemosaicRow(const std::uint16_t* bayer, std::size_t bayerStride, int width, int height, int row,
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
    InterpolateRow(rows, demosaic::rowRule(height, row, mode), planes);
    FilterRow(planes, rgbRow, width, level);
}

struct VerticalWeights {
    int preShift, outerShift, centre, side;
};

constexpr VerticalWeights kVerticalWeights[3] = {{4, 5, 5, 2}, {4, 4, 6, 2}, {3, 3, 4, 1}};

// One vector of vertically filtered samples, in 16-bit steps as the scalar form takes them.
template <int level>
HWY_INLINE hn::Vec<DU16> VerticalVector(hn::Vec<DU16> up2, hn::Vec<DU16> up1, hn::Vec<DU16> centre,
                                        hn::Vec<DU16> down1, hn::Vec<DU16> down2) {
    const DU16 du16;
    if constexpr (level == 0) {
        (void)up2;
        (void)down2;
        const auto value =
            hn::SaturatedAdd(hn::ShiftRight<2>(up1), hn::ShiftLeft<1>(hn::ShiftRight<2>(centre)));
        return hn::SaturatedAdd(value, hn::ShiftRight<2>(down1));
    } else {
        constexpr VerticalWeights weights = kVerticalWeights[level - 1];
        const auto side = hn::Set(du16, static_cast<std::uint16_t>(weights.side));
        auto value = hn::Mul(hn::ShiftRight<weights.preShift>(centre),
                             hn::Set(du16, static_cast<std::uint16_t>(weights.centre)));
        value = hn::SaturatedSub(value, hn::ShiftRight<weights.outerShift>(up2));
        value = hn::SaturatedSub(value, hn::ShiftRight<weights.outerShift>(down2));
        value = hn::SaturatedAdd(value, hn::Mul(hn::ShiftRight<weights.preShift>(up1), side));
        value = hn::SaturatedAdd(value, hn::Mul(hn::ShiftRight<weights.preShift>(down1), side));
        return hn::ShiftLeft<1>(hn::Min(value, hn::Set(du16, std::uint16_t{32767})));
    }
}

template <int level>
void VerticalRow(const std::uint16_t* const rows[5], std::uint16_t* out, std::size_t samples) {
    const DU16 du16;
    const std::size_t lanes = hn::Lanes(du16);
    for (std::size_t i = 0;; i += lanes) {
        if (i > samples - lanes) i = samples - lanes;
        hn::StoreU(VerticalVector<level>(hn::LoadU(du16, rows[0] + i), hn::LoadU(du16, rows[1] + i),
                                         hn::LoadU(du16, rows[2] + i), hn::LoadU(du16, rows[3] + i),
                                         hn::LoadU(du16, rows[4] + i)),
                   du16, out + i);
        if (i == samples - lanes) break;
    }
}

// The same row written into the frame past the caches, where every vector of it lands on a
// vector boundary: nothing reads the frame again while it is being made, and plain stores
// would first read every line they write. Only from AVX2 up, whose band kernels fence the
// streaming stores (finishRowStores); other rows are stored plainly.
template <int level>
void VerticalRowToFrame(const std::uint16_t* const rows[5], std::uint16_t* out, std::size_t samples) {
#if HWY_TARGET <= HWY_AVX2
    const DU16 du16;
    const std::size_t lanes = hn::Lanes(du16);
    if (reinterpret_cast<std::uintptr_t>(out) % (lanes * sizeof(std::uint16_t)) == 0 &&
        samples % lanes == 0) {
        for (std::size_t i = 0; i < samples; i += lanes)
            hn::Stream(VerticalVector<level>(hn::LoadU(du16, rows[0] + i), hn::LoadU(du16, rows[1] + i),
                                             hn::LoadU(du16, rows[2] + i), hn::LoadU(du16, rows[3] + i),
                                             hn::LoadU(du16, rows[4] + i)),
                       du16, out + i);
        return;
    }
#endif
    VerticalRow<level>(rows, out, samples);
}

using VerticalRowKernel = void (*)(const std::uint16_t* const*, std::uint16_t*, std::size_t);

void VerticalFilterWith(const VerticalRowKernel (&filters)[4], const std::uint16_t* const rows[5],
                        std::uint16_t* out, std::size_t samples, int level) {
    if (level < 0 || level > 3) return;
    if (samples < hn::Lanes(DU16())) {
        verticalFilterRowReference(rows, out, samples, level);
        return;
    }
    filters[level](rows, out, samples);
}

void VerticalFilterRow(const std::uint16_t* const rows[5], std::uint16_t* out, std::size_t samples,
                       int level) {
    static constexpr VerticalRowKernel kFilters[4] = {VerticalRow<0>, VerticalRow<1>, VerticalRow<2>,
                                                      VerticalRow<3>};
    VerticalFilterWith(kFilters, rows, out, samples, level);
}

void VerticalFilterRowToFrame(const std::uint16_t* const rows[5], std::uint16_t* out, std::size_t samples,
                              int level) {
    static constexpr VerticalRowKernel kFilters[4] = {VerticalRowToFrame<0>, VerticalRowToFrame<1>,
                                                      VerticalRowToFrame<2>, VerticalRowToFrame<3>};
    VerticalFilterWith(kFilters, rows, out, samples, level);
}

}  // namespace HWY_NAMESPACE
}  // namespace demosaic_simd
HWY_AFTER_NAMESPACE();
#endif  // HWY_TARGET != HWY_SCALAR

#if HWY_ONCE
namespace demosaic_simd {

RowKernels rowKernels(platform::SimdForm form) {
    switch (form) {
#if HWY_TARGETS & HWY_SSE4
        case platform::SimdForm::kSse4:
            return {N_SSE4::DemosaicRow, N_SSE4::VerticalFilterRow, N_SSE4::VerticalFilterRowToFrame};
#endif
#if HWY_TARGETS & HWY_AVX2
        case platform::SimdForm::kAvx2:
            return {N_AVX2::DemosaicRow, N_AVX2::VerticalFilterRow, N_AVX2::VerticalFilterRowToFrame};
#endif
#if HWY_TARGETS & HWY_AVX3
        case platform::SimdForm::kAvx512:
            return {N_AVX3::DemosaicRow, N_AVX3::VerticalFilterRow, N_AVX3::VerticalFilterRowToFrame};
#endif
        default:
            return {demosaicRowReference, verticalFilterRowReference, verticalFilterRowReference};
    }
}

}  // namespace demosaic_simd
#endif  // HWY_ONCE
