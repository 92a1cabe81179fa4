#pragma once

#include <cstdint>
#include <optional>

// The movie rate a clip asks for, as a float and as an exact fraction.
struct ClipFrameRate {
    float frameRate = 0.0f;
    std::int32_t numerator = 0;
    std::int32_t denominator = 1;
};

// The NTSC rate N x 1000/1001 (N = 24, 30, 48, 60, 120) that a rate written
// in thousandths of a frame per second stands for: the rate rounded to
// thousandths or to hundredths (23976 or 23980, 29970, 47952 or 47950, 59940,
// 119880). None for any other rate.
std::optional<ClipFrameRate> ntscFrameRate(std::int64_t frameRateMilli);

// The rate from the trailer's rate field (thousandths of a frame per second):
// an NTSC rate exactly; every other rate at or below 23.98 becomes
// 24000/1001, 29.97..29.98 becomes 30000/1001, whole rates become n/1, and
// anything else is field/1000.
ClipFrameRate clipFrameRate(std::uint32_t frameRateMilli);
