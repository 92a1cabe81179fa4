#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A camera archive is a RAW movie (lossless JPEG frames in the quadrant
// layout, 16-bit samples) of a clip's frames exactly as the clip stores
// them: 14-bit samples as 0 to 16383, the 10-bit samples of 12-bit packing
// (top row first), stored 16-bit samples as stored. No black frame, levels
// or curve touch them, and the frame is kept whole, or the window given,
// whatever its width.
//
// Its metadata tags (four characters, stored like +TAG=value tags after the
// user's, so a user tag of the same name gives way) say what it is and hold
// everything needed to develop it later:
inline constexpr int kArchiveVersion = 1;
inline constexpr char kTagArchiveVersion[] = "ARCV";  // integer: the archive version, 1
inline constexpr char kTagClipName[] = "ACLP";        // string: the clip's .RAW file name
inline constexpr char kTagClipFiles[] = "AFIL";       // string: the clip's file names, in order, '|' between
inline constexpr char kTagSensorSize[] = "ASIZ";      // string: the clip's frame, "1920x1080"
inline constexpr char kTagWindow[] = "AWIN";   // string: the archived window in it, "left,top,width,height"
inline constexpr char kTagPacking[] = "APAK";  // integer: 14, 12, or 16 for stored samples
inline constexpr char kTagBlackLevel[] = "ABLK";  // integer: the clip's black level
inline constexpr char kTagWhiteLevel[] = "AWHT";  // integer: the clip's white level
inline constexpr char kTagFrameRate[] = "ARAT";   // string: the clip's rate as the trailer has it, "23.976"
inline constexpr char kTagFrameCount[] = "ACNT";  // integer: the frames the trailer announces
inline constexpr char kTagTrailer[] = "ATRL";     // string: the clip's whole 192-byte trailer, 384 hex digits

// Every frame carries its index in the clip and the CRC-32C of its samples
// (crc32c.h, frameChecksum) as a JPEG comment (COM segment) before the frame
// header, which decoders pass over:
//   "raw2tvx archive frame 17 crc32c 1a2b3c4d"
struct ArchiveFrameMark {
    std::uint64_t index = 0;
    std::uint32_t checksum = 0;
};

std::string archiveFrameComment(const ArchiveFrameMark& mark);
// The mark a comment holds; none for any other text.
std::optional<ArchiveFrameMark> parseArchiveFrameComment(std::string_view comment);
