#include "components/prores_settings.h"

#include <algorithm>

namespace {

// Quantiser by quality; lower is finer. With a fixed quantiser the size of a frame follows
// its content rather than a data rate. On a smooth 1080p scene with noise of about two
// 10-bit steps, at 24 frames a second, 4:2:2 gives 12, 17, 23, 39 and 87 Mbit/s and RGB
// 21, 25, 35, 62 and 155 Mbit/s for qualities 1 to 5. Quantiser 1 would add about 60%
// to the size and a quarter to the time, for finer noise only. Each quality is as fine as
// the one below it and the profiles' matrices get finer too, so a higher quality never
// gives a worse picture.
constexpr int kQuantiser[kHighestQuality] = {8, 6, 4, 3, 2};

constexpr ProResSettings kYuv422Profiles[kHighestQuality] = {
    {0, kQuantiser[0], "Proxy"}, {1, kQuantiser[1], "LT"}, {2, kQuantiser[2], "standard"},
    {3, kQuantiser[3], "HQ"},    {3, kQuantiser[4], "HQ"},
};

constexpr ProResSettings kRgb444Profiles[kHighestQuality] = {
    {4, kQuantiser[0], "4444"}, {4, kQuantiser[1], "4444"},    {4, kQuantiser[2], "4444"},
    {4, kQuantiser[3], "4444"}, {5, kQuantiser[4], "4444 XQ"},
};

}  // namespace

ProResSettings chooseProResSettings(OutputFormat kind, int quality) {
    const int index = std::clamp(quality, kLowestQuality, kHighestQuality) - kLowestQuality;
    return kind == OutputFormat::Yuv422 ? kYuv422Profiles[index] : kRgb444Profiles[index];
}
