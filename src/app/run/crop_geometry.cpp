#include "app/run/crop_geometry.h"

#include <algorithm>
#include <cstdio>

namespace {

bool windowIsSet(const ClipSettings& settings) {
    return settings.windowLeft >= 0 && settings.windowTop >= 0 && settings.windowRight > 0 &&
           settings.windowBottom > 0;
}

}  // namespace

bool computeCropGeometry(ClipSettings& settings, int frameWidth, int frameHeight, CropGeometry& crop,
                         std::string* message, CropWidth rule) {
    crop = CropGeometry{};
    crop.frameWidth = frameWidth;
    crop.frameHeight = frameHeight;
    int cropWidth = frameWidth;
    int cropHeight = frameHeight;
    if (windowIsSet(settings)) {
        // A window reaching past the frame keeps only the part inside it.
        const int right = std::min(settings.windowRight, frameWidth);
        const int bottom = std::min(settings.windowBottom, frameHeight);
        cropWidth = std::min(right - settings.windowLeft, cropWidth);
        cropHeight = std::min(bottom - settings.windowTop, cropHeight);
    }
    if (rule == CropWidth::MultipleOf16 && cropWidth % 16 != 0) {
        cropWidth &= ~15;
        if (settings.windowLeft == -1) {
            settings.windowLeft = 0;
            settings.windowRight = cropWidth;
        }
        if (settings.windowTop == -1) {
            settings.windowTop = 0;
            settings.windowBottom = cropHeight;
        }
    }
    if (cropWidth <= 0 || cropHeight <= 0) {
        if (message) {
            char text[160];
            std::snprintf(text, sizeof text, "window (%d,%d,%d,%d) leaves nothing of the %dx%d frame",
                          settings.windowLeft, settings.windowTop, settings.windowRight,
                          settings.windowBottom, frameWidth, frameHeight);
            *message = text;
        }
        return false;
    }
    // The origin is the window's corner where one is given; a corner that
    // would put the crop partly outside the frame is moved in, and an odd
    // corner (possible when the window is only partly given) moves to the
    // even place before it, so red stays at the top-left of the crop.
    crop.left = std::clamp(settings.windowLeft, 0, frameWidth - cropWidth) & ~1;
    crop.top = std::clamp(settings.windowTop, 0, frameHeight - cropHeight) & ~1;
    crop.cropWidth = cropWidth;
    crop.cropHeight = cropHeight;
    return true;
}
