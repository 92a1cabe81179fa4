#include "raw/clip_frame_rate.h"

#include <array>
#include <cmath>

std::optional<ClipFrameRate> ntscFrameRate(std::int64_t frameRateMilli) {
    constexpr std::array<std::int64_t, 5> kMultiples = {24, 30, 48, 60, 120};
    for (const std::int64_t multiple : kMultiples) {
        const std::int64_t numerator = multiple * 1000;
        // N x 1000/1001 in thousandths, rounded, and in hundredths, rounded, as thousandths.
        const std::int64_t thousandths = (numerator * 1000 + 500) / 1001;
        const std::int64_t hundredths = (numerator * 100 + 500) / 1001 * 10;
        if (frameRateMilli == thousandths || frameRateMilli == hundredths)
            return ClipFrameRate{static_cast<float>(static_cast<double>(numerator) / 1001.0),
                                 static_cast<std::int32_t>(numerator), 1001};
    }
    return std::nullopt;
}

ClipFrameRate clipFrameRate(std::uint32_t frameRateMilli) {
    if (const std::optional<ClipFrameRate> ntsc = ntscFrameRate(frameRateMilli)) return *ntsc;
    // Single precision on purpose: the tests below compare it as the rate
    // was always compared.
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
