#pragma once

// The two picture kinds a movie of pictures carries.
enum class PictureKind {
    Yuv422,  // per row width / 2 groups of the 16-bit studio-range words Y0, Cr, Y1, Cb
    Rgb444,  // per row width pixels of the 16-bit samples R, G, B
};

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
ProResSettings chooseProResSettings(PictureKind kind, int quality);
