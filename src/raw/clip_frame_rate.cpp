#include "raw/clip_frame_rate.h"

#include <cmath>

#include "timing/ntsc_rate.h"

ClipFrameRate clipFrameRate(std::uint32_t frameRateMilli) {
    if (const std::optional<ExactFrameRate> ntsc = ntscFrameRate(frameRateMilli))
        return ClipFrameRate{static_cast<float>(static_cast<double>(ntsc->numerator) / ntsc->denominator),
                             ntsc->numerator, ntsc->denominator};
    // Every other rate goes through single precision, as the rules compare
    // it: 29980 / 1000 then lies just above 29.98 and is 30000/1001 all the same.
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
