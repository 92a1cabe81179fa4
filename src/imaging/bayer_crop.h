#pragma once

#include <cstdint>

// Where the picture of one clip comes from inside its frames. The origin is
// on an even column and row, so red stays at the top-left of the crop.
struct CropGeometry {
    int frameWidth = 0;
    int frameHeight = 0;
    int left = 0;  // origin of the crop in the frame
    int top = 0;
    int cropWidth = 0;
    int cropHeight = 0;
};

// Moves the crop to the start of the Bayer frame, rows cropWidth samples
// apart. Rows are copied from the top, so a row never overwrites one it still
// has to read.
void cropInPlace(std::uint16_t* bayer, const CropGeometry& crop);
