#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "app/cli/conversion_settings.h"

struct ParsedArgument;

// Every single-dash switch: which letters select it, what kind of value
// follows them, what it sets, and what the warnings need to know of it.
// Adding a switch is one row of the table plus its effect.

enum class SwitchId {
    Yuv422Digits,       // -422
    Rgb444,             // -444
    Yuv,                // -y
    BlackLevel,         // -bl
    Calibration,        // -bc
    CalibrationOffset,  // -bo
    CineonBlack,        // -cb
    CineonWhite,        // -cw
    Cineon,             // -c
    Debayer,            // -d
    FrameRate,          // -f
    Gamma,              // -g
    Height,             // -h
    InPoint,            // -i
    Log,                // -l
    OutPoint,           // -o
    Quality,            // -q
    Skip,               // -s
    WhiteLevel,         // -wl
    Width,              // -w
    Verbose,            // -v
    Window,             // -(x1,y1,x2,y2)
};

enum class SwitchValue {
    None,     // a flag; whatever follows the letters is ignored
    Integer,  // read as atol reads it: 0 when there are no digits
    Float,    // read as "%f" reads it: the value in force is kept when nothing can be read
    Rate,     // two whole numbers A/B, or else a Float
    Text,     // the rest of the argument
    Window,   // "(%d,%d,%d,%d)"
};

struct SwitchSpec {
    SwitchId id;
    // The letters after the '-' that select the switch, compared without
    // regard to case unless exactCase. Rows are tried in order and the first
    // that matches wins, so "bl" comes before any row it would shadow.
    const char* letters;
    bool exactCase;
    SwitchValue value;
    // How the switch sets the settings; failures are of the log power and
    // gamma, which no tone curve can use.
    bool (*apply)(const ParsedArgument& argument, ConversionSettings& settings, std::string* failure);
    // For numbers: what the run does with the value in force, in the words
    // of a warning ("quality 9", "gamma 2.2"). Null for the other kinds.
    std::string (*describe)(double value);
    // For numbers: the warning for a value outside the range the help text
    // gives ("" inside it), or null when there is none.
    std::string (*outsideRange)(double value);
    // The warning for a DPX run, which has no use for the switch; null when
    // the switch applies to DPX too.
    const char* notForDpx;
    // The warning for a run writing RAW movies, whose Bayer frames go out at
    // the crop size; null when the switch applies to them.
    const char* notForRawMovie;
    // The switch acts through the tone table (warned about together for
    // clips whose samples bypass it).
    bool grading;
    // For flags whose trailing text is warned about: how the switch is read.
    const char* readAs;
};

// The table, in the order its rows are tried.
std::span<const SwitchSpec> switchTable();

// The row that selects the switch argument (which begins with '-'), or null
// when none does: the switch is then unknown and does nothing.
const SwitchSpec* findSwitch(const char* argument);
