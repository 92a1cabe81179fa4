#pragma once

#include <string>

// The name a file is written under until it is complete: hidden, in the same
// directory (so the final rename stays on one file system and replaces the
// old file in one step), and marked with this process's id, such as
// /out/.shot_00010.dpx.tmp-4711. A file name too long to carry the marks
// falls back to /out/.raw2tvx.tmp-4711.
namespace platform {

std::string temporaryNameFor(const std::string& finalPath);

}  // namespace platform
