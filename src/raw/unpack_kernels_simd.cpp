// The vector forms of the unpack kernels (unpack_kernels.h), one source built for every
// x86 target Highway knows (SSE4, AVX2, AVX-512): a processor without AVX-512 still runs
// and tests the very code an AVX-512 processor runs, only with narrower vectors.
#include "raw/unpack_kernels_simd.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "raw/packed_group14.h"
#include "raw/unpack_kernels.h"

// SSSE3 alone gains nothing over SSE4 here; the targets kept are those of platform::SimdForm.
#ifndef HWY_DISABLED_TARGETS
#define HWY_DISABLED_TARGETS HWY_SSSE3
#endif
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "raw/unpack_kernels_simd.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

// The build's baseline target (one-lane vectors) is compiled too, but holds nothing: the
// scalar form is the reference in unpack_kernels.cpp.
#if HWY_TARGET != HWY_SCALAR
HWY_BEFORE_NAMESPACE();
namespace unpack_simd {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

constexpr std::size_t kGroupBytes = kGroup14Bytes;
constexpr std::size_t kGroupSamples = kGroup14Samples;

// One group in every 16-byte block: the block at b holds bytes 14 b .. 14 b + 15 from p, so
// a vector of B blocks reads 14 B + 2 bytes.
template <class D8>
HWY_INLINE hn::Vec<D8> LoadGroups(D8 d8, const std::uint8_t* p) {
    if constexpr (hn::MaxLanes(D8()) <= 16) {
        return hn::LoadU(d8, p);
    } else {
        const hn::Half<D8> half;
        return hn::Combine(d8, LoadGroups(half, p + kGroupBytes * (hn::MaxLanes(half) / 16)),
                           LoadGroups(half, p));
    }
}

// Eight samples from the seven words w0 .. w6 of a block. Sample k starts 14 k bits into the
// string w0 w1 ... (most significant bit first): it is the low 14 bits of
//   (w[j] << (14 k mod 16 - 2)) | (w[j + 1] >> (18 - 14 k mod 16)),   j = 14 k div 16,
// which for k = 1 .. 7 has j = k - 1 and for k = 0 is w0 >> 2. So with the words as they
// lie (the second term, lane k holds w[k]) and moved up one lane (the first term), the
// shifts become multiplications: low products for the left shifts, high products by
// 2^(16 - n) for the right shifts. Lane 7's second term would come from the byte pair after
// the group, which its factor 0 discards.
template <class D16>
HWY_INLINE hn::Vec<D16> DecodeGroups(D16 d16, const std::uint8_t* p) {
    const hn::Repartition<std::uint8_t, D16> d8;
    alignas(16) static constexpr std::uint16_t kLeftFactors[8] = {1, 4096, 1024, 256, 64, 16, 4, 1};
    alignas(16) static constexpr std::uint16_t kRightFactors[8] = {16384, 4096, 1024, 256, 64, 16, 4, 0};
    const auto words = hn::BitCast(d16, LoadGroups(d8, p));
    const auto left = hn::Mul(hn::ShiftLeftLanes<1>(d16, words), hn::LoadDup128(d16, kLeftFactors));
    const auto right = hn::MulHigh(words, hn::LoadDup128(d16, kRightFactors));
    return hn::And(hn::Or(left, right), hn::Set(d16, 0x3FFF));
}

void UnpackGroups14(std::span<const std::uint8_t> packed, std::span<std::uint16_t> samples) {
    const hn::ScalableTag<std::uint16_t> d16;
    const std::size_t groupsPerVector = hn::Lanes(d16) / kGroupSamples;
    const std::size_t groups = samples.size() / kGroupSamples;
    const std::size_t vectorReads = groupsPerVector * kGroupBytes + 2;
    std::size_t group = 0;
    for (; group + groupsPerVector <= groups && group * kGroupBytes + vectorReads <= packed.size();
         group += groupsPerVector)
        hn::StoreU(DecodeGroups(d16, packed.data() + group * kGroupBytes), d16,
                   samples.data() + group * kGroupSamples);
    std::uint32_t decoded[kGroupSamples];
    for (; group < groups; ++group) {
        decodeGroup14(packed.data() + group * kGroupBytes, decoded);
        for (std::size_t k = 0; k < kGroupSamples; ++k)
            samples[group * kGroupSamples + k] = static_cast<std::uint16_t>(decoded[k]);
    }
}

// Table indices of one vector of samples, in two halves of 32-bit lanes. A black value is
// first clamped to +-2^17: beyond that every 16-bit sample lands on the same end of the
// table, and the difference fits 32 bits.
template <class D16>
struct Indices {
    hn::Vec<hn::Repartition<std::int32_t, D16>> lower, upper;
};

template <class D16>
HWY_INLINE Indices<D16> TableIndices(D16 d16, hn::Vec<D16> samples, const std::int32_t* black) {
    const hn::Repartition<std::int32_t, D16> d32;
    const hn::Half<D16> half;
    const auto largest = hn::Set(d32, kLargestToneIndex);
    if (black == nullptr) {
        const auto clamped = hn::Min(samples, hn::Set(d16, static_cast<std::uint16_t>(kLargestToneIndex)));
        return {hn::PromoteTo(d32, hn::LowerHalf(half, clamped)),
                hn::PromoteTo(d32, hn::UpperHalf(half, clamped))};
    }
    const auto least = hn::Set(d32, -131072);
    const auto most = hn::Set(d32, 131072);
    const std::size_t lanes32 = hn::Lanes(d32);
    const auto lowerBlack = hn::Min(hn::Max(hn::LoadU(d32, black), least), most);
    const auto upperBlack = hn::Min(hn::Max(hn::LoadU(d32, black + lanes32), least), most);
    const auto zero = hn::Zero(d32);
    const auto lower = hn::Sub(hn::PromoteTo(d32, hn::LowerHalf(half, samples)), lowerBlack);
    const auto upper = hn::Sub(hn::PromoteTo(d32, hn::UpperHalf(half, samples)), upperBlack);
    return {hn::Min(hn::Max(lower, zero), largest), hn::Min(hn::Max(upper, zero), largest)};
}

// Vector loops hand indices to the table lookups a piece at a time, small enough to stay in
// the first-level cache beside the table.
constexpr std::size_t kPieceSamples = 512;

// The lookups of one piece: plain loads. On the AMD EPYC (Zen 3) measured, this beat both
// AVX2 gathers of 32-bit entry pairs (0.69 against 1.10 ns a sample without a black frame,
// 0.50 against 0.78 with one) and an unrolled loop.
HWY_INLINE void LookUp(const std::int32_t* HWY_RESTRICT indices, std::size_t count,
                       const std::uint16_t* HWY_RESTRICT table, std::uint16_t* HWY_RESTRICT out) {
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const std::uint16_t v0 = table[indices[i]], v1 = table[indices[i + 1]], v2 = table[indices[i + 2]],
                            v3 = table[indices[i + 3]], v4 = table[indices[i + 4]],
                            v5 = table[indices[i + 5]], v6 = table[indices[i + 6]],
                            v7 = table[indices[i + 7]];
        out[i] = v0;
        out[i + 1] = v1;
        out[i + 2] = v2;
        out[i + 3] = v3;
        out[i + 4] = v4;
        out[i + 5] = v5;
        out[i + 6] = v6;
        out[i + 7] = v7;
    }
    for (; i < count; ++i) out[i] = table[indices[i]];
}

