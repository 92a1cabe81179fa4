#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "encode/metadata_tag_list.h"

// One record of a MetadataTagList as stored: bytes 0-3 the tag, bytes 4-7 a
// little-endian word whose top byte is the type character and whose low 24
// bits are the value's size, then the value, padded to a multiple of 4.
struct MetadataRecord {
    std::uint32_t tag = 0;  // four characters in memory order
    std::int32_t type = 0;  // the type character, read as a signed char
    std::span<const std::uint8_t> value;
};

// Walks the records of a list in stored order, within the list's used bytes
// only. A record whose header or value would run past the used bytes ends the
// walk: nothing beyond them is ever read.
class MetadataRecordReader {
public:
    explicit MetadataRecordReader(const MetadataTagList& list);

    // The next record, or nothing at the end.
    std::optional<MetadataRecord> next();

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};
