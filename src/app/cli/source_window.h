#pragma once

#include <array>
#include <cstdint>

#include "app/cli/conversion_settings.h"

// The integers of "(%d,%d,%d,%d)" read from a -( switch: how many fields the
// text reaches (0 to 4), and their values in the order x1, y1, x2, y2.
struct WindowText {
    int fields = 0;
    std::array<std::int32_t, 4> values{};

    bool complete() const { return fields == 4; }
};

// Reads the window text, which starts at the '('.
WindowText readWindowText(const char* text);

// -(x1,y1,x2,y2): the fields the text reaches go into windowLeft, windowTop,
// windowRight, windowBottom; the others keep their value. When windowBottom
// is then at least 1, the left and top edges are made even, the width
// rounded up to a multiple of 16 and the height up to an even number (both
// taken modulo 65536).
void applySourceWindowSwitch(const WindowText& window, ConversionSettings& settings);
