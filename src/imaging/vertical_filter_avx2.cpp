#include <cstddef>
#include <cstdint>

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

RAW2TVX_TARGET_AVX2 inline void store(std::uint16_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

constexpr int kParts = 3;  // a strip row is 48 samples: three vectors of 16

// One vector of 16 filtered samples from the unfiltered samples of rows y - 2 .. y + 2.
template <int level>
RAW2TVX_TARGET_AVX2 inline __m256i filterVector(__m256i up2, __m256i up1, __m256i centre, __m256i down1,
                                                __m256i down2) {
    if constexpr (level == 0) {
        const __m256i value =
            _mm256_adds_epu16(_mm256_srli_epi16(up1, 2), _mm256_slli_epi16(_mm256_srli_epi16(centre, 2), 1));
        return _mm256_adds_epu16(value, _mm256_srli_epi16(down1, 2));
    } else {
        constexpr VerticalKernel kernel = kVerticalKernels[level - 1];
        const __m256i centreWeight = _mm256_set1_epi16(kernel.centre);
        const __m256i sideWeight = _mm256_set1_epi16(kernel.side);
        __m256i value = _mm256_mullo_epi16(_mm256_srli_epi16(centre, kernel.preShift), centreWeight);
        value = _mm256_subs_epu16(value, _mm256_srli_epi16(up2, kernel.outerShift));
        value = _mm256_subs_epu16(value, _mm256_srli_epi16(down2, kernel.outerShift));
        value =
            _mm256_adds_epu16(value, _mm256_mullo_epi16(_mm256_srli_epi16(up1, kernel.preShift), sideWeight));
        value = _mm256_adds_epu16(value,
                                  _mm256_mullo_epi16(_mm256_srli_epi16(down1, kernel.preShift), sideWeight));
        return _mm256_slli_epi16(_mm256_min_epu16(value, _mm256_set1_epi16(32767)), 1);
    }
}

// The strip in one pass down the frame, so that each row's cache lines are fetched once even
// when the row stride maps every row to the same few cache sets. The five unfiltered rows a
// result needs are held in registers, loaded before any of them is overwritten, so each
// result is stored at once.
template <int level>
RAW2TVX_TARGET_AVX2 void filterStrip(std::uint16_t* top, std::size_t stride, int height) {
    const auto row = [&](int y) { return top + static_cast<std::size_t>(y) * stride; };
    __m256i up2[kParts], up1[kParts], centre[kParts], down1[kParts];
    for (int part = 0; part < kParts; ++part) {
        up2[part] = load(row(0) + 16 * part);
        up1[part] = load(row(1) + 16 * part);
        centre[part] = load(row(2) + 16 * part);
        down1[part] = load(row(3) + 16 * part);
    }
    for (int y = 2; y <= height - 3; ++y) {
        for (int part = 0; part < kParts; ++part) {
            const __m256i down2 = load(row(y + 2) + 16 * part);
            store(row(y) + 16 * part,
                  filterVector<level>(up2[part], up1[part], centre[part], down1[part], down2));
            up2[part] = up1[part];
            up1[part] = centre[part];
            centre[part] = down1[part];
            down1[part] = down2;
        }
    }
}

// A whole row from five others: the last vector may overlap the one before it, which only
// writes the same values again since the output is none of the inputs.
template <int level>
RAW2TVX_TARGET_AVX2 void filterRow(const std::uint16_t* const rows[5], std::uint16_t* out,
                                   std::size_t samples) {
    const std::uint16_t* const up2 = rows[0];
    const std::uint16_t* const up1 = rows[1];
    const std::uint16_t* const centre = rows[2];
    const std::uint16_t* const down1 = rows[3];
    const std::uint16_t* const down2 = rows[4];
    for (std::size_t i = 0;; i += 16) {
        if (i > samples - 16) i = samples - 16;
        store(out + i, filterVector<level>(load(up2 + i), load(up1 + i), load(centre + i), load(down1 + i),
                                           load(down2 + i)));
        if (i == samples - 16) break;
    }
}

// The same into the frame, past the caches: only for rows of whole vectors on 32-byte
// boundaries.
template <int level>
RAW2TVX_TARGET_AVX2 void streamRow(const std::uint16_t* const rows[5], std::uint16_t* out,
                                   std::size_t samples) {
    for (std::size_t i = 0; i < samples; i += 16)
        _mm256_stream_si256(reinterpret_cast<__m256i*>(out + i),
                            filterVector<level>(load(rows[0] + i), load(rows[1] + i), load(rows[2] + i),
                                                load(rows[3] + i), load(rows[4] + i)));
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
    constexpr void (*kFilters[4])(std::uint16_t*, std::size_t, int) = {filterStrip<0>, filterStrip<1>,
                                                                       filterStrip<2>, filterStrip<3>};
    kFilters[level](strip0, stride, height);
}

void verticalFilterRowAvx2(const std::uint16_t* const rows[5], std::uint16_t* out, std::size_t samples,
                           int level) {
    if (level < 0 || level > 3) return;
    if (samples < 16) {
        verticalFilterRowReference(rows, out, samples, level);
        return;
    }
    constexpr void (*kFilters[4])(const std::uint16_t* const*, std::uint16_t*, std::size_t) = {
        filterRow<0>, filterRow<1>, filterRow<2>, filterRow<3>};
    kFilters[level](rows, out, samples);
}

void verticalFilterRowToFrameAvx2(const std::uint16_t* const rows[5], std::uint16_t* out, std::size_t samples,
                                  int level) {
    if (level < 0 || level > 3) return;
    if (reinterpret_cast<std::uintptr_t>(out) % 32 != 0 || samples % 16 != 0 || samples == 0) {
        verticalFilterRowAvx2(rows, out, samples, level);
        return;
    }
    constexpr void (*kFilters[4])(const std::uint16_t* const*, std::uint16_t*, std::size_t) = {
        streamRow<0>, streamRow<1>, streamRow<2>, streamRow<3>};
    kFilters[level](rows, out, samples);
}

#else

void verticalFilterRowAvx2(const std::uint16_t* const rows[5], std::uint16_t* out, std::size_t samples,
                           int level) {
    verticalFilterRowReference(rows, out, samples, level);
}

void verticalFilterRowToFrameAvx2(const std::uint16_t* const rows[5], std::uint16_t* out, std::size_t samples,
                                  int level) {
    verticalFilterRowReference(rows, out, samples, level);
}

void verticalFilterStripAvx2(std::uint16_t* rgb, int width, int height, int strip, int level) {
    verticalFilterStripReference(rgb, width, height, strip, level);
}

#endif
