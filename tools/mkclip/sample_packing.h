#pragma once

#include <cstdint>
#include <vector>

// Packs 14-bit samples, row by row, in eight-sample groups of seven
// little-endian 16-bit words whose bits, most significant first, hold the
// samples one after another. A last partial group is padded with zeros.
void packSamples14(const std::vector<std::uint16_t>& samples, std::vector<std::uint8_t>& packed);

// Packs the top 10 bits of 14-bit samples, four to 5 bytes, most significant
// bit first, storing the bottom row first so that a reader that turns the
// picture upside down gets it back the right way up.
void packSamples12(const std::vector<std::uint16_t>& samples, std::uint32_t width, std::uint32_t height,
                   std::vector<std::uint8_t>& packed);

// Plain little-endian 16-bit samples, each the 14-bit sample times 4.
void packSamples16(const std::vector<std::uint16_t>& samples, std::vector<std::uint8_t>& packed);
