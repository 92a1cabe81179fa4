#pragma once

#include <cstddef>
#include <cstdint>

// The quadrant layout of a Bayer frame, in which the RAW movie stores it.
//
// The Bayer frame is W x H 16-bit samples, R G / G B with red at the top-left
// photosite (W, H >= 1). The quadrant image has the same size, W x H, and holds
// every sample once, sorted by colour so that neighbours in it are neighbours of
// the same colour on the sensor:
//
//   WL = (W + 1) / 2  columns on the left:  the even Bayer columns 0, 2, 4, ...
//   WR =  W      / 2  columns on the right: the odd Bayer columns 1, 3, 5, ...
//   HT = (H + 1) / 2  rows at the top:      the even Bayer rows 0, 2, 4, ...
//   HB =  H      / 2  rows at the bottom:   the odd Bayer rows 1, 3, 5, ...
//
// so red is top-left, the green of red rows top-right, the green of blue rows
// bottom-left and blue bottom-right. An odd width or height gives the extra
// column to the left quadrants and the extra row to the top ones. Exactly:
//
//   quadrant(x, y) = bayer(bx, by) with
//     bx = x < WL ? 2x : 2(x - WL) + 1
//     by = y < HT ? 2y : 2(y - HT) + 1
//
// and the inverse, for any Bayer position (bx, by):
//
//   bayer(bx, by) = quadrant(bx even ? bx/2 : WL + bx/2, by even ? by/2 : HT + by/2)
//
// (bx/2 and by/2 rounding down). Both images are stored row by row.

struct QuadrantSplit {
    int leftWidth;     // WL
    int rightWidth;    // WR
    int topHeight;     // HT
    int bottomHeight;  // HB
};

QuadrantSplit splitQuadrants(int width, int height);

// The Bayer row that becomes row y of the quadrant image.
inline int quadrantSourceRow(int y, int height) {
    const int topHeight = (height + 1) / 2;
    return y < topHeight ? 2 * y : 2 * (y - topHeight) + 1;
}

// One Bayer row of `width` samples sorted into a quadrant row: the even columns
// first, then the odd ones.
void bayerRowToQuadrantRow(const std::uint16_t* bayerRow, int width, std::uint16_t* quadrantRow);

// Whole frames, both packed (row stride = width). The buffers must not overlap.
void bayerToQuadrants(const std::uint16_t* bayer, int width, int height, std::uint16_t* quadrants);
void quadrantsToBayer(const std::uint16_t* quadrants, int width, int height, std::uint16_t* bayer);
