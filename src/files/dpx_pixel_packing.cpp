#include "files/dpx_pixel_packing.h"

#include "platform/simd_forms_built.h"

void packRgbRowTo10BitReference(const std::uint16_t* rgb, std::uint32_t width, std::uint8_t* packed) {
    for (std::uint32_t pixel = 0; pixel < width; ++pixel, rgb += 3, packed += 4) {
        const std::uint32_t word = std::uint32_t{rgb[0]} >> 6 << 22 | std::uint32_t{rgb[1]} >> 6 << 12 |
                                   std::uint32_t{rgb[2]} >> 6 << 2;
        packed[0] = static_cast<std::uint8_t>(word >> 24);
        packed[1] = static_cast<std::uint8_t>(word >> 16);
        packed[2] = static_cast<std::uint8_t>(word >> 8);
        packed[3] = static_cast<std::uint8_t>(word);
    }
}

void packRgbRowTo10Bit(const std::uint16_t* rgb, std::uint32_t width, std::uint8_t* packed) {
    // AVX2 before AVX-512: on an AMD EPYC with AVX-512 (Zen 4) the AVX2 form packed a
    // 1920x1080 frame in 0.46 ms and the AVX-512 one in 0.51 to 0.53 ms (the scalar one 2.4 ms).
    static const DpxRowPacker best = dpxRowPacker(platform::firstUsableSimdForm(
        {platform::SimdForm::kAvx2, platform::SimdForm::kAvx512, platform::SimdForm::kSse4}));
    best(rgb, width, packed);
}
