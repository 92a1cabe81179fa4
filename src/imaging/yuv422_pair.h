#pragma once

#include <cstdint>

// Converts one pixel pair: reads R0 G0 B0 R1 G1 B1 at rgbPair, then writes Y0 Cr Y1 Cb at
// out (which may overlap the input). Double-precision sums in the written order, truncated;
// for inputs in 0..65535 every result lies in 3998..61537.
inline void convertYuv422Pair(const std::uint16_t* rgbPair, std::uint16_t* out) {
    const int r0 = rgbPair[0], g0 = rgbPair[1], b0 = rgbPair[2];
    const int r1 = rgbPair[3], g1 = rgbPair[4], b1 = rgbPair[5];
    const double y0 = 0.183 * r0 + 4112.0 + 0.614 * g0 + 0.062 * b0;
    const double y1 = 0.183 * r1 + 4112.0 + 0.614 * g1 + 0.062 * b1;
    const double cr = 0.2195 * (r0 + r1) + 32768.0 - 0.1995 * (g0 + g1) - 0.02 * (b0 + b1);
    const double cb = -0.0505 * (r0 + r1) + 32768.0 - 0.169 * (g0 + g1) + 0.2195 * (b0 + b1);
    out[0] = static_cast<std::uint16_t>(static_cast<int>(y0));
    out[1] = static_cast<std::uint16_t>(static_cast<int>(cr));
    out[2] = static_cast<std::uint16_t>(static_cast<int>(y1));
    out[3] = static_cast<std::uint16_t>(static_cast<int>(cb));
}
