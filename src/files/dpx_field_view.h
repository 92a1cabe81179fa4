#pragma once

#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

// A bounded view of DPX header bytes in the file's byte order: big-endian for
// an "SDPX" file, little-endian for an "XPDS" one. Every read names its
// offset and is checked against the end of the view; asking for bytes beyond
// it is a bug in the caller, who checks covers() first.
class DpxFieldView {
public:
    DpxFieldView(std::span<const std::uint8_t> bytes, bool bigEndian)
        : bytes_(bytes), bigEndian_(bigEndian) {}

    std::size_t size() const { return bytes_.size(); }
    bool covers(std::size_t offset, std::size_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }

    std::uint8_t u8At(std::size_t offset) const {
        assert(covers(offset, 1));
        return bytes_[offset];
    }
    std::uint16_t u16At(std::size_t offset) const {
        assert(covers(offset, 2));
        const unsigned first = bytes_[offset], second = bytes_[offset + 1];
        return static_cast<std::uint16_t>(bigEndian_ ? first << 8 | second : second << 8 | first);
    }
    std::uint32_t u32At(std::size_t offset) const {
        assert(covers(offset, 4));
        std::uint32_t value = 0;
        for (std::size_t index = 0; index < 4; ++index) {
            const std::size_t at = bigEndian_ ? offset + index : offset + 3 - index;
            value = value << 8 | bytes_[at];
        }
        return value;
    }
    float floatAt(std::size_t offset) const { return std::bit_cast<float>(u32At(offset)); }

private:
    std::span<const std::uint8_t> bytes_;
    bool bigEndian_;
};
