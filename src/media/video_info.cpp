#include "media/video_info.h"

#include <cassert>

#include "bytes/byte_view.h"
#include "bytes/byte_writer.h"
#include "media/known_ids.h"

namespace {

void writeRect(ByteWriter& out, std::size_t offset, const VideoRect& rect) {
    out.putI32(offset, rect.left);
    out.putI32(offset + 4, rect.top);
    out.putI32(offset + 8, rect.right);
    out.putI32(offset + 12, rect.bottom);
}

VideoRect readRect(ByteView& in, std::size_t offset) {
    return VideoRect{in.i32At(offset), in.i32At(offset + 4), in.i32At(offset + 8), in.i32At(offset + 12)};
}

void putBitmapInfoHeader(ByteWriter& out, std::size_t offset, const BitmapInfoHeader& header) {
    out.put32(offset, header.size);
    out.putI32(offset + 4, header.width);
    out.putI32(offset + 8, header.height);
    out.put16(offset + 12, header.planes);
    out.put16(offset + 14, header.bitCount);
    out.put32(offset + 16, header.compression);
    out.put32(offset + 20, header.sizeImage);
    out.putI32(offset + 24, header.xPelsPerMeter);
    out.putI32(offset + 28, header.yPelsPerMeter);
    out.put32(offset + 32, header.clrUsed);
    out.put32(offset + 36, header.clrImportant);
}

BitmapInfoHeader takeBitmapInfoHeader(ByteView& in, std::size_t offset) {
    BitmapInfoHeader header;
    header.size = in.u32At(offset);
    header.width = in.i32At(offset + 4);
    header.height = in.i32At(offset + 8);
    header.planes = in.u16At(offset + 12);
    header.bitCount = in.u16At(offset + 14);
    header.compression = in.u32At(offset + 16);
    header.sizeImage = in.u32At(offset + 20);
    header.xPelsPerMeter = in.i32At(offset + 24);
    header.yPelsPerMeter = in.i32At(offset + 28);
    header.clrUsed = in.u32At(offset + 32);
    header.clrImportant = in.u32At(offset + 36);
    return header;
}

}  // namespace

void writeBitmapInfoHeader(std::span<std::uint8_t> block, std::size_t offset,
                           const BitmapInfoHeader& header) {
    ByteWriter out(block, ByteOrder::kLittleEndian);
    putBitmapInfoHeader(out, offset, header);
    assert(out.ok());
}

std::optional<BitmapInfoHeader> readBitmapInfoHeader(std::span<const std::uint8_t> block,
                                                     std::size_t offset) {
    ByteView in(block, ByteOrder::kLittleEndian);
    const BitmapInfoHeader header = takeBitmapInfoHeader(in, offset);
    if (!in.ok()) return std::nullopt;
    return header;
}

void writeVideoInfoHeader(std::span<std::uint8_t> block, const VideoInfoHeader& header) {
    ByteWriter out(block, ByteOrder::kLittleEndian);
    writeRect(out, 0, header.source);
    writeRect(out, 16, header.target);
    out.put32(32, header.bitRate);
    out.put32(36, header.bitErrorRate);
    out.put64(40, static_cast<std::uint64_t>(header.avgTimePerFrame));
    putBitmapInfoHeader(out, kVideoInfoBitmapOffset, header.bitmap);
    assert(out.ok());
}

std::optional<VideoInfoHeader> readVideoInfoHeader(std::span<const std::uint8_t> block) {
    ByteView in(block, ByteOrder::kLittleEndian);
    VideoInfoHeader header;
    header.source = readRect(in, 0);
    header.target = readRect(in, 16);
    header.bitRate = in.u32At(32);
    header.bitErrorRate = in.u32At(36);
    header.avgTimePerFrame = static_cast<std::int64_t>(in.u64At(40));
    header.bitmap = takeBitmapInfoHeader(in, kVideoInfoBitmapOffset);
    if (!in.ok()) return std::nullopt;
    return header;
}

std::vector<std::uint8_t> makeVideoInfo(const VideoInfoHeader& header) {
    std::vector<std::uint8_t> block(kVideoInfoBytes, 0);
    writeVideoInfoHeader(block, header);
    return block;
}

std::optional<BitmapInfoHeader> bitmapHeaderOf(const MediaType& type) {
    if (type.formatType == FORMAT_VideoInfo) return readBitmapInfoHeader(type.format, kVideoInfoBitmapOffset);
    if (type.formatType == FORMAT_VideoInfo2)
        return readBitmapInfoHeader(type.format, kVideoInfo2BitmapOffset);
    return std::nullopt;
}
