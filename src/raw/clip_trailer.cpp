#include "raw/clip_trailer.h"

#include <algorithm>

#include "bytes/byte_view.h"

std::optional<RawClipTrailer> parseRawClipTrailer(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kRawClipTrailerBytes) return std::nullopt;
    ByteView in(bytes, ByteOrder::kLittleEndian);
    static constexpr std::uint8_t kMagic[] = {'R', 'A', 'W', 'M'};
    const std::span<const std::uint8_t> magic = in.bytesAt(0, 4);
    if (!std::equal(magic.begin(), magic.end(), std::begin(kMagic), std::end(kMagic))) return std::nullopt;

    RawClipTrailer trailer;
    trailer.width = in.u16At(4);
    trailer.height = in.u16At(6);
    trailer.frameBytes = in.u32At(8);
    trailer.frameCount = in.u32At(12);
    trailer.frameRateMilli = in.u32At(20);
    trailer.version = in.i32At(32);
    trailer.heightCopy = in.i32At(40);
    trailer.widthCopy = in.i32At(44);
    trailer.packedRowBytes = in.i32At(48);
    trailer.frameBytesCopy = in.i32At(52);
    trailer.packing = in.i32At(56);
    trailer.blackLevel = in.i32At(60);
    trailer.whiteLevel = in.i32At(64);
    trailer.rect1Left = in.i32At(68);
    trailer.rect1Top = in.i32At(72);
    trailer.rect1Width = in.i32At(76);
    trailer.rect1Height = in.i32At(80);
    trailer.rect2Top = in.i32At(84);
    trailer.rect2Left = in.i32At(88);
    trailer.rect2Height = in.i32At(92);
    trailer.rect2Width = in.i32At(96);
    for (std::size_t entry = 0; entry < trailer.cameraMatrix.size(); ++entry)
        trailer.cameraMatrix[entry] = in.i32At(116 + 4 * entry);
    if (!in.ok()) return std::nullopt;
    return trailer;
}

void normalizeGeometryCopies(RawClipTrailer& trailer) {
    const std::int32_t width = trailer.width;
    const std::int32_t height = trailer.height;
    if (trailer.widthCopy != width) {
        trailer.widthCopy = width;
        trailer.rect1Width = width;
        trailer.rect2Width = width;
        trailer.packedRowBytes = static_cast<std::int32_t>(14u * static_cast<std::uint32_t>(width) / 8u);
        trailer.rect1Left = 0;
        trailer.rect2Left = 0;
    }
    if (trailer.heightCopy != height) {
        trailer.heightCopy = height;
        trailer.rect1Height = height;
        trailer.rect2Height = height;
        trailer.rect1Top = 0;
        trailer.rect2Top = 0;
    }
    trailer.frameBytesCopy = static_cast<std::int32_t>(trailer.frameBytes);
}

bool storesPlainSamples(const RawClipTrailer& trailer) {
    return std::uint64_t{trailer.frameBytes} == std::uint64_t{trailer.width} * trailer.height * 2;
}

std::uint64_t packedFrameBytesNeeded(const RawClipTrailer& trailer) {
    const std::uint64_t samples = std::uint64_t{trailer.width} * trailer.height;
    if (trailer.packing == kPacking14) return samples * 14 / 8;
    if (trailer.packing == kPacking12) return samples * 5 / 4;
    return 0;
}

TrailerProblem findTrailerProblem(const RawClipTrailer& trailer) {
    if (trailer.width == 0) return {TrailerField::FrameWidth, "a frame needs at least one sample per row"};
    if (trailer.height == 0) return {TrailerField::FrameHeight, "a frame needs at least one row"};
    if (trailer.frameBytes > kMaxFrameBytes)
        return {TrailerField::FrameBytes, "a frame may not exceed 1 GiB"};
    if (std::uint64_t{trailer.width} * trailer.height * 2 > kMaxFrameBytes)
        return {TrailerField::FrameArea, "the unpacked frame would exceed 1 GiB"};
    if (storesPlainSamples(trailer)) return {};
    // A packing the unpacker does not know would leave the frames unwritten.
    if (trailer.packing != kPacking14 && trailer.packing != kPacking12)
        return {TrailerField::Packing, "only packings 14 and 12 are known"};
    if (trailer.packing == kPacking14 && trailer.width % 8 != 0)
        return {TrailerField::FrameWidth, "packing 14 needs a width that is a multiple of 8"};
    if (trailer.packing == kPacking12 && trailer.width % 4 != 0)
        return {TrailerField::FrameWidth, "packing 12 needs a width that is a multiple of 4"};
    if (trailer.frameBytes < packedFrameBytesNeeded(trailer))
        return {TrailerField::FrameBytes, "a frame is shorter than its packed samples"};
    return {};
}

const char* trailerFieldName(TrailerField field) {
    switch (field) {
        case TrailerField::FrameWidth:
            return "frame width (offset 4)";
        case TrailerField::FrameHeight:
            return "frame height (offset 6)";
        case TrailerField::FrameBytes:
            return "frame bytes (offset 8)";
        case TrailerField::FrameArea:
            return "frame width x height (offsets 4 and 6)";
        case TrailerField::Packing:
            return "sample packing (offset 56)";
        case TrailerField::None:
            break;
    }
    return "no field";
}

std::uint64_t trailerFieldValue(const RawClipTrailer& trailer, TrailerField field) {
    switch (field) {
        case TrailerField::FrameWidth:
            return trailer.width;
        case TrailerField::FrameHeight:
            return trailer.height;
        case TrailerField::FrameBytes:
            return trailer.frameBytes;
        case TrailerField::FrameArea:
            return std::uint64_t{trailer.width} * trailer.height;
        case TrailerField::Packing:
            return static_cast<std::uint32_t>(trailer.packing);
        case TrailerField::None:
            break;
    }
    return 0;
}
