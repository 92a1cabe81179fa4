#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/cpu_features.h"

// Every pixel kernel in two forms with bit-identical results: the plain scalar reference,
// which also runs on processors without AVX2, and the AVX2 form. The public entry points
// (demosaic.h, yuv422.h) pick one at run time; tests and benchmarks call both.

// One RGB row (3 * width samples at rgbRow) of the row pair kernels, horizontal post-filter
// included, from a Bayer frame whose rows are bayerStride samples apart (at least the width).
void demosaicRowReference(const std::uint16_t* bayer, std::size_t bayerStride, int width, int height, int row,
                          std::uint16_t* rgbRow, int mode, int level);
void demosaicRowAvx2(const std::uint16_t* bayer, std::size_t bayerStride, int width, int height, int row,
                     std::uint16_t* rgbRow, int mode, int level);

void demosaicRowPairReference(const std::uint16_t* bayer, int width, int height, int y, std::uint16_t* rgb,
                              int mode, int level);
void demosaicRowPairAvx2(const std::uint16_t* bayer, int width, int height, int y, std::uint16_t* rgb,
                         int mode, int level);

// The horizontal post-filter of one RGB row in place (width pixels), each value from the
// unfiltered row.
void horizontalFilterRowReference(std::uint16_t* rgbRow, int width, int level);

// The vertical post-filter of one row: samples values, each from the unfiltered samples at
// the same place in rows[0] .. rows[4] (rows y - 2 .. y + 2), written to out, which is none
// of them. Level 0 .. 3; nothing for any other.
void verticalFilterRowReference(const std::uint16_t* const rows[5], std::uint16_t* out, std::size_t samples,
                                int level);
void verticalFilterRowAvx2(const std::uint16_t* const rows[5], std::uint16_t* out, std::size_t samples,
                           int level);
// The same row written into the frame: the AVX2 form stores it past the caches where the
// row lies on 32-byte boundaries, and finishRowStores must follow as for storeRow.
void verticalFilterRowToFrameAvx2(const std::uint16_t* const rows[5], std::uint16_t* out, std::size_t samples,
                                  int level);

void verticalFilterStripReference(std::uint16_t* rgb, int width, int height, int strip, int level);
void verticalFilterStripAvx2(std::uint16_t* rgb, int width, int height, int strip, int level);

void toYuv422RowReference(std::uint16_t* rgb, int width, int row);
void toYuv422RowAvx2(std::uint16_t* rgb, int width, int row);

// Copies a finished row of samples into the frame; the AVX2 form bypasses the caches, and
// finishRowStores must follow before another thread reads what was stored.
void storeRowReference(std::uint16_t* destination, const std::uint16_t* row, std::size_t samples);
void storeRowAvx2(std::uint16_t* destination, const std::uint16_t* row, std::size_t samples);
void finishRowStoresReference();
void finishRowStoresAvx2();

// The row kernels a band of the frame is finished with (demosaic_band.h), all of one form.
class BandSchedule;

struct BandKernels {
    void (*demosaicRow)(const std::uint16_t*, std::size_t, int, int, int, std::uint16_t*, int, int);
    void (*verticalFilterRow)(const std::uint16_t* const*, std::uint16_t*, std::size_t, int);
    void (*verticalFilterRowToFrame)(const std::uint16_t* const*, std::uint16_t*, std::size_t, int);
    void (*toYuv422Row)(std::uint16_t*, int, int);
    void (*storeRow)(std::uint16_t*, const std::uint16_t*, std::size_t);
    void (*finishRowStores)();
};
BandKernels referenceBandKernels();
BandKernels avx2BandKernels();
// The demosaic and vertical rows of the one vector source built for every width
// (demosaic_simd.cpp) in the given form, with the 4:2:2 rows and row stores of the AVX2 forms
// from AVX2 up and of the scalar ones below. The scalar form gives referenceBandKernels.
// Only for a form the processor runs (platform::missingCpuFeature gives nullptr).
BandKernels vectorSourceBandKernels(platform::SimdForm form);
// The kernels demosaicBand uses: the AVX-512 form of the vector source where the processor
// runs it, else the AVX2 forms, else the scalar ones.
const BandKernels& bestBandKernels();
void demosaicBandWith(const BandKernels& kernels, const std::uint16_t* bayer, std::size_t bayerStride,
                      int width, int height, int band, int bandRows, std::uint16_t* rgb, int mode, int level,
                      bool toYuv422);
void demosaicShareWith(const BandKernels& kernels, BandSchedule& schedule, int share,
                       const std::uint16_t* bayer, std::size_t bayerStride, int width, int height,
                       int runRows, std::uint16_t* rgb, int mode, int level, bool toYuv422);

// True when the AVX2 forms may run on this processor.
bool avx2KernelsAvailable();
