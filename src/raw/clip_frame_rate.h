#pragma once

#include <cstdint>

// The movie rate a clip asks for, as a float and as an exact fraction.
struct ClipFrameRate {
    float frameRate = 0.0f;
    std::int32_t numerator = 0;
    std::int32_t denominator = 1;
};

// The rate from the trailer's rate field (thousandths of a frame per second):
// an NTSC rate (timing/ntsc_rate.h) exactly; every other rate at or below 23.98 becomes
// 24000/1001, 29.97..29.98 becomes 30000/1001, whole rates become n/1, and
// anything else is field/1000.
ClipFrameRate clipFrameRate(std::uint32_t frameRateMilli);
