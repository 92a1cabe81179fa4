#pragma once

#include <cstddef>
#include <cstdint>

// CRC-32C (Castagnoli, reflected polynomial 0x82F63B78, initial value and
// final xor 0xFFFFFFFF), as iSCSI and ext4 use it: crc32c("123456789") is
// 0xE3069283. Uses the processor's CRC32 instruction where it has one.
std::uint32_t crc32c(const void* data, std::size_t bytes);

// The checksum of a frame's samples: CRC-32C of its rows, top first, each
// sample as two bytes, low byte first. Rows are `strideSamples` apart.
std::uint32_t frameChecksum(const std::uint16_t* samples, int width, int height, std::size_t strideSamples);
