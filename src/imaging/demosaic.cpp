#include "imaging/demosaic.h"

#include <cstddef>

#include "imaging/demosaic_pixel.h"
#include "imaging/kernel_variants.h"
#include "platform/cpu_features.h"

bool avx2KernelsAvailable() {
    return platform::cpuSupportsAvx2();
}

void demosaicRowReference(const std::uint16_t* bayer, std::size_t bayerStride, int width, int height, int row,
                          std::uint16_t* rgbRow, int mode, int level) {
    if (width < kMinDemosaicWidth || height < kMinDemosaicHeight || row < 0 || row >= height) return;
    const demosaic::BayerRows rows = demosaic::bayerRows(bayer, bayerStride, width, height, row);
    const demosaic::RowRule rule = demosaic::rowRule(height, row, mode);
    for (int x = 0; x < width; ++x) demosaic::interpolatePixel(rows, rule, x, rgbRow + 3 * x);
    horizontalFilterRowReference(rgbRow, width, level);
}

void demosaicRowPairReference(const std::uint16_t* bayer, int width, int height, int y, std::uint16_t* rgb,
                              int mode, int level) {
    if (width < kMinDemosaicWidth || height < kMinDemosaicHeight || y < 0 || y >= height || y % 2 != 0)
        return;
    const int lastRow = y + 1 < height ? y + 1 : y;
    for (int row = y; row <= lastRow; ++row)
        demosaicRowReference(bayer, static_cast<std::size_t>(width), width, height, row,
                             rgb + 3 * static_cast<std::size_t>(row) * static_cast<std::size_t>(width), mode,
                             level);
}

void demosaicRowPair(const std::uint16_t* bayer, int width, int height, int y, std::uint16_t* rgb, int mode,
                     int level) {
    if (avx2KernelsAvailable())
        demosaicRowPairAvx2(bayer, width, height, y, rgb, mode, level);
    else
        demosaicRowPairReference(bayer, width, height, y, rgb, mode, level);
}

int demosaicItemCount(int height) {
    return height < 0 ? 0 : (height + 1) / 2;
}
