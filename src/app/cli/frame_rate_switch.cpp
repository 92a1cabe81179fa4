#include "app/cli/frame_rate_switch.h"

#include <cmath>
#include <optional>

#include "raw/clip_frame_rate.h"

namespace {

// Truncates toward zero; values beyond the 32-bit range give its nearest
// end and NaN gives 0, so no rate the user types can overflow.
std::int32_t truncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

}  // namespace

SwitchFrameRate frameRateOfSwitch(float frameRate) {
    // The rate as typed, to thousandths: 29.97f is 29.969999..., which is 29970.
    const double thousandths = std::round(static_cast<double>(frameRate) * 1000.0);
    if (std::isfinite(thousandths) && std::fabs(thousandths) < 1e12)
        if (const std::optional<ClipFrameRate> ntsc = ntscFrameRate(static_cast<std::int64_t>(thousandths)))
            return SwitchFrameRate{frameRate, ntsc->numerator, ntsc->denominator};
    // Every other rate compares the single-precision rate widened to double with
    // double constants: 29.97f lies just below 29.97, so it stays 29969/1000.
    const double rate = static_cast<double>(frameRate);
    SwitchFrameRate result{frameRate, truncateToInt32(rate * 1000.0), 1000};
    if (rate >= 23.975 && rate <= 23.98) {
        result.numerator = 24000;
        result.denominator = 1001;
    }
    if (rate >= 29.97 && rate <= 29.98) {
        result.numerator = 30000;
        result.denominator = 1001;
    }
    if (rate == std::trunc(rate)) {
        result.numerator = truncateToInt32(rate);
        result.denominator = 1;
    }
    return result;
}

void applyFrameRateSwitch(const SwitchFrameRate& switched, ConversionSettings& settings) {
    settings.frameRate = switched.frameRate;
    settings.rateNumerator = switched.numerator;
    settings.rateDenominator = switched.denominator;
    settings.frameRateFromClip = false;
}
