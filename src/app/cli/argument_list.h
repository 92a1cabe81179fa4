#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/long_options.h"
#include "app/cli/path_kind.h"
#include "app/cli/source_window.h"
#include "app/cli/switch_table.h"

enum class ArgumentKind {
    LongOption,     // "--name" or "--name=value"
    Switch,         // '-' and a row of the switch table
    UnknownSwitch,  // '-' and no row: it does nothing
    Tag,            // '+'
    Freeform,       // ':'
    Output,         // an .avi, .mov or .dpx path
    Clip,           // a .RAW or .R00 path, or a wildcard of them
    Archive,        // the .avi or .mov of a camera archive to develop, when no argument names a clip
    Ignored,        // any other text
};

// A number read from a switch value: how many characters it took (0 when
// there was none to read) and whether text follows it.
struct NumberText {
    int taken = 0;
    bool textAfter = false;
    std::int32_t integer = 0;  // integers: 0 when none was read, as atol gives
    float real = 0.0f;         // floats: valid when taken > 0
    // Rates given as two whole numbers A/B (both at least 1): exactly A/B.
    bool fraction = false;
    std::int32_t numerator = 0;
    std::int32_t denominator = 0;

    bool clean() const { return taken > 0 && !textAfter; }
};

// One argument as typed and what it is.
struct ParsedArgument {
    int index = 0;  // its place in argv
    std::string text;
    ArgumentKind kind = ArgumentKind::Ignored;
    PathKind pathKind = PathKind::Other;         // for paths
    const SwitchSpec* option = nullptr;          // for switches
    const LongOptionSpec* longOption = nullptr;  // for long options: null when the name is unknown
    NumberText number;                           // for integer and float switches
    WindowText window;                           // for the window switch

    bool is(SwitchId id) const { return option != nullptr && option->id == id; }
    // The text after the letters that select the switch.
    std::string_view valueText() const;
};

using ArgumentList = std::vector<ParsedArgument>;

// The one pass over the argument vector, argv[0] included (it names the
// program and is classified like any path), left to right.
ArgumentList readArguments(int argc, const char* const* argv);

// The last switch of the list with this id, or null.
const ParsedArgument* lastSwitch(const ArgumentList& arguments, SwitchId id);
