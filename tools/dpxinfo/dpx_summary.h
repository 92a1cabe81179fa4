#pragma once

#include <string>

#include "files/dpx_file_reader.h"

// The key: value lines dpxinfo prints for a file the reader opened, each
// ending in a line break.
std::string describeDpxFile(const std::string& name, const CDPXFileReader& reader);

// Why a file the reader opened is still not a whole picture (the file ends
// before its image data or before the size its header gives); empty when it
// is whole.
std::string findIncompleteness(const CDPXFileReader& reader);
