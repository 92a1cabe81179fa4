#pragma once

#include <cstddef>
#include <string_view>

#include "encode/metadata_tag_list.h"

// Writes records in the layout MetadataRecordReader reads: the four tag
// characters, a little-endian word of the type character (top byte) and the
// value's size (low 24 bits), the value, zeros up to a multiple of 4.

// The bytes a record with a value of valueBytes takes in the list.
std::size_t metadataRecordBytes(std::size_t valueBytes);

// True when records of this many bytes in all still fit in the list.
bool metadataRecordsFit(const MetadataTagList& list, std::size_t bytes);

// Appends one record; tag holds four characters. False, and nothing
// written, when it does not fit.
bool appendMetadataRecord(MetadataTagList& list, std::string_view tag, char type, std::string_view value);
