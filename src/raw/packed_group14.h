#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Packing 14: eight 14-bit samples in 14 bytes. The bytes are seven 16-bit
// little-endian words w0..w6 whose bits, most significant first and w0 first,
// form one 112-bit string in which the samples follow each other, each most
// significant bit first.
inline constexpr std::size_t kGroup14Bytes = 14;
inline constexpr std::size_t kGroup14Samples = 8;

// The layout as it is defined, word by word: the reference every faster form
// must match.
inline void decodeGroup14Reference(const std::uint8_t* group, std::uint32_t samples[kGroup14Samples]) {
    std::uint32_t w[7];
    for (int index = 0; index < 7; ++index)
        w[index] = static_cast<std::uint32_t>(group[2 * index]) |
                   static_cast<std::uint32_t>(group[2 * index + 1]) << 8;
    samples[0] = w[0] >> 2;
    samples[1] = ((w[0] & 0x3u) << 12) | (w[1] >> 4);
    samples[2] = ((w[1] & 0xFu) << 10) | (w[2] >> 6);
    samples[3] = ((w[2] & 0x3Fu) << 8) | (w[3] >> 8);
    samples[4] = ((w[3] & 0xFFu) << 6) | (w[4] >> 10);
    samples[5] = ((w[4] & 0x3FFu) << 4) | (w[5] >> 12);
    samples[6] = ((w[5] & 0xFFFu) << 2) | (w[6] >> 14);
    samples[7] = w[6] & 0x3FFFu;
}

namespace packed_group14_detail {

inline std::uint64_t loadLittleEndian64(const std::uint8_t* bytes) {
    std::uint64_t value;
    std::memcpy(&value, bytes, sizeof value);
    if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap64(value);
    return value;
}

// Four little-endian words w0..w3 as one 64-bit string with w0 at the top, so
// that the samples follow each other from the most significant bit down.
inline std::uint64_t wordsMostSignificantFirst(std::uint64_t littleEndian) {
    const std::uint64_t halvesSwapped = (littleEndian << 32) | (littleEndian >> 32);
    return ((halvesSwapped & 0x0000FFFF0000FFFFull) << 16) | ((halvesSwapped >> 16) & 0x0000FFFF0000FFFFull);
}

}  // namespace packed_group14_detail

// The same samples from two overlapping 8-byte loads: head holds w0..w3 (s0..s3
// and the top of s4 in w3); tail holds w3..w6, so s4..s7 come out of it whole.
// Reads exactly the group's 14 bytes.
inline void decodeGroup14(const std::uint8_t* group, std::uint32_t samples[kGroup14Samples]) {
    using packed_group14_detail::loadLittleEndian64;
    using packed_group14_detail::wordsMostSignificantFirst;
    const std::uint64_t head = wordsMostSignificantFirst(loadLittleEndian64(group));
    const std::uint64_t tail = wordsMostSignificantFirst(loadLittleEndian64(group + 6));
    samples[0] = static_cast<std::uint32_t>(head >> 50);
    samples[1] = static_cast<std::uint32_t>(head >> 36) & 0x3FFFu;
    samples[2] = static_cast<std::uint32_t>(head >> 22) & 0x3FFFu;
    samples[3] = static_cast<std::uint32_t>(head >> 8) & 0x3FFFu;
    samples[4] = static_cast<std::uint32_t>(tail >> 42) & 0x3FFFu;
    samples[5] = static_cast<std::uint32_t>(tail >> 28) & 0x3FFFu;
    samples[6] = static_cast<std::uint32_t>(tail >> 14) & 0x3FFFu;
    samples[7] = static_cast<std::uint32_t>(tail) & 0x3FFFu;
}
