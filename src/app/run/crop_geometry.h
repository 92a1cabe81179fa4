#pragma once

#include <string>

#include "app/run/clip_settings.h"
#include "imaging/bayer_crop.h"

// What width a crop may have.
enum class CropWidth {
    MultipleOf16,  // pictures and RAW movies
    Any,           // camera archives, which keep the samples of the whole window
};

// Fixes the crop of a clip of the given frame size from the source window,
// and writes the window back into the clip settings for later clips: a
// window whose four corners are set is intersected with the frame; the width
// is rounded down to a multiple of 16 (when the rule asks for it), and an
// unset window then becomes the left-aligned one of that width. False, with
// a message, when nothing of the frame is left.
bool computeCropGeometry(ClipSettings& settings, int frameWidth, int frameHeight, CropGeometry& crop,
                         std::string* message, CropWidth rule = CropWidth::MultipleOf16);
