#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "timing/movie_tag.h"

// Any bytes as text that every metadata reader shows safely: valid UTF-8 is
// kept; control characters, DEL, C1 controls and bytes that are not UTF-8 are
// written as \xNN and the backslash itself as \\, so the text is never cut at
// a zero byte, never breaks a line and reads back to the same bytes.
std::string escapeText(std::span<const std::uint8_t> bytes);

// The four characters of a tag, in memory order, escaped as above; '=' is
// escaped too, since names stand before an '=' in "name=value" lines.
std::string formatTagName(std::uint32_t tag);

// A name for a "name=value" line: escapeText with '=' escaped too.
std::string escapeName(std::span<const std::uint8_t> bytes);

// The tag's value as readable text, by its type character: 'c' the escaped
// string; 'L' signed decimal integers; 'H' hexadecimal such as 0x0000001f;
// 'f' single-precision numbers in their shortest exact form (0.7, -0.004);
// 'b' unsigned decimal bytes. Several numbers are separated by ','. A type
// it does not know, or a size that is not a whole number of the type's
// values, gives the bytes in hexadecimal after "0x", in memory order.
std::string formatTagValue(const MovieTag& tag);

// A 32-bit little-endian integer value of a tag (types 'L', 'H'), or a
// single-precision one (type 'f'), read as a number; false for other tags.
bool readTagNumber(const MovieTag& tag, double* number);

// Four characters as a tag value in memory order: makeTagCode("HPNT").
constexpr std::uint32_t makeTagCode(const char (&name)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(name[0])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(name[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(name[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(name[3])) << 24;
}
