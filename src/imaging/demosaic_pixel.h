#pragma once

#include <cstddef>
#include <cstdint>

// Scalar interpolation of single pixels: the plain form of every demosaic rule. The
// reference row pair uses it for every pixel, the vector forms for the border columns.
namespace demosaic {

enum class RowRule {
    kTop,       // row 0: one-sided, no row above
    kBottom,    // last row: one-sided, no row below
    kBilinear,  // averages of the nearest samples
    kAdaptive,  // gradient-weighted kernels in columns 2 .. width - 3, averages outside
};

RowRule rowRule(int height, int row, int mode);

// The rows around one Bayer row; the pointers of rows outside the frame are null. Rows of
// the Bayer frame are stride samples apart (the width, or more for a crop of a wider frame).
struct BayerRows {
    const std::uint16_t* up2 = nullptr;
    const std::uint16_t* up1 = nullptr;
    const std::uint16_t* current = nullptr;
    const std::uint16_t* down1 = nullptr;
    const std::uint16_t* down2 = nullptr;
    int width = 0;
    bool redRow = true;  // even rows hold R G R G ..., odd rows G B G B ...
};

BayerRows bayerRows(const std::uint16_t* bayer, std::size_t stride, int width, int height, int row);

// Writes R, G, B of pixel x (0 <= x < width) of the row by the row's rule.
void interpolatePixel(const BayerRows& rows, RowRule rule, int x, std::uint16_t* rgbPixel);

}  // namespace demosaic
