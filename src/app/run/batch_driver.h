#pragma once

#include "app/cli/conversion_settings.h"
#include "encode/metadata_tag_list.h"

// Runs every pass of the conversion over the parsed command line and returns
// the process exit code.
int runBatch(int argc, char** argv, ConversionSettings& settings, MetadataTagList& tags);
