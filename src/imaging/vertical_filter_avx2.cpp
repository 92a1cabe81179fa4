#include <cstddef>

#include "imaging/demosaic.h"
#include "imaging/kernel_variants.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include "imaging/simd_shuffles.h"

namespace {

struct VerticalKernel {
    int preShift, outerShift, centre, side;
};

constexpr VerticalKernel kVerticalKernels[3] = {{4, 5, 5, 2}, {4, 4, 6, 2}, {3, 3, 4, 1}};

RAW2TVX_TARGET_AVX2 inline __m256i load(const std::uint16_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// One column of 16 samples down the frame. The five unfiltered rows a result needs are held
// in registers, loaded before any of them is overwritten, so each result is stored at once.
template <int level>
RAW2TVX_TARGET_AVX2 void filterColumn(std::uint16_t* top, std::size_t stride, int height) {
    const auto row = [&](int y) { return top + static_cast<std::size_t>(y) * stride; };
    constexpr VerticalKernel kernel = kVerticalKernels[level == 0 ? 0 : level - 1];
    const __m128i preShift = _mm_cvtsi32_si128(kernel.preShift);
    const __m128i outerShift = _mm_cvtsi32_si128(kernel.outerShift);
    const __m256i centreWeight = _mm256_set1_epi16(kernel.centre);
    const __m256i sideWeight = _mm256_set1_epi16(kernel.side);
    const __m256i cap = _mm256_set1_epi16(32767);
    __m256i up2 = load(row(0));
    __m256i up1 = load(row(1));
    __m256i centre = load(row(2));
    __m256i down1 = load(row(3));
    for (int y = 2; y <= height - 3; ++y) {
        const __m256i down2 = load(row(y + 2));
        __m256i value;
        if constexpr (level == 0) {
            value = _mm256_adds_epu16(_mm256_srli_epi16(up1, 2), _mm256_slli_epi16(_mm256_srli_epi16(centre, 2), 1));
            value = _mm256_adds_epu16(value, _mm256_srli_epi16(down1, 2));
        } else {
            value = _mm256_mullo_epi16(_mm256_srl_epi16(centre, preShift), centreWeight);
            value = _mm256_subs_epu16(value, _mm256_srl_epi16(up2, outerShift));
            value = _mm256_subs_epu16(value, _mm256_srl_epi16(down2, outerShift));
            value = _mm256_adds_epu16(value, _mm256_mullo_epi16(_mm256_srl_epi16(up1, preShift), sideWeight));
            value = _mm256_adds_epu16(value, _mm256_mullo_epi16(_mm256_srl_epi16(down1, preShift), sideWeight));
            value = _mm256_slli_epi16(_mm256_min_epu16(value, cap), 1);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row(y)), value);
        up2 = up1;
        up1 = centre;
        centre = down1;
        down1 = down2;
    }
}

}  // namespace

void verticalFilterStripAvx2(std::uint16_t* rgb, int width, int height, int strip, int level) {
    if (level < 0 || level > 3 || width < kMinDemosaicWidth || height < kMinDemosaicHeight) return;
    if (strip < 0 || (strip + 1) * 16 > width) {
        verticalFilterStripReference(rgb, width, height, strip, level);
        return;
    }
    const std::size_t stride = 3 * static_cast<std::size_t>(width);
    std::uint16_t* strip0 = rgb + 48 * static_cast<std::size_t>(strip);
    constexpr void (*kFilters[4])(std::uint16_t*, std::size_t, int) = {filterColumn<0>, filterColumn<1>,
                                                                          filterColumn<2>, filterColumn<3>};
    for (int part = 0; part < 3; ++part) kFilters[level](strip0 + 16 * part, stride, height);
}

#else

void verticalFilterStripAvx2(std::uint16_t* rgb, int width, int height, int strip, int level) {
    verticalFilterStripReference(rgb, width, height, strip, level);
}

#endif
