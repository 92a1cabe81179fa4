// Walks the records of a tag list made from arbitrary bytes: the first two
// bytes give the used count (signed, so negative and oversized counts come
// up), the rest fill the list. Every record must lie inside the used bytes.
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "encode/metadata_records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    MetadataTagList list;
    list.used = static_cast<std::int16_t>(data[0] | data[1] << 8);
    const std::size_t copied = std::min<std::size_t>(size - 2, list.bytes.size());
    std::copy(data + 2, data + 2 + copied, list.bytes.begin());

    const std::uint8_t* const begin = list.bytes.data();
    const std::size_t used =
        static_cast<std::size_t>(std::clamp<std::int32_t>(list.used, 0, MetadataTagList::kCapacity));
    const std::uint8_t* previousEnd = begin;
    MetadataRecordReader reader(list);
    while (const std::optional<MetadataRecord> record = reader.next()) {
        const std::uint8_t* value = record->value.data();
        assert(value >= previousEnd + 8);
        assert(value + record->value.size() <= begin + used);
        assert(record->value.size() < (1u << 24));
        previousEnd = value + record->value.size();
    }
    return 0;
}
