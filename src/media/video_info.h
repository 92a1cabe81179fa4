#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "media/media_type.h"

// The video format blocks of media types, read and written field by field at
// their fixed little-endian offsets:
//   VIDEOINFOHEADER (88 bytes): rcSource 0, rcTarget 16, dwBitRate 32,
//     dwBitErrorRate 36, AvgTimePerFrame 40 (64-bit), bitmap header 48.
//   VIDEOINFO (1128 bytes): VIDEOINFOHEADER and the colour-table union.
//   VIDEOINFOHEADER2 (112 bytes): the same up to 48, then interlace, copy
//     protection, aspect ratio and control words, bitmap header 72.
//   BITMAPINFOHEADER (40 bytes): biSize 0, biWidth 4, biHeight 8, biPlanes 12
//     (16-bit), biBitCount 14 (16-bit), biCompression 16, biSizeImage 20,
//     biXPelsPerMeter 24, biYPelsPerMeter 28, biClrUsed 32, biClrImportant 36.

inline constexpr std::size_t kBitmapInfoHeaderBytes = 40;
inline constexpr std::size_t kVideoInfoHeaderBytes = 88;
inline constexpr std::size_t kVideoInfoBytes = 1128;
inline constexpr std::size_t kVideoInfoHeader2Bytes = 112;
inline constexpr std::size_t kVideoInfoBitmapOffset = 48;
inline constexpr std::size_t kVideoInfo2BitmapOffset = 72;

struct VideoRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

struct BitmapInfoHeader {
    std::uint32_t size = kBitmapInfoHeaderBytes;
    std::int32_t width = 0;
    std::int32_t height = 0;  // positive: rows stored top first for the formats used here
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;  // four characters in memory order
    std::uint32_t sizeImage = 0;    // bytes of one picture
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
};

struct VideoInfoHeader {
    VideoRect source;
    VideoRect target;
    std::uint32_t bitRate = 0;
    std::uint32_t bitErrorRate = 0;
    std::int64_t avgTimePerFrame = 0;  // 100-ns units
    BitmapInfoHeader bitmap;
};

// Writes a bitmap header at offset; the block must hold it.
void writeBitmapInfoHeader(std::span<std::uint8_t> block, std::size_t offset, const BitmapInfoHeader& header);
// Reads a bitmap header at offset; nothing when the block is too short.
std::optional<BitmapInfoHeader> readBitmapInfoHeader(std::span<const std::uint8_t> block, std::size_t offset);

// Writes a VIDEOINFOHEADER at the start of a block of at least 88 bytes;
// bytes beyond it are left as they are.
void writeVideoInfoHeader(std::span<std::uint8_t> block, const VideoInfoHeader& header);
// Reads a VIDEOINFOHEADER; nothing when the block is shorter than 88 bytes.
std::optional<VideoInfoHeader> readVideoInfoHeader(std::span<const std::uint8_t> block);

// A zero-filled 1128-byte VIDEOINFO carrying the header.
std::vector<std::uint8_t> makeVideoInfo(const VideoInfoHeader& header);

// The bitmap header of a video type, at the offset its format type gives
// (FORMAT_VideoInfo or FORMAT_VideoInfo2); nothing for any other format type
// or a format block too short for its header.
std::optional<BitmapInfoHeader> readBitmapHeaderOfType(const MediaType& type);