template <class D16>
HWY_INLINE void StoreIndices(const Indices<D16>& indices, std::int32_t* to) {
    const hn::Repartition<std::int32_t, D16> d32;
    hn::StoreU(indices.lower, d32, to);
    hn::StoreU(indices.upper, d32, to + hn::Lanes(d32));
}

void ToneMapSamples(std::span<const std::uint16_t> samples, std::span<const std::int32_t> black,
                    std::span<const std::uint16_t> table, std::span<std::uint16_t> out) {
    const hn::ScalableTag<std::uint16_t> d16;
    const std::size_t lanes = hn::Lanes(d16);
    const std::size_t count = samples.size();
    HWY_ALIGN std::int32_t indices[kPieceSamples];
    const std::int32_t* blackValues = black.empty() ? nullptr : black.data();
    for (std::size_t start = 0; start < count; start += kPieceSamples) {
        const std::size_t pieceCount = std::min(kPieceSamples, count - start);
        std::size_t i = 0;
        for (; i + lanes <= pieceCount; i += lanes)
            StoreIndices(TableIndices(d16, hn::LoadU(d16, samples.data() + start + i),
                                      blackValues ? blackValues + start + i : nullptr),
                         indices + i);
        for (; i < pieceCount; ++i)
            indices[i] = toneIndex(samples[start + i], blackValues ? blackValues[start + i] : 0);
        LookUp(indices, pieceCount, table.data(), out.data() + start);
    }
}

