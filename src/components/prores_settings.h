#pragma once

#include "media/output_format.h"

// What the quality setting chooses: the profile (which names the stream and picks the
// quantisation matrix) and one fixed quantiser for every slice of every frame.
struct ProResSettings {
    int profile = 3;    // 0 Proxy, 1 LT, 2 standard, 3 HQ, 4 4444, 5 4444 XQ, as FF_PROFILE_PRORES_*
    int quantiser = 3;  // 1 is the finest
    const char* name = "";
};

inline constexpr int kLowestQuality = 1;
inline constexpr int kHighestQuality = 5;
inline constexpr int kDefaultQuality = 4;

// Quality 1 to 5; values outside are taken as the nearest end, since the setting arrives
// unchecked from the command line and the encoder reports nothing about it.
// Yuv422 pictures take the 422 profiles, Rgb444 pictures the 4444 ones.
ProResSettings chooseProResSettings(OutputFormat kind, int quality);
