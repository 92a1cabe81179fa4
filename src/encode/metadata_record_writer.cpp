#include "encode/metadata_record_writer.h"

#include <cassert>
#include <cstdint>

namespace {

constexpr std::size_t kRecordHeaderBytes = 8;
constexpr std::size_t kLargestValue = 0xFFFFFF;  // 24 bits of size

}  // namespace

std::size_t metadataRecordBytes(std::size_t valueBytes) {
    return kRecordHeaderBytes + ((valueBytes + 3) & ~std::size_t{3});
}

bool metadataRecordsFit(const MetadataTagList& list, std::size_t bytes) {
    return bytes <= static_cast<std::size_t>(MetadataTagList::kCapacity - list.used);
}

bool appendMetadataRecord(MetadataTagList& list, std::string_view tag, char type, std::string_view value) {
    assert(tag.size() == 4);
    const std::size_t total = metadataRecordBytes(value.size());
    if (value.size() > kLargestValue || !metadataRecordsFit(list, total)) return false;
    std::uint8_t* record = list.bytes.data() + list.used;
    for (std::size_t index = 0; index < 4; ++index) record[index] = static_cast<std::uint8_t>(tag[index]);
    record[4] = static_cast<std::uint8_t>(value.size() & 0xFF);
    record[5] = static_cast<std::uint8_t>((value.size() >> 8) & 0xFF);
    record[6] = static_cast<std::uint8_t>((value.size() >> 16) & 0xFF);
    record[7] = static_cast<std::uint8_t>(type);
    std::size_t position = kRecordHeaderBytes;
    for (char c : value) record[position++] = static_cast<std::uint8_t>(c);
    while (position < total) record[position++] = 0;
    list.used += static_cast<std::int32_t>(total);
    return true;
}