void UnpackToneMapped14(std::span<const std::uint8_t> packed, std::span<const std::int32_t> black,
                        std::span<const std::uint16_t> table, std::span<std::uint16_t> out) {
    const hn::ScalableTag<std::uint16_t> d16;
    const std::size_t lanes = hn::Lanes(d16);
    const std::size_t groupsPerVector = lanes / kGroupSamples;
    const std::size_t count = out.size() / kGroupSamples * kGroupSamples;
    const std::size_t vectorReads = groupsPerVector * kGroupBytes + 2;
    HWY_ALIGN std::int32_t indices[kPieceSamples];
    const std::int32_t* blackValues = black.empty() ? nullptr : black.data();
    for (std::size_t start = 0; start < count; start += kPieceSamples) {
        const std::size_t pieceCount = std::min(kPieceSamples, count - start);
        std::size_t i = 0;
        for (; i + lanes <= pieceCount &&
               (start + i) / kGroupSamples * kGroupBytes + vectorReads <= packed.size();
             i += lanes) {
            const std::uint8_t* groups = packed.data() + (start + i) / kGroupSamples * kGroupBytes;
            StoreIndices(
                TableIndices(d16, DecodeGroups(d16, groups), blackValues ? blackValues + start + i : nullptr),
                indices + i);
        }
        std::uint32_t decoded[kGroupSamples];
        for (; i < pieceCount; i += kGroupSamples) {
            decodeGroup14(packed.data() + (start + i) / kGroupSamples * kGroupBytes, decoded);
            for (std::size_t k = 0; k < kGroupSamples; ++k)
                indices[i + k] = toneIndex(static_cast<std::uint16_t>(decoded[k]),
                                           blackValues ? blackValues[start + i + k] : 0);
        }
        LookUp(indices, pieceCount, table.data(), out.data() + start);
    }
}

}  // namespace HWY_NAMESPACE
}  // namespace unpack_simd
HWY_AFTER_NAMESPACE();
#endif  // HWY_TARGET != HWY_SCALAR

#if HWY_ONCE
namespace unpack_simd {

UnpackKernels unpackKernelsOf(platform::SimdForm form) {
    switch (form) {
#if HWY_TARGETS & HWY_SSE4
        case platform::SimdForm::kSse4:
            return {N_SSE4::UnpackGroups14, N_SSE4::ToneMapSamples, N_SSE4::UnpackToneMapped14};
#endif
#if HWY_TARGETS & HWY_AVX2
        case platform::SimdForm::kAvx2:
            return {N_AVX2::UnpackGroups14, N_AVX2::ToneMapSamples, N_AVX2::UnpackToneMapped14};
#endif
#if HWY_TARGETS & HWY_AVX3
        case platform::SimdForm::kAvx512:
            return {N_AVX3::UnpackGroups14, N_AVX3::ToneMapSamples, N_AVX3::UnpackToneMapped14};
#endif
        default:
            return {unpackGroups14Reference, toneMapSamplesReference, unpackToneMapped14Reference};
    }
}

}  // namespace unpack_simd
#endif  // HWY_ONCE
