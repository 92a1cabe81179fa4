#pragma once

// Reading and writing the fields of one DPX header block through the layout
// table, with the bounds of the block checked on every access.

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

#include "bytes/byte_view.h"
#include "bytes/byte_writer.h"
#include "files/dpx_layout.h"

// Reads the fields of one header block held in memory, in the file's byte
// order. A field that does not lie in the bytes reads as 0 and marks the
// reader failed (see ByteView); asking it for a field of another block is a
// bug.
class DpxFieldReader {
public:
    DpxFieldReader(DpxBlock block, std::span<const std::uint8_t> bytes, ByteOrder order)
        : block_(block), view_(bytes, order) {}

    template <typename Value>
    Value read(const DpxField<Value>& field) {
        const std::size_t offset = offsetOf(field.block, field.at);
        if constexpr (std::is_same_v<Value, std::uint8_t>)
            return view_.u8At(offset);
        else if constexpr (std::is_same_v<Value, std::uint16_t>)
            return view_.u16At(offset);
        else if constexpr (std::is_same_v<Value, std::uint32_t>)
            return view_.u32At(offset);
        else
            return view_.f32At(offset);
    }
    std::span<const std::uint8_t> read(const DpxBytesField& field) {
        return view_.bytesAt(offsetOf(field.block, field.at), field.bytes);
    }
    // True when every byte of the field is zero: a field nothing has set,
    // whatever the byte order (a float of -0.0 is not zero here).
    template <typename Value>
    bool holdsZero(const DpxField<Value>& field) {
        const std::span<const std::uint8_t> bytes =
            view_.bytesAt(offsetOf(field.block, field.at), field.bytes);
        return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte == 0; });
    }

    bool ok() const { return view_.ok(); }

private:
    std::size_t offsetOf(DpxBlock fieldBlock, std::uint32_t at) const {
        assert(fieldBlock.at == block_.at);
        return at - block_.at;
    }

    DpxBlock block_;
    ByteView view_;
};

// Writes the fields of one header block, numbers big-endian: every file this
// program writes begins "SDPX". A field that does not lie in the bytes, or a
// value longer than its field, is not written and marks the writer failed;
// asking it for a field of another block is a bug.
class DpxFieldWriter {
public:
    DpxFieldWriter(DpxBlock block, std::span<std::uint8_t> bytes)
        : block_(block), out_(bytes, ByteOrder::kBigEndian) {}

    template <typename Value>
    void write(const DpxField<Value>& field, std::type_identity_t<Value> value) {
        const std::size_t offset = offsetOf(field.block, field.at);
        if constexpr (std::is_same_v<Value, std::uint8_t>)
            out_.put8(offset, value);
        else if constexpr (std::is_same_v<Value, std::uint16_t>)
            out_.put16(offset, value);
        else if constexpr (std::is_same_v<Value, std::uint32_t>)
            out_.put32(offset, value);
        else
            out_.putF32(offset, value);
    }
    // The bytes at the start of the field; the rest of it stays as it is.
    void write(const DpxBytesField& field, std::span<const std::uint8_t> bytes) {
        if (bytes.size() > field.bytes) {
            tooLong_ = true;
            return;
        }
        out_.putBytes(offsetOf(field.block, field.at), bytes);
    }
    // Text cut to field.bytes - 1 characters, so that a zero of the block
    // (written before) ends it.
    void writeText(const DpxBytesField& field, std::string_view text) {
        const std::size_t length = std::min<std::size_t>(text.size(), field.bytes - 1);
        write(field, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), length));
    }

    bool ok() const { return out_.ok() && !tooLong_; }

private:
    std::size_t offsetOf(DpxBlock fieldBlock, std::uint32_t at) const {
        assert(fieldBlock.at == block_.at);
        return at - block_.at;
    }

    DpxBlock block_;
    ByteWriter out_;
    bool tooLong_ = false;
};
