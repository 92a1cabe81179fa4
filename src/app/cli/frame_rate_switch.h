#pragma once

#include <cstdint>

#include "app/cli/conversion_settings.h"

// The rate a -f switch gives: the number as typed (single precision) and the
// rational rate the encoder is given.
struct SwitchFrameRate {
    float frameRate = 24.0f;
    std::int32_t numerator = 24000;
    std::int32_t denominator = 1000;
};

// The rational rate of a -f decimal: an NTSC rate (23.976, 23.98, 29.97,
// 47.95, 47.952, 59.94, 119.88) N x 1000/1001 exactly; otherwise r x 1000 /
// 1000, 24000/1001 from 23.975 to 23.98, 30000/1001 from 29.97 to 29.98, and
// r/1 for a whole number.
SwitchFrameRate frameRateOfSwitch(float rate);

// -fX: sets the rate the switch gives and turns off the clip's own rate.
void applyFrameRateSwitch(const SwitchFrameRate& rate, ConversionSettings& settings);
