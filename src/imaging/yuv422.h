#pragma once

#include <cstdint>

// Converts RGB row n of an RGB frame (stride 3 * width samples) in place into
// width / 2 groups of Y0, Cr, Y1, Cb 16-bit words at the start of the row. The last
// 2 * width bytes of the row keep stale RGB samples; with an odd width the last pixel
// has no pair and is left out.
void toYuv422Row(std::uint16_t* rgb, int width, int row);
