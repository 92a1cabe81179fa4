#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "bytes/byte_order.h"

// Writes a binary header field by field: each number at the byte offset the
// format gives it, in the byte order named when the writer is made, so the
// layout is visible at the call and independent of the host.
//
// Every write checks that its bytes lie inside the block, in every build. A
// write that does not fit writes nothing and marks the writer failed; the
// mark stays, so the caller asks ok() once after the last field.
class ByteWriter {
public:
    ByteWriter(std::span<std::uint8_t> bytes, ByteOrder order) : bytes_(bytes), order_(order) {}

    std::size_t size() const { return bytes_.size(); }
    ByteOrder order() const { return order_; }
    bool ok() const { return !failed_; }
    bool covers(std::size_t offset, std::size_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }

    void put8(std::size_t offset, std::uint8_t value) { putNumber(offset, 1, value); }
    void put16(std::size_t offset, std::uint16_t value) { putNumber(offset, 2, value); }
    void put32(std::size_t offset, std::uint32_t value) { putNumber(offset, 4, value); }
    void put64(std::size_t offset, std::uint64_t value) { putNumber(offset, 8, value); }
    // Two's complement.
    void putI32(std::size_t offset, std::int32_t value) { put32(offset, static_cast<std::uint32_t>(value)); }
    // IEEE 754 single precision, sign and exponent in the most significant byte.
    void putF32(std::size_t offset, float value) { put32(offset, std::bit_cast<std::uint32_t>(value)); }
    // Bytes as they are: text, magic numbers.
    void putBytes(std::size_t offset, std::span<const std::uint8_t> value) {
        if (!covers(offset, value.size())) {
            failed_ = true;
            return;
        }
        for (std::size_t index = 0; index < value.size(); ++index) bytes_[offset + index] = value[index];
    }

private:
    void putNumber(std::size_t offset, std::size_t count, std::uint64_t value) {
        if (!covers(offset, count)) {
            failed_ = true;
            return;
        }
        for (std::size_t index = 0; index < count; ++index) {
            const std::size_t at =
                order_ == ByteOrder::kLittleEndian ? offset + index : offset + count - 1 - index;
            bytes_[at] = static_cast<std::uint8_t>(value >> (8 * index));
        }
    }

    std::span<std::uint8_t> bytes_;
    ByteOrder order_;
    bool failed_ = false;
};
