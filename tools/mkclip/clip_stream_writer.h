#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file.h"

// Writes a clip's byte stream across its files: file 0 is the .RAW file,
// file n the continuation n - 1. Every file but the last holds exactly
// splitBytes bytes. Regions never written stay holes in sparse files.
class ClipStreamWriter {
public:
    ClipStreamWriter(std::string firstPath, std::string continuationStem, std::uint64_t splitBytes);

    bool write(const std::uint8_t* bytes, std::size_t count);
    // Moves on without writing: the bytes read back as zeros.
    void skip(std::uint64_t count) { streamOffset_ += count; }
    // Writes the trailer right after the stream, in the last file.
    bool finish(const std::uint8_t* trailer, std::size_t count);

    const std::string& error() const { return error_; }
    int filesWritten() const { return fileIndex_ + 1; }

private:
    std::string pathOf(int fileIndex) const;
    bool moveToFile(int fileIndex);
    bool openFile(int fileIndex);
    // Gives the open file the length `bytes`, writing its last byte when it
    // would otherwise end in a hole.
    bool extendTo(std::uint64_t bytes);
    bool fail(const std::string& what);

    std::string firstPath_;
    std::string continuationStem_;
    std::uint64_t splitBytes_;
    std::uint64_t streamOffset_ = 0;
    platform::File file_;
    int fileIndex_ = -1;
    std::uint64_t fileEnd_ = 0;  // bytes of the open file that are written or covered
    std::string error_;
};
