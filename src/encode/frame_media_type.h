#pragma once

#include <cstdint>
#include <optional>

#include "media/media_type.h"
#include "media/output_format.h"
#include "media/result_codes.h"

// The one media type the frame source offers, by output kind: RAW Bayer (raw,
// which wins over rgb444), RGB 4:4:4 (rgb444) or YUV 4:2:2 (neither), with the
// codes of media/output_format.h. Video major type, a zero-filled 1128-byte VIDEOINFO format block,
// fixed-size samples of the image size, no temporal compression.

struct FrameFormat {
    std::int32_t width = -1;   // pixels (samples for RAW)
    std::int32_t height = -1;  // rows
    bool rgb444 = false;
    bool raw = false;
    float frameRate = 0.0f;          // frames per second
    std::int32_t rateNumerator = 0;  // the same rate exactly: numerator / denominator
    std::int32_t rateDenominator = 0;
};

// The picture the two flags stand for: raw wins over rgb444; neither is 4:2:2.
OutputFormat readOutputFormat(const FrameFormat& format);

// Bytes of one picture: rows of (width × bitCount + 31) ÷ 8 bytes with the low
// two bits cleared (so padded to a multiple of 4), times height. Nothing when
// the size is not positive or does not fit a signed 32-bit count, the largest
// buffer a sample can have.
std::optional<std::uint32_t> computeImageBytes(std::int32_t width, std::int32_t height,
                                               std::uint16_t bitCount);

// 10,000,000 ÷ frameRate + 0.5 in double precision, truncated toward zero:
// the picture time in 100-ns units. Nothing for a rate that is not a
// positive finite number or whose time does not fit.
std::optional<std::int64_t> computeAverageTimePerFrame(float frameRate);

// 10,000,000 × denominator ÷ numerator in 64-bit integers, truncated: the
// time between frames stamped on the samples. Nothing unless both are
// positive.
std::optional<std::int64_t> frameDuration(std::int32_t rateNumerator, std::int32_t rateDenominator);

// Fills type for a format. E_FAIL when the size is not known yet (width or
// height not above 0), the image would be too large, or the rate is unusable.
HRESULT makeFrameMediaType(const FrameFormat& format, MediaType* type);
