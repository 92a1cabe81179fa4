// The vector forms of the DPX 10-bit packing (dpx_pixel_packing.h), one source built for every
// x86 target Highway knows and picked at run time.
//
// A pixel's word is red << 22 | green << 12 | blue << 2 (each sample's top 10 bits), stored
// most significant byte first. Its two halves come from 16-bit arithmetic alone:
//   high half: red & 0xFFC0 | green >> 10                      (bits 31-16)
//   low half:  (green << 6) & 0xF000 | (blue >> 4) & 0x0FFC    (bits 15-0)
// so the row is the two halves interleaved, each with its bytes swapped.
#include <cstddef>
#include <cstdint>

#include "files/dpx_pixel_packing.h"

#ifndef HWY_DISABLED_TARGETS
#define HWY_DISABLED_TARGETS HWY_SSSE3
#endif
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "files/dpx_pixel_packing_simd.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#if HWY_TARGET != HWY_SCALAR
HWY_BEFORE_NAMESPACE();
namespace dpx_packing_simd {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

template <class D16>
HWY_INLINE hn::Vec<D16> SwapBytes(D16, hn::Vec<D16> v) {
    return hn::Or(hn::ShiftLeft<8>(v), hn::ShiftRight<8>(v));
}

void PackRow(const std::uint16_t* rgb, std::uint32_t width, std::uint8_t* packed) {
    const hn::ScalableTag<std::uint16_t> d16;
    const std::size_t lanes = hn::Lanes(d16);
    const auto top10 = hn::Set(d16, std::uint16_t{0xFFC0});
    const auto greenLow = hn::Set(d16, std::uint16_t{0xF000});
    const auto blueBits = hn::Set(d16, std::uint16_t{0x0FFC});
    std::size_t pixel = 0;
    for (; pixel + lanes <= width; pixel += lanes) {
        hn::Vec<decltype(d16)> red, green, blue;
        hn::LoadInterleaved3(d16, rgb + 3 * pixel, red, green, blue);
        const auto high = hn::Or(hn::And(red, top10), hn::ShiftRight<10>(green));
        const auto low =
            hn::Or(hn::And(hn::ShiftLeft<6>(green), greenLow), hn::And(hn::ShiftRight<4>(blue), blueBits));
        // Four bytes a pixel: the 16-bit lanes go out as pairs (high, low).
        hn::StoreInterleaved2(SwapBytes(d16, high), SwapBytes(d16, low), d16,
                              reinterpret_cast<std::uint16_t*>(packed + 4 * pixel));
    }
    packRgbRowTo10BitReference(rgb + 3 * pixel, static_cast<std::uint32_t>(width - pixel),
                               packed + 4 * pixel);
}

}  // namespace HWY_NAMESPACE
}  // namespace dpx_packing_simd
HWY_AFTER_NAMESPACE();
#endif  // HWY_TARGET != HWY_SCALAR

#if HWY_ONCE

DpxRowPacker dpxRowPacker(platform::SimdForm form) {
    switch (form) {
#if HWY_TARGETS & HWY_SSE4
        case platform::SimdForm::kSse4:
            return dpx_packing_simd::N_SSE4::PackRow;
#endif
#if HWY_TARGETS & HWY_AVX2
        case platform::SimdForm::kAvx2:
            return dpx_packing_simd::N_AVX2::PackRow;
#endif
#if HWY_TARGETS & HWY_AVX3
        case platform::SimdForm::kAvx512:
            return dpx_packing_simd::N_AVX3::PackRow;
#endif
        default:
            return packRgbRowTo10BitReference;
    }
}

#endif  // HWY_ONCE
