#include "raw/black_calibration.h"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace {

constexpr std::int32_t kMinimumStart = 268435455;

std::int32_t clampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

Result<BlackCalibrationSummary> finishBlackCalibration(BlackFrame& black, int frameWidth, int frameHeight,
                                                       std::int64_t framesRead, std::int32_t offset) {
    if (framesRead <= 0) {
        black = BlackFrame{};
        return Status::failure(ErrorCode::kBadInput, "the black calibration clip gave no frame");
    }
    if (!blackFrameFits(black, frameWidth, frameHeight)) {
        black = BlackFrame{};
        return Status::failure(ErrorCode::kBadInput, "the black calibration frame does not match its clip");
    }
    std::int64_t minimum = kMinimumStart;
    std::int64_t maximum = 0;
    double total = 0.0;
    for (std::int32_t& value : black.values) {
        const std::int64_t average = value / framesRead;
        minimum = std::min(minimum, average);
        maximum = std::max(maximum, average);
        total += static_cast<double>(average);
        value = clampToInt32(average - offset);
    }
    const double pixels = static_cast<double>(black.values.size());
    BlackCalibrationSummary result;
    result.minimum = clampToInt32(minimum);
    result.maximum = clampToInt32(maximum);
    result.average = static_cast<std::int32_t>(total / pixels);
    return result;
}
