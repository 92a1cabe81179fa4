#pragma once

#include <cstddef>
#include <cstdint>

#include "components/yuv10_planes.h"

// Converts rows [firstRow, endRow) of an RGB picture (per row width pixels of the 16-bit
// samples R, G, B; row y starts rowBytes * y bytes after picture) into 10-bit
// limited-range BT.709 Y'CbCr 4:4:4 planes (ycbcr709.h). Rows are independent, so ranges
// may run on different threads. The picture must be 16-bit aligned, rowBytes even and at
// least 6 * width.
void convertRgb48ToYcbcr444(const std::uint8_t* picture, std::size_t rowBytes, int width, int firstRow,
                            int endRow, const Yuv10Planes& planes);
