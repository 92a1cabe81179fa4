#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/status.h"

// The encoder of the RAW movie: one cropped 16-bit Bayer frame becomes one
// lossless JPEG image (the lossless process of ITU-T T.81: SOF3, Huffman coded,
// 16-bit precision, one component). The frame is coded in the quadrant layout
// of bayer_quadrants.h, so a decoder gives back the quadrant image and
// quadrantsToBayer turns it into the frame again, every sample exact.
//
// The stream: SOI, SOF3, one DHT, SOS, the entropy-coded rows, EOI. A comment,
// when asked for, goes in a COM segment right after SOI. Restart markers, when
// asked for, cut the scan into intervals of whole rows (DRI before SOS): each
// interval starts on a byte of its own and its first row is predicted as the
// image's first row is, so a decoder can start at any interval, and decode
// several at once.
// The Huffman table is made for each frame from the differences of every 16th
// row: on camera frames it codes as well as one made from all rows, at a
// sixteenth of the cost. A difference of 32768 (category 16) is followed by the
// 16 bits 0x8000: the standard writes none, but FFmpeg's decoder reads 16 bits
// there and takes them as +32768, which gives the same sample modulo 65536.

// Each encoding thread owns one; it keeps the row buffers between frames, so
// frames of one size allocate nothing after the first.
struct LosslessJpegWorkspace {
    std::vector<std::uint16_t> rows;
    std::vector<std::uint32_t> codes;
    std::vector<std::uint8_t> codeLengths;
};

struct LosslessJpegOptions {
    // The predictor of the scan, 1 to 7 as the standard numbers them:
    // 1 left, 2 above, 3 above-left, 4 left + above - above-left,
    // 5 left + (above - above-left) / 2, 6 above + (left - above-left) / 2,
    // 7 (left + above) / 2. The average of two neighbours evens out part of the
    // sensor noise: on noisy camera-like frames 7 takes about 2 % fewer bits than
    // 1, 2, 5 or 6 and 4 % fewer than 3 or 4.
    int predictor = 7;
    // Every this many rows one counts towards the Huffman table (1: all rows).
    int tableRowStep = 16;
    // False runs the plain reference code even where AVX2 is available.
    bool allowAvx2 = true;
    // The text of a COM segment before the frame header, at most
    // kMaxLosslessJpegCommentBytes; none when empty.
    std::string_view comment = {};
    // Every this many rows the scan restarts; 0: never. At most
    // losslessJpegMostRestartRows(width).
    int restartRows = 0;
};

inline constexpr int kMaxLosslessJpegSide = 65535;
inline constexpr std::size_t kMaxLosslessJpegCommentBytes = 65533;

// The most rows a restart interval of an image this wide can hold: width x
// rows at most 65279 samples.
int losslessJpegMostRestartRows(int width);

// The most bytes an image of this size can take, whatever its samples: every
// difference at 32 bits and every byte of it stuffed, a comment of
// commentBytes and restart intervals of restartRows. 0 for a size or an
// interval the encoder refuses.
std::size_t losslessJpegMaxBytes(int width, int height, std::size_t commentBytes = 0, int restartRows = 0);

// Encodes one Bayer frame of width x height samples, rows `strideSamples`
// apart, into `output`, and gives the image's size in bytes. Refused with
// ErrorCode::kBadInput: no frame or output, a size outside 1..65535, a stride
// below the width, a bad option. With less room than losslessJpegMaxBytes it
// may fail with ErrorCode::kFailed, but never writes past `capacity`.
Result<std::size_t> encodeLosslessJpeg(const std::uint16_t* bayer, std::size_t strideSamples, int width,
                                       int height, LosslessJpegWorkspace& workspace, std::uint8_t* output,
                                       std::size_t capacity, const LosslessJpegOptions& options = {});
