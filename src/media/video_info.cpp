#include "media/video_info.h"

#include "media/known_ids.h"
#include "media/little_endian.h"

namespace {

void writeRect(std::span<std::uint8_t> block, std::size_t offset, const VideoRect& rect) {
    putLE32(block, offset, static_cast<std::uint32_t>(rect.left));
    putLE32(block, offset + 4, static_cast<std::uint32_t>(rect.top));
    putLE32(block, offset + 8, static_cast<std::uint32_t>(rect.right));
    putLE32(block, offset + 12, static_cast<std::uint32_t>(rect.bottom));
}

VideoRect readRect(std::span<const std::uint8_t> block, std::size_t offset) {
    return VideoRect{static_cast<std::int32_t>(getLE32(block, offset)),
                     static_cast<std::int32_t>(getLE32(block, offset + 4)),
                     static_cast<std::int32_t>(getLE32(block, offset + 8)),
                     static_cast<std::int32_t>(getLE32(block, offset + 12))};
}

}  // namespace

void writeBitmapInfoHeader(std::span<std::uint8_t> block, std::size_t offset,
                           const BitmapInfoHeader& header) {
    putLE32(block, offset, header.size);
    putLE32(block, offset + 4, static_cast<std::uint32_t>(header.width));
    putLE32(block, offset + 8, static_cast<std::uint32_t>(header.height));
    putLE16(block, offset + 12, header.planes);
    putLE16(block, offset + 14, header.bitCount);
    putLE32(block, offset + 16, header.compression);
    putLE32(block, offset + 20, header.sizeImage);
    putLE32(block, offset + 24, static_cast<std::uint32_t>(header.xPelsPerMeter));
    putLE32(block, offset + 28, static_cast<std::uint32_t>(header.yPelsPerMeter));
    putLE32(block, offset + 32, header.clrUsed);
    putLE32(block, offset + 36, header.clrImportant);
}

std::optional<BitmapInfoHeader> readBitmapInfoHeader(std::span<const std::uint8_t> block,
                                                     std::size_t offset) {
    if (block.size() < offset || block.size() - offset < kBitmapInfoHeaderBytes) return std::nullopt;
    BitmapInfoHeader header;
    header.size = getLE32(block, offset);
    header.width = static_cast<std::int32_t>(getLE32(block, offset + 4));
    header.height = static_cast<std::int32_t>(getLE32(block, offset + 8));
    header.planes = getLE16(block, offset + 12);
    header.bitCount = getLE16(block, offset + 14);
    header.compression = getLE32(block, offset + 16);
    header.sizeImage = getLE32(block, offset + 20);
    header.xPelsPerMeter = static_cast<std::int32_t>(getLE32(block, offset + 24));
    header.yPelsPerMeter = static_cast<std::int32_t>(getLE32(block, offset + 28));
    header.clrUsed = getLE32(block, offset + 32);
    header.clrImportant = getLE32(block, offset + 36);
    return header;
}

void writeVideoInfoHeader(std::span<std::uint8_t> block, const VideoInfoHeader& header) {
    writeRect(block, 0, header.source);
    writeRect(block, 16, header.target);
    putLE32(block, 32, header.bitRate);
    putLE32(block, 36, header.bitErrorRate);
    putLE64(block, 40, static_cast<std::uint64_t>(header.avgTimePerFrame));
    writeBitmapInfoHeader(block, kVideoInfoBitmapOffset, header.bitmap);
}

std::optional<VideoInfoHeader> readVideoInfoHeader(std::span<const std::uint8_t> block) {
    if (block.size() < kVideoInfoHeaderBytes) return std::nullopt;
    VideoInfoHeader header;
    header.source = readRect(block, 0);
    header.target = readRect(block, 16);
    header.bitRate = getLE32(block, 32);
    header.bitErrorRate = getLE32(block, 36);
    header.avgTimePerFrame = static_cast<std::int64_t>(getLE64(block, 40));
    header.bitmap = *readBitmapInfoHeader(block, kVideoInfoBitmapOffset);
    return header;
}

std::vector<std::uint8_t> makeVideoInfo(const VideoInfoHeader& header) {
    std::vector<std::uint8_t> block(kVideoInfoBytes, 0);
    writeVideoInfoHeader(block, header);
    return block;
}

std::optional<BitmapInfoHeader> readBitmapHeaderOfType(const MediaType& type) {
    if (type.formatType == FORMAT_VideoInfo) return readBitmapInfoHeader(type.format, kVideoInfoBitmapOffset);
    if (type.formatType == FORMAT_VideoInfo2)
        return readBitmapInfoHeader(type.format, kVideoInfo2BitmapOffset);
    return std::nullopt;
}
