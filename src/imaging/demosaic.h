#pragma once

#include <cstdint>

// Bayer frame: width x height 16-bit samples, red at the top-left (R G / G B).
// RGB frame: width x height pixels of R, G, B 16-bit samples, stride 3 * width samples.
//
// mode 1: adaptive interpolation inside the frame; 0: averages only.
// level: horizontal/vertical post-filter, 0 blur, 1..3 sharpening, -1 (or any other value) none.

// The smallest frame the kernels work on; the driver refuses smaller ones, and the
// kernels leave their output untouched for them.
inline constexpr int kMinDemosaicWidth = 16;
inline constexpr int kMinDemosaicHeight = 6;

// Fills RGB rows y and y + 1 (y even) and applies the horizontal post-filter to them.
// When the height is odd, the last item (y = height - 1) fills that one row only.
// Any width from kMinDemosaicWidth up works; an odd width gets a last column that
// mirrors the first one's rule.
void demosaicRowPair(const std::uint16_t* bayer, int width, int height, int y, std::uint16_t* rgb, int mode,
                     int level);

// Applies the vertical post-filter to pixel columns 16 * strip .. 16 * strip + 15, or up to
// the last column for the narrower last strip of a width that is not a multiple of 16.
void verticalFilterStrip(std::uint16_t* rgb, int width, int height, int strip, int level);

// Work items that cover a whole frame: (height + 1) / 2 row pairs, (width + 15) / 16 strips.
int demosaicItemCount(int height);
int verticalStripCount(int width);
