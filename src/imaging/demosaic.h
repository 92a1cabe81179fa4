#pragma once

#include <cstdint>

// Bayer frame: width x height 16-bit samples, red at the top-left (R G / G B).
// RGB frame: width x height pixels of R, G, B 16-bit samples, stride 3 * width samples.
//
// mode 1: adaptive interpolation inside the frame; 0: averages only.
// level: horizontal/vertical post-filter, 0 blur, 1..3 sharpening, -1 none.

// Fills RGB rows y and y + 1 (y even) and applies the horizontal post-filter to them.
void demosaicRowPair(const std::uint16_t* bayer, int width, int height, int y, std::uint16_t* rgb, int mode,
                     int level);

// Applies the vertical post-filter to pixel columns 16 * strip .. 16 * strip + 15.
void verticalFilterStrip(std::uint16_t* rgb, int width, int height, int strip, int level);

// Work items that cover a whole frame: row pairs and 16-column strips.
int demosaicItemCount(int height);
int verticalStripCount(int width);
