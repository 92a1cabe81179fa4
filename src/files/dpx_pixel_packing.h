#pragma once

#include <cstdint>

// Packs one row of 16-bit RGB pixels (R, G, B samples in that order) into
// DPX 10-bit words, four bytes per pixel, most significant byte first:
// red in bits 31-22, green 21-12, blue 11-2, bits 1-0 zero. Each sample keeps
// its top 10 bits; the low 6 are dropped, not rounded.
void packRgbRowTo10Bit(const std::uint16_t* rgb, std::uint32_t width, std::uint8_t* packed);
