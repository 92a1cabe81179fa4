#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/cpu_features.h"

// The Highway forms of the band's row kernels (demosaic_simd.cpp), one source for every
// vector width. vectorSourceBandKernels (kernel_variants.h) builds whole band kernel sets
// from them.
namespace demosaic_simd {

struct RowKernels {
    void (*demosaicRow)(const std::uint16_t*, std::size_t, int, int, int, std::uint16_t*, int, int);
    void (*verticalFilterRow)(const std::uint16_t* const*, std::uint16_t*, std::size_t, int);
    void (*verticalFilterRowToFrame)(const std::uint16_t* const*, std::uint16_t*, std::size_t, int);
};

// The row kernels of a built form; the scalar ones for any other.
RowKernels rowKernels(platform::SimdForm form);

}  // namespace demosaic_simd
