#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// The record at the end of the last file of a clip. Offsets are those of the
// little-endian bytes on disk.
inline constexpr std::size_t kRawClipTrailerBytes = 192;
// The largest frame the reader accepts, stored or unpacked.
inline constexpr std::uint64_t kMaxFrameBytes = 1ull << 30;

struct RawClipTrailer {
    std::uint16_t width = 0;           // 4: samples per row
    std::uint16_t height = 0;          // 6: rows
    std::uint32_t frameBytes = 0;      // 8: one frame in the stream
    std::uint32_t frameCount = 0;      // 12: reported only
    std::uint32_t frameRateMilli = 0;  // 20: thousandths of a frame per second
    std::int32_t version = 0;          // 32
    std::int32_t heightCopy = 0;       // 40
    std::int32_t widthCopy = 0;        // 44
    std::int32_t packedRowBytes = 0;   // 48
    std::int32_t frameBytesCopy = 0;   // 52
    std::int32_t packing = 0;          // 56: 14 or 12
    std::int32_t blackLevel = 0;       // 60
    std::int32_t whiteLevel = 0;       // 64
    std::int32_t rect1Left = 0;        // 68
    std::int32_t rect1Top = 0;         // 72
    std::int32_t rect1Width = 0;       // 76
    std::int32_t rect1Height = 0;      // 80
    std::int32_t rect2Top = 0;         // 84
    std::int32_t rect2Left = 0;        // 88
    std::int32_t rect2Height = 0;      // 92
    std::int32_t rect2Width = 0;       // 96
    // 116: nine rational entries, row by row, each numerator then denominator.
    std::array<std::int32_t, 18> cameraMatrix{};
};

inline constexpr std::int32_t kPacking14 = 14;  // eight 14-bit samples in 14 bytes
inline constexpr std::int32_t kPacking12 = 12;  // four 10-bit samples in 5 bytes
inline constexpr std::int32_t kSupportedTrailerVersion = 1;

// The trailer in exactly kRawClipTrailerBytes bytes; none when the view has
// another size or does not begin with the magic "RAWM".
std::optional<RawClipTrailer> parseRawClipTrailer(std::span<const std::uint8_t> bytes);

// Brings the second copies of the geometry in line with the frame size: a
// differing width copy resets the width fields and left edges, a differing
// height copy the height fields and top edges; the frame bytes copy always
// follows the frame bytes.
void normalizeGeometryCopies(RawClipTrailer& trailer);

// True when a frame holds plain 16-bit samples rather than packed ones.
bool storesPlainSamples(const RawClipTrailer& trailer);

// Bytes the unpacker reads from one packed frame; 0 for a packing it leaves alone.
std::uint64_t packedFrameBytesNeeded(const RawClipTrailer& trailer);

enum class TrailerField { None, FrameWidth, FrameHeight, FrameBytes, FrameArea, Packing };

// The first field whose value cannot describe a readable clip, with the reason.
struct TrailerProblem {
    TrailerField field = TrailerField::None;
    const char* reason = "";
    explicit operator bool() const { return field != TrailerField::None; }
};

TrailerProblem findTrailerProblem(const RawClipTrailer& trailer);
// "frame width (offset 4)" and the like.
const char* trailerFieldName(TrailerField field);
std::uint64_t trailerFieldValue(const RawClipTrailer& trailer, TrailerField field);
