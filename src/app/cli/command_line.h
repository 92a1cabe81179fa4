#pragma once

#include <string>

#include "app/cli/conversion_settings.h"
#include "encode/metadata_tag_list.h"

// The result of reading the command line: ok, or the message that explains
// which switch value cannot be used (the caller prints it and ends with
// exit_codes::kUsage).
struct ParseOutcome {
    bool ok = true;
    std::string message;
};

// Resets settings to their defaults, then reads argv[0] to argv[argc - 1]
// left to right; later arguments overwrite earlier ones. "-" arguments are
// switches, "+" and ":" arguments metadata (appended to tags and echoed on
// standard output); any other argument naming an .avi or .mov becomes the
// movie output, one naming a .dpx the output path only. Unknown switches and
// other arguments are ignored. Stops at the first log power or gamma the tone
// curve cannot use.
ParseOutcome parseCommandLine(int argc, const char* const* argv, ConversionSettings& settings,
                              MetadataTagList& tags);
