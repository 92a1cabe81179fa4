#pragma once

#include <cstdint>

struct DPXTimeCode {
    std::int32_t hours = 0;
    std::int32_t minutes = 0;
    std::int32_t seconds = 0;
    std::int32_t frames = 0;
    bool dropFrame = false;  // the labels skip ;00 and ;01 at most minute starts

    bool isSet() const { return hours != 0 || minutes != 0 || seconds != 0 || frames != 0 || dropFrame; }
};

// What the television header says of one frame's timing: its time code and
// the picture rate the time code counts at.
struct DPXFrameTiming {
    DPXTimeCode timeCode;
    float frameRate = 0.0f;  // frames a second; 0 leaves the header's rate field as it is
};

// Reads "HH:MM:SS:FF". Text shorter than 11 characters, or absent, gives all
// zeros. Otherwise each field is read as a decimal of at most two characters
// (after leading blanks, a sign counting as one of the two), fields separated
// by exactly one ':'; reading stops at the first field that does not match,
// and the fields it did not reach stay 0.
DPXTimeCode parseTimeCode(const char* text);

// Packed decimal: hours tens in bits 31-28 down to frames units in bits 3-0.
// Each field is taken as 0..99; values outside are clamped. Drop-frame sets
// bit 6, the flag time-code readers take from the frames byte; its frames
// tens digit then has two bits, so the frames are clamped to 0..39.
std::uint32_t packTimeCode(const DPXTimeCode& timeCode);

// The four packed decimal bytes back into hours, minutes, seconds and frames,
// each byte's high four bits the tens and its low four bits the units. The
// drop-frame flag is not taken apart: it counts in the frames' tens.
DPXTimeCode unpackTimeCode(std::uint32_t packed);
