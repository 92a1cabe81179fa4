#pragma once

#include <span>
#include <string>
#include <string_view>

#include "app/cli/run_options.h"

// The long options (--name or --name=value): one row each, with how its
// value is read and what it sets. Unlike the single-dash switches they are
// read strictly: an unknown name or a value that cannot be used stops the
// run before anything is done.

enum class LongOptionValue {
    None,    // --name alone
    Count,   // --name=N, a whole number of 1 or more
    Number,  // --name=N, a whole number of 0 or more
    Choice,  // --name=WORD, one of the row's choices
};

struct LongOptionSpec {
    const char* name;  // without the leading "--"
    LongOptionValue value;
    const char* valueName;  // "N", for the help line and messages
    const char* help;       // what it does, for the help text
    // Sets the options from the value (its whole number, or the index of the choice).
    void (*apply)(RunOptions& options, long long number);
    const char* const* choices = nullptr;  // Choice: the words allowed, ending with nullptr
};

std::span<const LongOptionSpec> longOptionTable();

// The row of "--name" or "--name=value" (the text after the dashes), or null.
const LongOptionSpec* findLongOption(std::string_view afterDashes);

// Reads the option into options; false with the message naming the argument
// when its value cannot be used.
bool applyLongOption(const LongOptionSpec& option, std::string_view argument, RunOptions& options,
                     std::string* failure);
