#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

// The bit writer of JPEG entropy-coded data: codes go out most significant bit
// first, and every 0xFF byte is followed by a stuffed 0x00 so that it cannot be
// taken for a marker.
//
// Bits gather in a 64-bit word and leave eight bytes at a time. The word is
// tested for a 0xFF byte with one subtraction (a zero byte in its complement);
// only then are its bytes written one by one.
//
// The writer does not check room: for every 8 bytes of bits it writes at most
// 16, and the caller makes sure they fit before each batch of codes.
struct JpegBitWriter {
    std::uint64_t bits = 0;  // the pending bits sit at the bottom; above them, bits already written
    int freeBits = 64;       // 64 - pending bits
    std::uint8_t* out = nullptr;

    // `value` holds `length` bits (1 to 32) at the bottom; nothing above them.
    inline void put(std::uint64_t value, int length) {
        freeBits -= length;
        if (freeBits >= 0) {
            bits = (bits << length) | value;
            return;
        }
        // The word fills up: the top of `value` completes it, the rest stays pending.
        // The bits of `value` that were written are shifted out before the next word is full.
        const int fitting = length + freeBits;
        bits = (bits << fitting) | (value >> -freeBits);
        writeWord(bits);
        bits = value;
        freeBits += 64;
    }

    // Pads the last byte with one bits and writes what is pending.
    inline void flush() {
        int pending = 64 - freeBits;
        const int padding = (8 - pending % 8) % 8;
        std::uint64_t word = (bits << padding) | ((std::uint64_t{1} << padding) - 1);
        pending += padding;
        for (int shift = pending - 8; shift >= 0; shift -= 8)
            writeByte(static_cast<std::uint8_t>(word >> shift));
        bits = 0;
        freeBits = 64;
    }

    // The room that `bitCount` more bits and a flush can take, stuffing included.
    static constexpr std::size_t worstCaseBytes(std::size_t bitCount) { return 2 * (bitCount / 8 + 8 + 1); }

private:
    static constexpr std::uint64_t kLowBits = 0x0101010101010101ull;
    static constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

    inline void writeByte(std::uint8_t byte) {
        *out++ = byte;
        if (byte == 0xFF) *out++ = 0;
    }

    inline void writeWord(std::uint64_t word) {
        const std::uint64_t inverted = ~word;
        if (((inverted - kLowBits) & ~inverted & kHighBits) == 0) {
            const std::uint64_t bigEndian =
                std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
            std::memcpy(out, &bigEndian, 8);
            out += 8;
            return;
        }
        for (int shift = 56; shift >= 0; shift -= 8) writeByte(static_cast<std::uint8_t>(word >> shift));
    }
};
