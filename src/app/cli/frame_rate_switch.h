#pragma once

#include "app/cli/conversion_settings.h"

// -fX: reads X as a float into frameRate (kept when nothing can be read),
// derives the rational rate the encoder is given and turns off the clip's own
// rate. valueText is the text after "-f".
void applyFrameRateSwitch(const char* valueText, ConversionSettings& settings);
