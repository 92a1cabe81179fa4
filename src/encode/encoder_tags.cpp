#include "encode/encoder_tags.h"

#include <bit>
#include <cstdint>

#include "encode/metadata_records.h"

// The fixed values are passed straight from memory, which the interface
// promises to be little-endian numbers.
static_assert(std::endian::native == std::endian::little);

namespace {

// The type characters, widened as the interface passes them.
constexpr std::int32_t kHex = 'H';
constexpr std::int32_t kBytes = 'b';
constexpr std::int32_t kFloats = 'f';
constexpr std::int32_t kInteger = 'L';

constexpr std::uint32_t kLargestDebayerSent = 65534;

void sendValue(IEncoderMetadata* metadata, std::uint32_t tag, std::int32_t type, const void* value,
               std::uint32_t size) {
    metadata->SetMetadata(tag, type, size, value);
}

}  // namespace

void sendEncoderTags(IEncoderMetadata* metadata, const EncoderTagValues& values,
                     const MetadataTagList* userTags) {
    const std::int32_t curveCode = values.curveCode;
    const std::int32_t one = 1;
    const std::uint8_t bayerFormat = 0;
    const float highlightPoint = 0.5f;

    sendValue(metadata, makeFourCC("ECRV"), kHex, &curveCode, sizeof curveCode);
    sendValue(metadata, makeFourCC("PCRV"), kHex, &one, sizeof one);
    sendValue(metadata, makeFourCC("CCRV"), kHex, &curveCode, sizeof curveCode);
    if (values.raw) sendValue(metadata, makeFourCC("BFMT"), kBytes, &bayerFormat, sizeof bayerFormat);
    sendValue(metadata, makeFourCC("COLM"), kFloats, values.colorMatrix.data(), sizeof values.colorMatrix);
    sendValue(metadata, makeFourCC("BMTX"), kInteger, &one, sizeof one);
    sendValue(metadata, makeFourCC("WBAL"), kFloats, values.whiteBalance.data(), sizeof values.whiteBalance);
    sendValue(metadata, makeFourCC("HPNT"), kFloats, &highlightPoint, sizeof highlightPoint);
    // Unsigned, so a negative code is never sent.
    if (values.raw && static_cast<std::uint32_t>(values.debayer) <= kLargestDebayerSent) {
        const std::int32_t demosaic = values.debayer + 2;
        sendValue(metadata, makeFourCC("DEMO"), kInteger, &demosaic, sizeof demosaic);
    }

    if (userTags == nullptr) return;
    MetadataRecordReader records(*userTags);
    while (const std::optional<MetadataRecord> record = records.next()) {
        sendValue(metadata, record->tag, record->type, record->value.data(),
                  static_cast<std::uint32_t>(record->value.size()));
    }
}
