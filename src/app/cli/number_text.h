#pragma once

#include <cstdint>

// Numbers in switch and metadata text. None of these reads past the
// terminating zero, and none overflows: values beyond 32 bits are clamped.

// One decimal integer as "%d" reads it: leading white space, an optional
// sign and at least one digit. Returns the number of characters taken, 0 when
// there are no digits, in which case *value is left as it was. Values outside
// the 32-bit range give the nearest end of that range.
int readDecimal(const char* text, std::int32_t* value);

// Decimal integer as atol reads it: leading white space, an optional sign,
// then digits up to the first other character. No digits give 0; values
// outside the 32-bit range give the nearest end of that range.
std::int32_t readInteger(const char* text);

// Hexadecimal as "%x" reads it: leading white space, an optional sign, an
// optional 0x or 0X, then hex digits. No digits give 0; a magnitude above
// 0xFFFFFFFF gives 0xFFFFFFFF; a minus sign negates modulo 2^32.
std::uint32_t readHexadecimal(const char* text);

// One float as "%f" reads it. Returns the number of characters taken, 0 when
// nothing could be read, in which case *value is left as it was.
int readFloat(const char* text, float* value);
