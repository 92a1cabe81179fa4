#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "bytes/byte_order.h"

// A bounded view of untrusted bytes, read in one byte order named when the
// view is made. Reads either follow a position that moves past what they
// read, or name an absolute offset and leave the position alone.
//
// Every read checks that its bytes lie inside the view, in every build. A
// read that does not fit reads nothing: it gives 0 (an empty span for
// bytes), leaves the position where it was, and marks the view failed. The
// mark stays, so a parser reads its fields and asks ok() once before it uses
// them.
class ByteView {
public:
    ByteView(std::span<const std::uint8_t> bytes, ByteOrder order) : bytes_(bytes), order_(order) {}

    std::size_t size() const { return bytes_.size(); }
    ByteOrder order() const { return order_; }
    std::size_t position() const { return position_; }
    std::size_t remaining() const { return bytes_.size() - position_; }
    // False once any read, skip or seek has not fitted.
    bool ok() const { return !failed_; }
    // True when count bytes from offset lie inside the view; overflow-safe.
    bool covers(std::size_t offset, std::size_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }

    std::uint8_t u8() { return static_cast<std::uint8_t>(next(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(next(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(next(4)); }
    std::uint64_t u64() { return next(8); }
    // Two's complement.
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    // IEEE 754 single precision, stored as a 32-bit number.
    float f32() { return std::bit_cast<float>(u32()); }
    std::span<const std::uint8_t> bytes(std::size_t count) {
        if (!covers(position_, count)) {
            failed_ = true;
            return {};
        }
        const std::span<const std::uint8_t> taken = bytes_.subspan(position_, count);
        position_ += count;
        return taken;
    }
    void skip(std::size_t count) { (void)bytes(count); }
    // The position may stand at the end, but not beyond it.
    void seek(std::size_t offset) {
        if (covers(offset, 0))
            position_ = offset;
        else
            failed_ = true;
    }

    std::uint8_t u8At(std::size_t offset) { return static_cast<std::uint8_t>(numberAt(offset, 1)); }
    std::uint16_t u16At(std::size_t offset) { return static_cast<std::uint16_t>(numberAt(offset, 2)); }
    std::uint32_t u32At(std::size_t offset) { return static_cast<std::uint32_t>(numberAt(offset, 4)); }
    std::uint64_t u64At(std::size_t offset) { return numberAt(offset, 8); }
    std::int32_t i32At(std::size_t offset) { return static_cast<std::int32_t>(u32At(offset)); }
    float f32At(std::size_t offset) { return std::bit_cast<float>(u32At(offset)); }
    std::span<const std::uint8_t> bytesAt(std::size_t offset, std::size_t count) {
        if (!covers(offset, count)) {
            failed_ = true;
            return {};
        }
        return bytes_.subspan(offset, count);
    }

private:
    std::uint64_t next(std::size_t count) {
        const std::uint64_t value = numberAt(position_, count);
        if (covers(position_, count)) position_ += count;
        return value;
    }

    std::uint64_t numberAt(std::size_t offset, std::size_t count) {
        if (!covers(offset, count)) {
            failed_ = true;
            return 0;
        }
        std::uint64_t value = 0;
        for (std::size_t index = 0; index < count; ++index) {
            const std::size_t at =
                order_ == ByteOrder::kBigEndian ? offset + index : offset + count - 1 - index;
            value = value << 8 | bytes_[at];
        }
        return value;
    }

    std::span<const std::uint8_t> bytes_;
    ByteOrder order_;
    std::size_t position_ = 0;
    bool failed_ = false;
};
