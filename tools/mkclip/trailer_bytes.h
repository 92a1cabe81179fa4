#pragma once

#include <array>
#include <cstdint>

#include "clip_options.h"

// The 192-byte trailer of a clip, written field by field, little-endian.
std::array<std::uint8_t, 192> makeTrailerBytes(const ClipOptions& options, std::uint32_t frameBytes);
