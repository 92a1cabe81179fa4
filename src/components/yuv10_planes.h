#pragma once

#include <cstddef>
#include <cstdint>

// Three planes of 10-bit Y'CbCr samples, one per 16-bit word in the low bits, as the
// picture encoder takes them. Strides are in samples, not bytes. For 4:2:2 the chroma
// planes are half as wide as the luma plane; for 4:4:4 all three are the same width.
struct Yuv10Planes {
    std::uint16_t* luma = nullptr;
    std::uint16_t* cb = nullptr;
    std::uint16_t* cr = nullptr;
    std::ptrdiff_t lumaStride = 0;
    std::ptrdiff_t cbStride = 0;
    std::ptrdiff_t crStride = 0;
};
