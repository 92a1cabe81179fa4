#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/cli/argument_list.h"
#include "app/cli/conversion_settings.h"
#include "app/cli/run_options.h"

// The command line read once: every argument as typed and what it is, and
// the settings they give, left to right, later arguments overwriting
// earlier ones. Switches that match no row and arguments that name nothing
// set nothing. Everything else the run needs of the arguments (the clips,
// the tags, the warnings) is derived from `arguments`.
struct CommandLine {
    ArgumentList arguments;
    ConversionSettings settings;
    RunOptions options;
    // Why the settings cannot be used (a log power or gamma no tone curve
    // takes, an unknown long option or one whose value cannot be used),
    // naming the argument; empty when they can. The settings then hold
    // what the arguments before that switch gave.
    std::string failure;
    // The arguments that took effect: all of them, or those before the one
    // that failed.
    std::size_t argumentsApplied = 0;

    bool ok() const { return failure.empty(); }
};

CommandLine readCommandLine(int argc, const char* const* argv);

// The arguments that name clips (or clip wildcards), left to right, or the
// archive to develop. The program's own path is not among them, nor the -bc
// switch.
std::vector<std::string> clipArgumentsOf(const ArgumentList& arguments);

// The archive arguments: the movie an archive is developed from or verified.
std::vector<std::string> archiveArgumentsOf(const ArgumentList& arguments);

// The output arguments (.avi, .mov, .dpx), left to right.
std::vector<std::string> outputArgumentsOf(const ArgumentList& arguments);
