#pragma once

#include <cstdint>

// Converts RGB row n of an RGB frame (stride 3 * width samples) in place into
// width / 2 groups of Y0, Cr, Y1, Cb 16-bit words at the start of the row.
void toYuv422Row(std::uint16_t* rgb, int width, int row);
