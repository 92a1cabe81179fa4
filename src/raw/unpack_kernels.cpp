#include "raw/unpack_kernels.h"

#include <cstddef>

#include "platform/simd_forms_built.h"
#include "raw/packed_group14.h"
#include "raw/unpack_kernels_simd.h"

void unpackGroups14Reference(std::span<const std::uint8_t> packed, std::span<std::uint16_t> samples) {
    const std::size_t groups = samples.size() / kGroup14Samples;
    std::uint32_t decoded[kGroup14Samples];
    for (std::size_t group = 0; group < groups; ++group) {
        decodeGroup14Reference(packed.data() + group * kGroup14Bytes, decoded);
        for (std::size_t k = 0; k < kGroup14Samples; ++k)
            samples[group * kGroup14Samples + k] = static_cast<std::uint16_t>(decoded[k]);
    }
}

void toneMapSamplesReference(std::span<const std::uint16_t> samples, std::span<const std::int32_t> black,
                             std::span<const std::uint16_t> table, std::span<std::uint16_t> out) {
    for (std::size_t i = 0; i < samples.size(); ++i)
        out[i] = table[static_cast<std::size_t>(toneIndex(samples[i], black.empty() ? 0 : black[i]))];
}

void unpackToneMapped14Reference(std::span<const std::uint8_t> packed, std::span<const std::int32_t> black,
                                 std::span<const std::uint16_t> table, std::span<std::uint16_t> out) {
    const std::size_t groups = out.size() / kGroup14Samples;
    std::uint32_t decoded[kGroup14Samples];
    for (std::size_t group = 0; group < groups; ++group) {
        decodeGroup14Reference(packed.data() + group * kGroup14Bytes, decoded);
        for (std::size_t k = 0; k < kGroup14Samples; ++k) {
            const std::size_t sample = group * kGroup14Samples + k;
            const std::int32_t blackValue = black.empty() ? 0 : black[sample];
            out[sample] = table[static_cast<std::size_t>(
                toneIndex(static_cast<std::uint16_t>(decoded[k]), blackValue))];
        }
    }
}

UnpackKernels unpackKernels(platform::SimdForm form) {
    return unpack_simd::unpackKernelsOf(form);
}

platform::SimdForm bestUnpackForm() {
    static const platform::SimdForm best = platform::firstUsableSimdForm(
        {platform::SimdForm::kAvx512, platform::SimdForm::kAvx2, platform::SimdForm::kSse4});
    return best;
}

const UnpackKernels& bestUnpackKernels() {
    static const UnpackKernels kernels = unpackKernels(bestUnpackForm());
    return kernels;
}
