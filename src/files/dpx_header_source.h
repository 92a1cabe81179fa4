#pragma once

// The two places a DPX header is parsed from, for the reader's own files.

#include <algorithm>
#include <cstdint>
#include <span>

#include "bytes/byte_view.h"
#include "files/dpx_file_reader.h"

// Where header blocks come from: the open file, or a block in memory.
// size() is the real size of the file; no read may reach beyond it.
class CDPXFileReader::HeaderSource {
public:
    virtual ~HeaderSource() = default;
    virtual std::uint64_t size() const = 0;
    virtual bool read(std::uint64_t offset, std::span<std::uint8_t> into) = 0;
};

class CDPXFileReader::FileSource final : public CDPXFileReader::HeaderSource {
public:
    FileSource(CDPXFile& file, std::uint64_t fileSize) : file_(file), fileSize_(fileSize) {}
    std::uint64_t size() const override { return fileSize_; }
    bool read(std::uint64_t offset, std::span<std::uint8_t> into) override {
        if (offset > fileSize_ || into.size() > fileSize_ - offset) return false;
        return file_.Seek(static_cast<std::int64_t>(offset), SeekOrigin::Begin) &&
               file_.ReadExact(into.data(), into.size());
    }

private:
    CDPXFile& file_;
    std::uint64_t fileSize_;
};

class CDPXFileReader::BlockSource final : public CDPXFileReader::HeaderSource {
public:
    explicit BlockSource(std::span<const std::uint8_t> block) : block_(block) {}
    std::uint64_t size() const override { return block_.size(); }
    bool read(std::uint64_t offset, std::span<std::uint8_t> into) override {
        // Bytes are copied as they stand, so the view's order plays no part.
        ByteView file(block_, ByteOrder::kBigEndian);
        const std::span<const std::uint8_t> bytes = file.bytesAt(offset, into.size());
        if (!file.ok()) return false;
        std::copy(bytes.begin(), bytes.end(), into.begin());
        return true;
    }

private:
    std::span<const std::uint8_t> block_;
};
