#include "imaging/tone_table.h"

#include <cmath>
#include <cstdint>

#include "imaging/tone_curves.h"

namespace {

constexpr std::int32_t kLogKind = 1;
constexpr std::int32_t kGammaKind = 2;
constexpr std::int32_t kCineonKind = 5;

// Truncates toward zero. Only powers the curves are not made for (a log power
// of 1 or below 0, a negative gamma, Cineon points beyond the 10-bit range)
// leave 0..65535 or give no number; those clamp, and no number gives 0, as
// does the 0/0 of the single index where the white point equals the black.
std::uint16_t toEntry(double value) {
    if (!(value > 0.0)) return 0;
    if (value >= 65535.0) return 65535;
    return static_cast<std::uint16_t>(static_cast<std::int32_t>(value));
}

// The position of index i between lo and hi, 0..1. The differences are taken
// in 64 bits so that no pair of levels can overflow.
float normalisedInput(std::int64_t index, std::int64_t lo, std::int64_t hi) {
    if (index < lo) return 0.0f;
    if (index > hi) return 1.0f;
    return static_cast<float>(index - lo) / static_cast<float>(hi - lo);
}

}  // namespace

std::uint32_t buildToneTable(const CurveSettings& settings, std::int32_t clipBlack, std::int32_t clipWhite,
                             bool blackCalibrationInForce, std::uint16_t* table) {
    const std::int64_t black = settings.blackOverride != -1 ? settings.blackOverride : clipBlack;
    const std::int64_t white = settings.whiteOverride != -1 ? settings.whiteOverride : clipWhite;
    const std::int64_t lo = blackCalibrationInForce ? 0 : black;
    const std::int64_t hi = blackCalibrationInForce ? white - black : white;

    const float cineonWhite = static_cast<float>(settings.cineonWhite);
    const float cineonOffset = cineonToLinear(static_cast<float>(settings.cineonBlack), cineonWhite);

    for (std::int64_t index = 0; index < kToneTableEntries; ++index) {
        const float x = normalisedInput(index, lo, hi);
        double entry = 0.0;
        switch (settings.kind) {
            case kCineonKind: {
                const float code = linearToCineon(x + cineonOffset, cineonWhite);
                entry = static_cast<double>(code) * 64.0;
                break;
            }
            case kGammaKind:
                entry = static_cast<double>(gammaCurve(x, settings.param)) * 65535.0;
                break;
            case kLogKind:
            default:
                entry = static_cast<double>(logCurve(x, settings.param)) * 65535.0;
                break;
        }
        table[index] = toEntry(entry);
    }
    return curveDescriptor(settings.kind, settings.param);
}
