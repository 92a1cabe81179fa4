#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/status.h"

class HelperThreads;

// The decoder of the RAW movie's frames: one lossless JPEG image as our
// encoder writes it (lossless_jpeg_encoder.h, lossless_jpeg_segments.h)
// becomes the Bayer frame again, every sample exact. The quadrant layout is
// undone as the samples are decoded: each goes straight to its place in the
// Bayer frame.
//
// A difference of category 16 is read as FFmpeg reads it: 16 bits follow and
// are taken like any category's extra bits, so the 0x8000 our encoder writes
// gives +32768.
//
// The image is untrusted: a damaged or truncated one fails with
// ErrorCode::kBadInput (kUnsupported for a JPEG image of a kind we never
// write), and no byte outside the image or the frame is ever read or written.
// The image must end as ours do: the scan's last byte padded with one bits,
// then the end-of-image marker.

struct LosslessJpegDecoded {
    int width = 0;  // of the frame decoded, in samples
    int height = 0;
    int predictor = 0;
    std::optional<std::string> comment;  // the text of the image's COM segment
};

// The most threads that share the decoding of one image.
inline constexpr int kMostLosslessJpegDecodeThreads = 16;

// One restart interval of a scan: rows [firstRow, firstRow + rowCount) from
// the scan's bytes [begin, end), stuffing removed. The whole scan is one
// interval when the image has no restart markers.
struct LosslessJpegInterval {
    int firstRow = 0;
    int rowCount = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
};

// One per thread: it keeps the scan's bytes between frames, so frames of one
// size allocate nothing after the first.
class LosslessJpegDecoder {
public:
    // Decodes the image into bayer, rows strideSamples apart. A frame larger
    // than maxWidth x maxHeight, or wider than the stride, is refused before
    // any sample is written; a failure later may leave part of the frame
    // written. With helpers, the restart intervals of an image that has them
    // are shared out between the caller and the helper threads.
    Status decode(std::span<const std::uint8_t> image, std::uint16_t* bayer, std::size_t strideSamples,
                  int maxWidth, int maxHeight, LosslessJpegDecoded* decoded,
                  HelperThreads* helpers = nullptr);

private:
    std::vector<std::uint8_t> scan_;  // the entropy-coded bytes, stuffing removed, then zeros
    std::vector<LosslessJpegInterval> intervals_;
};
