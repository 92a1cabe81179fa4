#pragma once

#include <cstdint>

// The transfer curves of the tone table. Each takes and returns single
// precision and works inside in double precision; the roundings between the
// steps are part of the result, so the exact table values depend on them.

// Curve descriptor: kind * 65536 + n * 256 + d, where n/d (both 1..255) is the
// fraction closest to the power. Cineon (kind 5) is always 0x50101.
std::uint32_t curveDescriptor(std::int32_t kind, float power);

// log10(x * (P - 1) + 1) / log10(P): 0 at x = 0, 1 at x = 1 for P > 1.
float logCurve(float x, float power);

// x to the power 1 / G.
float gammaCurve(float x, float gamma);

// The linear value of the Cineon black point: 10^((cb - cw) * 0.002 / 0.6 * 10/17).
float cineonToLinear(float blackCode, float whiteCode);

// The Cineon code (0..1023 scale) of a linear value t: log10(t) * 510 + cw.
float linearToCineon(float t, float whiteCode);
