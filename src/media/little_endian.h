#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

// Numbers stored least significant byte first at a byte offset of a block,
// whatever the host's order. The offset must leave room for the value; the
// readers' callers check the block's size first.

inline void putLE16(std::span<std::uint8_t> block, std::size_t offset, std::uint16_t value) {
    assert(offset + 2 <= block.size());
    block[offset] = static_cast<std::uint8_t>(value);
    block[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void putLE32(std::span<std::uint8_t> block, std::size_t offset, std::uint32_t value) {
    assert(offset + 4 <= block.size());
    for (std::size_t index = 0; index < 4; ++index) {
        block[offset + index] = static_cast<std::uint8_t>(value >> (8 * index));
    }
}

inline void putLE64(std::span<std::uint8_t> block, std::size_t offset, std::uint64_t value) {
    assert(offset + 8 <= block.size());
    for (std::size_t index = 0; index < 8; ++index) {
        block[offset + index] = static_cast<std::uint8_t>(value >> (8 * index));
    }
}

inline std::uint16_t getLE16(std::span<const std::uint8_t> block, std::size_t offset) {
    assert(offset + 2 <= block.size());
    return static_cast<std::uint16_t>(block[offset] | block[offset + 1] << 8);
}

inline std::uint32_t getLE32(std::span<const std::uint8_t> block, std::size_t offset) {
    assert(offset + 4 <= block.size());
    std::uint32_t value = 0;
    for (std::size_t index = 0; index < 4; ++index) {
        value |= static_cast<std::uint32_t>(block[offset + index]) << (8 * index);
    }
    return value;
}

inline std::uint64_t getLE64(std::span<const std::uint8_t> block, std::size_t offset) {
    assert(offset + 8 <= block.size());
    std::uint64_t value = 0;
    for (std::size_t index = 0; index < 8; ++index) {
        value |= static_cast<std::uint64_t>(block[offset + index]) << (8 * index);
    }
    return value;
}
