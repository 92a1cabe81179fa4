#pragma once

#include <cstdint>
#include <string>

#include "app/cli/conversion_settings.h"

// Where the picture of one clip comes from inside its frames.
struct CropGeometry {
    int frameWidth = 0;
    int frameHeight = 0;
    int left = 0;  // origin of the crop in the frame
    int top = 0;
    int cropWidth = 0;  // a multiple of 16
    int cropHeight = 0;
};

// Fixes the crop of a clip of the given frame size from the source window,
// and writes the window back into the settings for later clips: a window
// whose four corners are set is intersected with the frame; the width is
// rounded down to a multiple of 16, and an unset window then becomes the
// left-aligned one of that width. False, with a message, when nothing of the
// frame is left.
bool computeCropGeometry(ConversionSettings& settings, int frameWidth, int frameHeight, CropGeometry& crop,
                         std::string* message);

// Moves the crop to the start of the Bayer frame, rows cropWidth samples
// apart. Rows are copied from the top, so a row never overwrites one it still
// has to read.
void cropInPlace(std::uint16_t* bayer, const CropGeometry& crop);
