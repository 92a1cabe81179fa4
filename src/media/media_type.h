#pragma once

#include <cstdint>
#include <vector>

#include "media/guid.h"

// What flows over one pin connection: the major type (video, a byte stream),
// the subtype (the pixel or container format), how samples are sized, and a
// format block whose layout the format type names.
struct MediaType {
    Guid majorType;
    Guid subtype;
    bool fixedSizeSamples = true;
    bool temporalCompression = false;
    std::uint32_t sampleSize = 0;  // bytes of every sample when fixedSizeSamples
    Guid formatType;
    std::vector<std::uint8_t> format;

    friend bool operator==(const MediaType&, const MediaType&) = default;
};

// A type with a null major type, subtype or format type leaves that part open:
// it is a pattern a connection may use to narrow the types tried.
bool isPartiallySpecified(const MediaType& type);

// True when type fits the pattern: every part the pattern names is equal, and
// a named format type brings the pattern's format block when it has one.
bool matchesPartialType(const MediaType& type, const MediaType& pattern);
