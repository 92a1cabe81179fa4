#pragma once

#include <string>
#include <vector>

#include "app/cli/argument_notes.h"
#include "app/cli/conversion_settings.h"

// Looks at the arguments after the program's path once more, after
// parseCommandLine has read them into settings, and warns on standard error
// about every one that does something the user probably did not mean: a
// switch whose number is missing, has text after it or lies outside the
// range the help text gives; an unknown switch; an argument that is neither
// a clip, an output, a switch nor a tag; a -bc without a clip; more than one
// output; a '*' output for a clip argument without one; no clip at all; and
// the switches and tags a DPX sequence has no use for. One line per problem,
// quoting the argument as typed and saying what the run does with it.
// Nothing in settings changes. Returns what the checks made while clips are
// converted need to know.
ArgumentNotes warnAboutArguments(int argc, const char* const* argv, const ConversionSettings& settings,
                                 const std::vector<std::string>& clipArguments);
