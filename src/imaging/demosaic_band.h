#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/band_schedule.h"

// A band is bandRows consecutive rows of the RGB frame, finished in one go while its rows
// are in cache: demosaic with the horizontal post-filter, the vertical post-filter, and the
// 4:2:2 conversion when asked for. The result is the same, bit for bit, as the row pair
// job, then the strip job, then the 4:2:2 row job over the whole frame.
//
// The vertical post-filter of a row reads the two rows above and below it as they come out
// of the demosaic, so a band demosaics up to two rows on either side of its own into a
// buffer of its own and writes only its own rows of the frame. Bands are independent and
// run in any order and in parallel.
//
// Sizes, modes and levels as for demosaicRowPair; level -1 (or anything outside 0 .. 3)
// has no post-filter. The Bayer frame's rows are bayerStride samples apart, so that the
// crop of a wider frame is read where it lies. Nothing is written for frames below the
// minimum size, a stride below the width or a band beyond the last row.
void demosaicBand(const std::uint16_t* bayer, std::size_t bayerStride, int width, int height, int band,
                  int bandRows, std::uint16_t* rgb, int mode, int level, bool toYuv422);

// One thread's share of a frame (the same frame, sizes and parameters as demosaicBand): runs
// of runRows rows, run n being rows n x runRows on, taken from the schedule until it has none
// left. Every thread taking part calls it with a share number of its own; together they
// finish every run of the schedule, with the same result as the bands.
void demosaicShare(BandSchedule& schedule, int share, const std::uint16_t* bayer, std::size_t bayerStride,
                   int width, int height, int runRows, std::uint16_t* rgb, int mode, int level,
                   bool toYuv422);

// Bands of bandRows rows that cover a frame of height rows: 0 when either is not positive.
int demosaicBandCount(int height, int bandRows);
