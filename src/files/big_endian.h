#pragma once

#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

// Stores numbers most significant byte first at a byte offset of a block,
// whatever the host's order. The offset must leave room for the value.

inline void putBE16(std::span<std::uint8_t> block, std::size_t offset, std::uint16_t value) {
    assert(offset + 2 <= block.size());
    block[offset] = static_cast<std::uint8_t>(value >> 8);
    block[offset + 1] = static_cast<std::uint8_t>(value);
}

inline void putBE32(std::span<std::uint8_t> block, std::size_t offset, std::uint32_t value) {
    assert(offset + 4 <= block.size());
    block[offset] = static_cast<std::uint8_t>(value >> 24);
    block[offset + 1] = static_cast<std::uint8_t>(value >> 16);
    block[offset + 2] = static_cast<std::uint8_t>(value >> 8);
    block[offset + 3] = static_cast<std::uint8_t>(value);
}

// IEEE 754 single precision, sign and exponent first.
inline void putBEFloat(std::span<std::uint8_t> block, std::size_t offset, float value) {
    putBE32(block, offset, std::bit_cast<std::uint32_t>(value));
}
