#include "components/prores_settings.h"

#include <algorithm>

namespace {

// Quantiser by quality. With a fixed quantiser the size of a frame follows its content, so
// the steps are chosen for the picture, not for a data rate: on a smooth 1080p scene with
// camera-like noise 8 and 6 land near the nominal rates of Proxy and LT, 4 and 3 give
// standard and HQ their usual margin, and 2 is visibly finer than 3 at about twice the
// bits. Finer than 2 roughly doubles the size again and halves the speed for noise only.
// Each step is at least as fine as the one below it and the matrices get finer with the
// profile, so a higher quality never gives a worse picture.
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

ProResSettings chooseProResSettings(PictureKind kind, int quality) {
    const int index = std::clamp(quality, kLowestQuality, kHighestQuality) - kLowestQuality;
    return kind == PictureKind::Yuv422 ? kYuv422Profiles[index] : kRgb444Profiles[index];
}
