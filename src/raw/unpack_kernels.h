#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/cpu_features.h"

// The pixel kernels of the 14-bit unpack, in every form (platform::SimdForm) with
// bit-identical results. A frame is unpacked in three steps that can also be used apart:
//
//   packed groups -> raw samples              unpackGroups14 (no table, no black frame)
//   raw samples -> black frame -> tone table  toneMapSamples
//   packed groups -> ... -> tone table        unpackToneMapped14 (both, in cache-sized pieces)
//
// Raw samples are 14-bit values in 16-bit words, as the packing holds them. The tone table
// has kToneTableSize entries; the index into it is the sample less its black value (or the
// sample itself when there is no black frame), clamped to 0 .. kLargestToneIndex, so every
// 16-bit sample is safe to look up.

inline constexpr std::size_t kToneTableSize = 16384;
inline constexpr std::int32_t kLargestToneIndex = 16383;

// Takes samples.size() / 8 groups of 14 bytes apart into samples. packed may hold more
// bytes than the groups (the rest of a frame); the vector forms read ahead into them, and
// never past packed.size(). packed must hold at least the groups' bytes.
using UnpackGroups14 = void (*)(std::span<const std::uint8_t> packed, std::span<std::uint16_t> samples);

// out[i] = table[clamp(samples[i] - black[i], 0, 16383)] for every sample; with no black
// frame (an empty span) out[i] = table[min(samples[i], 16383)]. out may be samples itself.
// black, when not empty, holds at least as many values as samples; table holds
// kToneTableSize entries.
using ToneMapSamples = void (*)(std::span<const std::uint16_t> samples, std::span<const std::int32_t> black,
                                std::span<const std::uint16_t> table, std::span<std::uint16_t> out);

// The two above in one pass: out.size() / 8 groups to tone-mapped samples.
using UnpackToneMapped14 = void (*)(std::span<const std::uint8_t> packed, std::span<const std::int32_t> black,
                                    std::span<const std::uint16_t> table, std::span<std::uint16_t> out);

struct UnpackKernels {
    UnpackGroups14 unpackGroups14;
    ToneMapSamples toneMapSamples;
    UnpackToneMapped14 unpackToneMapped14;
};

// The kernels of one form; the scalar form is the reference. Forms this build has no code
// for fall back to the scalar one. Only a form the processor runs
// (platform::missingCpuFeature gives nullptr) may be called.
UnpackKernels unpackKernels(platform::SimdForm form);

// The fastest form this processor runs.
const UnpackKernels& bestUnpackKernels();
platform::SimdForm bestUnpackForm();

// The scalar forms, also the reference for the others.
void unpackGroups14Reference(std::span<const std::uint8_t> packed, std::span<std::uint16_t> samples);
void toneMapSamplesReference(std::span<const std::uint16_t> samples, std::span<const std::int32_t> black,
                             std::span<const std::uint16_t> table, std::span<std::uint16_t> out);
void unpackToneMapped14Reference(std::span<const std::uint8_t> packed, std::span<const std::int32_t> black,
                                 std::span<const std::uint16_t> table, std::span<std::uint16_t> out);

// One sample's table index, the definition every form follows.
inline std::int32_t toneIndex(std::uint16_t sample, std::int32_t black) {
    const std::int64_t index = static_cast<std::int64_t>(sample) - black;
    return index < 0 ? 0 : (index > kLargestToneIndex ? kLargestToneIndex : static_cast<std::int32_t>(index));
}
