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

// The instruction takes three cycles and can start every cycle, so three
// blocks are run at once and joined: the running CRC of block A then B is
// that of A moved past as many zero bytes as B has, xor the CRC of B from 0.
// Moving a CRC past a fixed number of zeros is linear in its bits, so it is
// four look-ups in tables made once.
constexpr std::size_t kLongBlock = 8192;
constexpr std::size_t kShortBlock = 256;

struct ZeroShift {
    std::array<std::array<std::uint32_t, 256>, 4> table{};

    std::uint32_t operator()(std::uint32_t crc) const {
        return table[0][crc & 0xFF] ^ table[1][(crc >> 8) & 0xFF] ^ table[2][(crc >> 16) & 0xFF] ^
               table[3][crc >> 24];
    }
};

__attribute__((target("sse4.2"))) ZeroShift makeZeroShift(std::size_t zeroBytes) {
    ZeroShift shift;
    std::array<std::uint32_t, 32> ofBit{};
    for (int bit = 0; bit < 32; ++bit) {
        std::uint64_t crc = std::uint64_t{1} << bit;
        for (std::size_t word = 0; word < zeroBytes / 8; ++word) crc = __builtin_ia32_crc32di(crc, 0);
        ofBit[static_cast<std::size_t>(bit)] = static_cast<std::uint32_t>(crc);
    }
    for (std::size_t slice = 0; slice < 4; ++slice)
        for (std::size_t byte = 0; byte < 256; ++byte) {
            std::uint32_t crc = 0;
            for (std::size_t bit = 0; bit < 8; ++bit)
                if (byte >> bit & 1) crc ^= ofBit[8 * slice + bit];
            shift.table[slice][byte] = crc;
        }
    return shift;
}

// Three blocks of `block` bytes at a time while they last.
__attribute__((target("sse4.2"))) std::uint32_t updateInThrees(std::uint32_t crc, const std::uint8_t*& bytes,
                                                               std::size_t& count, std::size_t block,
                                                               const ZeroShift& shift) {
    while (count >= 3 * block) {
        std::uint64_t first = crc, second = 0, third = 0;
        for (std::size_t at = 0; at < block; at += 8) {
            std::uint64_t words[3];
            std::memcpy(&words[0], bytes + at, 8);
            std::memcpy(&words[1], bytes + block + at, 8);
            std::memcpy(&words[2], bytes + 2 * block + at, 8);
            first = __builtin_ia32_crc32di(first, words[0]);
            second = __builtin_ia32_crc32di(second, words[1]);
            third = __builtin_ia32_crc32di(third, words[2]);
        }
        crc = shift(shift(static_cast<std::uint32_t>(first)) ^ static_cast<std::uint32_t>(second)) ^
              static_cast<std::uint32_t>(third);
        bytes += 3 * block;
        count -= 3 * block;
    }
    return crc;
}

std::uint32_t updateByInstructionInThrees(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count) {
    static const ZeroShift kPastLong = makeZeroShift(kLongBlock);
    static const ZeroShift kPastShort = makeZeroShift(kShortBlock);
    crc = updateInThrees(crc, bytes, count, kLongBlock, kPastLong);
    crc = updateInThrees(crc, bytes, count, kShortBlock, kPastShort);
    return updateByInstruction(crc, bytes, count);
}

bool hasCrcInstruction() {
    static const bool has = __builtin_cpu_supports("sse4.2");
    return has;
}
#endif

std::uint32_t update(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count) {
#if defined(__x86_64__)
    if (hasCrcInstruction()) return updateByInstructionInThrees(crc, bytes, count);
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
