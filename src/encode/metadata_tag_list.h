#pragma once

#include <array>
#include <cstdint>

// The user's metadata records for every movie of the run. Each record is a
// four-character tag, a 24-bit little-endian value size, a type character and
// the value padded with zeros to a multiple of 4 bytes.
struct MetadataTagList {
    static constexpr std::int32_t kCapacity = 16640;
    std::array<std::uint8_t, kCapacity> bytes{};
    std::int32_t used = 0;
};
