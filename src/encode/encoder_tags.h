#pragma once

#include <array>
#include <cstdint>

#include "encode/encoder_interfaces.h"
#include "encode/metadata_tag_list.h"

// What the fixed tags say about a clip.
struct EncoderTagValues {
    std::int32_t curveCode = 0;
    bool raw = false;
    std::int32_t debayer = 0;             // demosaic code; sent only for RAW and 0 to 65534
    std::array<float, 12> colorMatrix{};  // three rows of four
    std::array<float, 4> whiteBalance{};
};

// Sends the fixed tags, then every record of userTags (when given) in stored
// order, one SetMetadata call each:
//   ECRV 'H' curveCode, PCRV 'H' 1, CCRV 'H' curveCode, BFMT 'b' 0 (RAW only),
//   COLM 'f' the matrix, BMTX 'L' 1, WBAL 'f' the gains, HPNT 'f' 0.5,
//   DEMO 'L' debayer + 2 (RAW with a debayer of 0 to 65534 only).
// A user tag therefore comes after the fixed tag of the same name. Results are
// not looked at.
void sendEncoderTags(IEncoderMetadata* metadata, const EncoderTagValues& values,
                     const MetadataTagList* userTags);
