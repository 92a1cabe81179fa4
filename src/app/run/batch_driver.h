#pragma once

#include "app/cli/command_line.h"
#include "app/report/console.h"
#include "encode/metadata_tag_list.h"

// Runs every pass of the conversion over the command line read and returns
// the process exit code.
int runBatch(const CommandLine& commandLine, const MetadataTagList& tags, Console& console);
