#pragma once

#include <cstddef>
#include <string>

enum class DarkClipOutcome {
    Chosen,         // path names the dark clip
    NoneQualifies,  // matches exist but none is dark: keep the pattern
    NoMatch,        // nothing matches the pattern
};

struct DarkClipSearch {
    DarkClipOutcome outcome = DarkClipOutcome::NoMatch;
    std::string path;        // the chosen clip's .RAW path
    std::string listedName;  // its name as the directory listing gives it
};

// Picks, among the files matching a calibration pattern in name order, the
// first clip recorded with the lens cap on: one whose first samples lie within
// kDarkSpread of their minimum on average.
DarkClipSearch findDarkClip(const std::string& pattern);

// The minimum and truncated mean of the 14-bit samples of the packed groups
// at the start of a buffer; none when it holds no whole group.
struct DarkSampleStats {
    int minimum = 0;
    int mean = 0;
    long long samples = 0;
};
DarkSampleStats measurePackedSamples(const unsigned char* bytes, std::size_t size);
