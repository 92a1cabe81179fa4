#pragma once

#include "app/cli/conversion_settings.h"

// -(x1,y1,x2,y2): reads "(%d,%d,%d,%d)" from text (which starts at the '(')
// into windowLeft, windowTop, windowRight, windowBottom; fields the text does
// not reach keep their value. When windowBottom is then at least 1, the left
// and top edges are made even, the width rounded up to a multiple of 16 and
// the height up to an even number (both taken modulo 65536).
void applySourceWindowSwitch(const char* text, ConversionSettings& settings);
