#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/file.h"
#include "raw/clip_trailer.h"

// What the last kRawClipTrailerBytes bytes of an open file hold.
struct TrailerAtEnd {
    bool seekFailed = false;                // the size or the trailer's position could not be had
    std::optional<RawClipTrailer> trailer;  // none: too short, cut short, or no "RAWM"
    std::int64_t offset = 0;                // where the trailer starts: the stream ends there
    std::array<std::uint8_t, kRawClipTrailerBytes> bytes{};  // the trailer's bytes as read
};

// Looks for a clip trailer at the end of the file. A file shorter than a
// trailer is one without the magic.
TrailerAtEnd readTrailerAtEnd(platform::File& file);
