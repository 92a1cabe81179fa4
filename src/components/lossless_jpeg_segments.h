#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "components/lossless_jpeg_huffman.h"
#include "platform/status.h"

// The marker segments of a lossless JPEG image as our encoder writes them
// (lossless_jpeg_encoder.h), read from untrusted bytes: SOI, then any of COM,
// APPn, DHT, DRI of no interval and one SOF3 (16-bit precision, one
// component), then SOS (one component, predictor 1 to 7, point transform 0)
// and the entropy-coded data; DRI may give restart intervals of whole rows.
// Every length, count and table is checked; anything else (another process, a
// precision other than 16, more components, intervals that are not whole rows)
// is refused.

// A Huffman table as DHT carries it: how many codes of each length 1..16,
// then the symbols (difference categories 0 to 16) in code order.
struct LosslessJpegHuffmanSpec {
    std::array<std::uint8_t, kMaxHuffmanCodeLength> codesOfLength{};
    std::array<std::uint8_t, kDifferenceCategories> symbols{};
    int symbolCount = 0;
};

struct LosslessJpegSegments {
    int width = 0;  // samples, 1 to 65535
    int height = 0;
    int predictor = 0;                   // 1 to 7
    int restartRows = 0;                 // rows of each restart interval; 0: none
    std::optional<std::string> comment;  // the text of the first COM segment
    LosslessJpegHuffmanSpec table;       // the one the scan uses
    std::size_t scanOffset = 0;          // where the entropy-coded data starts
};

// Fails with ErrorCode::kBadInput (a damaged or truncated image) or
// kUnsupported (a well-formed JPEG image of a kind we never write).
Result<LosslessJpegSegments> readLosslessJpegSegments(std::span<const std::uint8_t> image);
