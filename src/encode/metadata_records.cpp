#include "encode/metadata_records.h"

#include <algorithm>

#include "bytes/byte_view.h"

namespace {

constexpr std::size_t kHeaderBytes = 8;

std::size_t usedBytes(const MetadataTagList& list) {
    return static_cast<std::size_t>(std::clamp<std::int32_t>(list.used, 0, MetadataTagList::kCapacity));
}

}  // namespace

MetadataRecordReader::MetadataRecordReader(const MetadataTagList& list)
    : bytes_(list.bytes.data(), usedBytes(list)) {}

std::optional<MetadataRecord> MetadataRecordReader::next() {
    if (position_ >= bytes_.size() || bytes_.size() - position_ < kHeaderBytes) return std::nullopt;
    ByteView in(bytes_, ByteOrder::kLittleEndian);
    const std::uint32_t sizeAndType = in.u32At(position_ + 4);
    const std::size_t size = sizeAndType & 0xFFFFFF;
    if (size > bytes_.size() - position_ - kHeaderBytes) {
        position_ = bytes_.size();
        return std::nullopt;
    }
    MetadataRecord record;
    record.tag = in.u32At(position_);
    record.type = static_cast<std::int8_t>(sizeAndType >> 24);
    record.value = bytes_.subspan(position_ + kHeaderBytes, size);
    position_ += kHeaderBytes + ((size + 3) & ~std::size_t{3});
    return record;
}
