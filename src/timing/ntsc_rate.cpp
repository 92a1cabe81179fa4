#include "timing/ntsc_rate.h"

#include <array>

std::optional<ExactFrameRate> ntscFrameRate(std::int64_t frameRateMilli) {
    constexpr std::array<std::int64_t, 5> kMultiples = {24, 30, 48, 60, 120};
    for (const std::int64_t multiple : kMultiples) {
        const std::int64_t numerator = multiple * 1000;
        // N x 1000/1001 in thousandths, rounded, and in hundredths, rounded, as thousandths.
        const std::int64_t thousandths = (numerator * 1000 + 500) / 1001;
        const std::int64_t hundredths = (numerator * 100 + 500) / 1001 * 10;
        if (frameRateMilli == thousandths || frameRateMilli == hundredths)
            return ExactFrameRate{static_cast<std::int32_t>(numerator), 1001};
    }
    return std::nullopt;
}
