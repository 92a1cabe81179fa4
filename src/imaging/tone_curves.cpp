#include "imaging/tone_curves.h"

#include <cmath>

namespace {

constexpr std::int32_t kCineonKind = 5;
constexpr std::uint32_t kCineonDescriptor = 0x50101;
constexpr int kLargestFractionTerm = 255;

}  // namespace

std::uint32_t curveDescriptor(std::int32_t kind, float power) {
    if (kind == kCineonKind) return kCineonDescriptor;
    float bestError = 255.0f;
    int bestNumerator = 0;
    int bestDenominator = 0;
    // Denominators in the outer loop, and only a strictly smaller error wins:
    // ties go to the smallest denominator, then the smallest numerator.
    for (int denominator = 1; denominator <= kLargestFractionTerm; ++denominator) {
        for (int numerator = 1; numerator <= kLargestFractionTerm; ++numerator) {
            const double fraction = static_cast<double>(numerator) / static_cast<double>(denominator);
            const float error = static_cast<float>(std::fabs(static_cast<double>(power) - fraction));
            if (error < bestError) {
                bestError = error;
                bestNumerator = numerator;
                bestDenominator = denominator;
            }
            if (error == 0.0f) break;
        }
    }
    return static_cast<std::uint32_t>(kind) * 65536u + static_cast<std::uint32_t>(bestNumerator) * 256u +
           static_cast<std::uint32_t>(bestDenominator);
}

float logCurve(float x, float power) {
    const float divisor = static_cast<float>(std::log10(static_cast<double>(power)));
    const double argument = static_cast<double>(x) * (static_cast<double>(power) - 1.0) + 1.0;
    return static_cast<float>(std::log10(argument) / static_cast<double>(divisor));
}

float gammaCurve(float x, float gamma) {
    const float exponent = static_cast<float>(1.0 / static_cast<double>(gamma));
    return static_cast<float>(std::pow(static_cast<double>(x), static_cast<double>(exponent)));
}

float cineonToLinear(float blackCode, float whiteCode) {
    const float difference = blackCode - whiteCode;
    const double exponent = static_cast<double>(difference) * 0.5882352941176471 * 0.002 / 0.6;
    return static_cast<float>(std::pow(10.0, exponent));
}

float linearToCineon(float t, float whiteCode) {
    const float code = static_cast<float>(std::log10(static_cast<double>(t)) / 0.0019607843137254906);
    return code + whiteCode;
}
