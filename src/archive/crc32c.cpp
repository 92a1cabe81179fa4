#include "archive/crc32c.h"

#include <array>
#include <bit>
#include <cstring>

namespace {

constexpr std::uint32_t kPolynomial = 0x82F63B78u;

// Slicing by eight: table[k][b] is the CRC of byte b followed by k zero bytes.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables makeTables() {
    Tables tables{};
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        std::uint32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (crc & 1u ? kPolynomial : 0u);
        tables[0][byte] = crc;
    }
    for (std::size_t slice = 1; slice < 8; ++slice)
        for (std::size_t byte = 0; byte < 256; ++byte) {
            const std::uint32_t previous = tables[slice - 1][byte];
            tables[slice][byte] = (previous >> 8) ^ tables[0][previous & 0xFFu];
        }
    return tables;
}

constexpr Tables kTables = makeTables();

// The running (not yet inverted) CRC over the bytes, by table.
std::uint32_t updateByTable(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count) {
    while (count >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes, 8);
        if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
        word ^= crc;
        crc = kTables[7][word & 0xFF] ^ kTables[6][(word >> 8) & 0xFF] ^ kTables[5][(word >> 16) & 0xFF] ^
              kTables[4][(word >> 24) & 0xFF] ^ kTables[3][(word >> 32) & 0xFF] ^
              kTables[2][(word >> 40) & 0xFF] ^ kTables[1][(word >> 48) & 0xFF] ^ kTables[0][word >> 56];
        bytes += 8;
        count -= 8;
    }
    while (count-- > 0) crc = (crc >> 8) ^ kTables[0][(crc ^ *bytes++) & 0xFFu];
    return crc;
}

#if defined(__x86_64__)
__attribute__((target("sse4.2"))) std::uint32_t updateByInstruction(std::uint32_t crc,
                                                                    const std::uint8_t* bytes,
                                                                    std::size_t count) {
    std::uint64_t wide = crc;
    while (count >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes, 8);
        wide = __builtin_ia32_crc32di(wide, word);
        bytes += 8;
        count -= 8;
    }
    crc = static_cast<std::uint32_t>(wide);
    while (count-- > 0) crc = __builtin_ia32_crc32qi(crc, *bytes++);
    return crc;
}

bool hasCrcInstruction() {
    static const bool has = __builtin_cpu_supports("sse4.2");
    return has;
}
#endif

std::uint32_t update(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count) {
#if defined(__x86_64__)
    if (hasCrcInstruction()) return updateByInstruction(crc, bytes, count);
#endif
    return updateByTable(crc, bytes, count);
}

}  // namespace

std::uint32_t crc32c(const void* data, std::size_t bytes) {
    return ~update(0xFFFFFFFFu, static_cast<const std::uint8_t*>(data), bytes);
}

std::uint32_t frameChecksum(const std::uint16_t* samples, int width, int height, std::size_t strideSamples) {
    std::uint32_t crc = 0xFFFFFFFFu;
    const std::size_t rowSamples = width > 0 ? static_cast<std::size_t>(width) : 0;
    for (int row = 0; row < height; ++row) {
        const std::uint16_t* rowStart = samples + static_cast<std::size_t>(row) * strideSamples;
        if constexpr (std::endian::native == std::endian::little) {
            crc = update(crc, reinterpret_cast<const std::uint8_t*>(rowStart), rowSamples * 2);
        } else {
            for (std::size_t x = 0; x < rowSamples; ++x) {
                const std::uint8_t pair[2] = {static_cast<std::uint8_t>(rowStart[x] & 0xFF),
                                              static_cast<std::uint8_t>(rowStart[x] >> 8)};
                crc = update(crc, pair, 2);
            }
        }
    }
    return ~crc;
}
