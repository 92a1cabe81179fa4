#pragma once

#include <cstddef>
#include <cstdint>

#include "components/yuv10_planes.h"

// Converts rows [firstRow, endRow) of a 4:2:2 picture (per row width / 2 groups of the
// 16-bit words Y0, Cr, Y1, Cb; row y starts rowBytes * y bytes after picture) into 10-bit
// planes: luma sample x and chroma sample x / 2 of row y. Rows are independent, so ranges
// may run on different threads. The picture must be 16-bit aligned, rowBytes even and at
// least 2 * width, width even.
void convertYuv422WordsToPlanes(const std::uint8_t* picture, std::size_t rowBytes, int width, int firstRow,
                                int endRow, const Yuv10Planes& planes);
