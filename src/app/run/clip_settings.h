#pragma once

#include <cstdint>

#include "app/cli/conversion_settings.h"

// The settings that clips decide as they are converted, each for itself and
// for every clip after it: the window (a frame whose width is cut to a
// multiple of 16 makes an unset window the left-aligned one of that width),
// the output size (the first crop's, when none was given), the frame rate
// (the clip's own, unless -f gave one) and the code of the tone curve built
// last. They start from the command line's values; the command line's
// settings themselves stay as read.
struct ClipSettings {
    std::int32_t windowLeft = -1;
    std::int32_t windowTop = -1;
    std::int32_t windowRight = -1;   // exclusive
    std::int32_t windowBottom = -1;  // exclusive
    std::int32_t outputWidth = -1;   // below 1: the crop width
    std::int32_t outputHeight = -1;  // below 1: the crop height
    float frameRate = 24.0f;
    std::int32_t rateNumerator = 24000;
    std::int32_t rateDenominator = 1000;
    std::uint32_t curveCode = 0;

    static ClipSettings startingFrom(const ConversionSettings& settings) {
        ClipSettings clip;
        clip.windowLeft = settings.windowLeft;
        clip.windowTop = settings.windowTop;
        clip.windowRight = settings.windowRight;
        clip.windowBottom = settings.windowBottom;
        clip.outputWidth = settings.outputWidth;
        clip.outputHeight = settings.outputHeight;
        clip.frameRate = settings.frameRate;
        clip.rateNumerator = settings.rateNumerator;
        clip.rateDenominator = settings.rateDenominator;
        clip.curveCode = settings.curveCode;
        return clip;
    }
};
