#pragma once

#include <cstdint>

// Every pixel kernel in two forms with bit-identical results: the plain scalar reference,
// which also runs on processors without AVX2, and the AVX2 form. The public entry points
// (demosaic.h, yuv422.h) pick one at run time; tests and benchmarks call both.

void demosaicRowPairReference(const std::uint16_t* bayer, int width, int height, int y, std::uint16_t* rgb,
                              int mode, int level);
void demosaicRowPairAvx2(const std::uint16_t* bayer, int width, int height, int y, std::uint16_t* rgb,
                         int mode, int level);

// The horizontal post-filter of one RGB row in place (width pixels), each value from the
// unfiltered row.
void horizontalFilterRowReference(std::uint16_t* rgbRow, int width, int level);

void verticalFilterStripReference(std::uint16_t* rgb, int width, int height, int strip, int level);
void verticalFilterStripAvx2(std::uint16_t* rgb, int width, int height, int strip, int level);

void toYuv422RowReference(std::uint16_t* rgb, int width, int row);
void toYuv422RowAvx2(std::uint16_t* rgb, int width, int row);

// True when the AVX2 forms may run on this processor.
bool avx2KernelsAvailable();
