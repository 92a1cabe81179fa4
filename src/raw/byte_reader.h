#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

// A bounded little-endian view of untrusted bytes. Every read names its
// offset and is checked against the end of the view; asking for bytes beyond
// it is a bug in the caller, who must check covers() first.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

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
        return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
    }
    std::uint32_t u32At(std::size_t offset) const {
        assert(covers(offset, 4));
        return static_cast<std::uint32_t>(bytes_[offset]) |
               (static_cast<std::uint32_t>(bytes_[offset + 1]) << 8) |
               (static_cast<std::uint32_t>(bytes_[offset + 2]) << 16) |
               (static_cast<std::uint32_t>(bytes_[offset + 3]) << 24);
    }
    // Two's complement, as the clip's signed fields are stored.
    std::int32_t i32At(std::size_t offset) const { return static_cast<std::int32_t>(u32At(offset)); }

private:
    std::span<const std::uint8_t> bytes_;
};
