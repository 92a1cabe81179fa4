#include "raw/clip_frame_rate.h"

#include <cmath>

ClipFrameRate clipFrameRate(std::uint32_t frameRateMilli) {
    // Single precision on purpose: 29970 / 1000 then lies just below 29.97
    // and keeps its own fraction instead of becoming 30000/1001.
    const float rate = static_cast<float>(static_cast<double>(frameRateMilli)) / 1000.0f;
    const double widened = static_cast<double>(rate);
    ClipFrameRate result;
    if (widened <= 23.98) {
        result.frameRate = 23.976025f;
        result.numerator = 24000;
        result.denominator = 1001;
    } else {
        result.frameRate = rate;
        result.numerator = static_cast<std::int32_t>(frameRateMilli);
        result.denominator = 1000;
    }
    if (widened >= 29.97 && widened <= 29.98) {
        result.numerator = 30000;
        result.denominator = 1001;
    }
    if (std::trunc(result.frameRate) == result.frameRate) {
        result.numerator = static_cast<std::int32_t>(result.frameRate);
        result.denominator = 1;
    }
    return result;
}
