#pragma once

#include <cstdint>
#include <optional>

// The picture a run hands its output, the same from the command line to the
// encoder:
//   Raw     the cropped Bayer frame: 16-bit samples, red at the top left;
//   Yuv422  per row width / 2 groups of the 16-bit words Y0, Cr, Y1, Cb;
//   Rgb444  per row width pixels of the 16-bit samples R, G, B.
enum class OutputFormat { Raw, Yuv422, Rgb444 };

// How each picture travels in a video media type: the four characters of the
// subtype and of the bitmap header's compression, in memory order, and the
// bits a pixel.
//   Raw     "BYR4" and "BYR4", 16;
//   Rgb444  "RG48" and "RG48", 48;
//   Yuv422  subtype "YU63" with compression "YU64", 32.
struct FramePixelFormat {
    std::uint32_t subtype = 0;
    std::uint32_t compression = 0;
    std::uint16_t bitCount = 0;

    friend bool operator==(const FramePixelFormat&, const FramePixelFormat&) = default;
};

FramePixelFormat toPixelFormat(OutputFormat format);
// The picture a media type's codes describe; nothing when they are none of the three.
std::optional<OutputFormat> toOutputFormat(const FramePixelFormat& pixels);
