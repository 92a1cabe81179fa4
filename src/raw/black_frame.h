#pragma once

#include <cstdint>
#include <vector>

// One signed black value per pixel of the full frame, row by row. During the
// calibration pass it holds the sums of the samples; afterwards the black
// value to subtract before the tone table.
struct BlackFrame {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::int32_t> values;
};

// True when the black frame was made for frames of this size and holds a value
// for every pixel of it. A black frame that does not fit is never indexed.
bool blackFrameFits(const BlackFrame& black, int width, int height);

// The window (left, top, width x height) of a black frame, which must lie
// inside it; an empty frame when it does not.
BlackFrame blackFrameWindow(const BlackFrame& black, int left, int top, int width, int height);

// Makes the black frame fit width x height: a new zeroed one when it does not
// fit yet, the one already there (sums kept) when it does. False when the
// size is not positive or the memory cannot be had; the frame is then empty.
bool prepareBlackFrame(BlackFrame& black, int width, int height);
