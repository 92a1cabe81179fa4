#pragma once

#include <cstdint>
#include <optional>

// A frame rate as an exact fraction, frames per second.
struct ExactFrameRate {
    std::int32_t numerator = 0;
    std::int32_t denominator = 1;
};

// The NTSC rate N x 1000/1001 (N = 24, 30, 48, 60, 120) that a rate written
// in thousandths of a frame per second stands for: the rate rounded to
// thousandths or to hundredths (23976 or 23980, 29970, 47952 or 47950, 59940,
// 119880). None for any other rate.
std::optional<ExactFrameRate> ntscFrameRate(std::int64_t frameRateMilli);
