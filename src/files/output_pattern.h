#pragma once

#include <cstdint>
#include <string>

#include "platform/status.h"

// The widest frame number field a pattern may ask for.
inline constexpr int kMaxFrameNumberWidth = 10;

// An output argument names a numbered file sequence under a strict grammar:
// literal text, "%%" for a percent sign, and at most one frame number
// conversion %[0][width]d with a width of at most 10. Anything else (other
// conversions or flags, a precision, a second conversion, a lone '%' at the
// end, a zero byte, a name longer than the path limit once filled in) is
// refused with a message that says why. The pattern is never used as a
// printf format.
Status validateOutputPattern(const std::string& pattern);

// The file name for one frame: the pattern's literal text with "%%" made '%'
// and the conversion replaced by the frame number. Empty when the pattern is
// refused by validateOutputPattern or the name would need kPathCapacity bytes
// or more.
std::string formatFrameName(const std::string& pattern, std::int64_t frameNumber);
