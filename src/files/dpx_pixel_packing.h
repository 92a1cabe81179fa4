#pragma once

#include <cstdint>

#include "platform/cpu_features.h"

// Packs one row of 16-bit RGB pixels (R, G, B samples in that order) into
// DPX 10-bit words, four bytes per pixel, most significant byte first:
// red in bits 31-22, green 21-12, blue 11-2, bits 1-0 zero. Each sample keeps
// its top 10 bits; the low 6 are dropped, not rounded. The fastest form this
// processor runs.
void packRgbRowTo10Bit(const std::uint16_t* rgb, std::uint32_t width, std::uint8_t* packed);

using DpxRowPacker = void (*)(const std::uint16_t* rgb, std::uint32_t width, std::uint8_t* packed);

// The scalar form, the reference the vector forms match byte for byte.
void packRgbRowTo10BitReference(const std::uint16_t* rgb, std::uint32_t width, std::uint8_t* packed);

// The packing of one form; the scalar one for a form this build has no code for. Only a form
// the processor runs (platform::missingCpuFeature gives nullptr) may be called.
DpxRowPacker dpxRowPacker(platform::SimdForm form);
