#pragma once

#include <string>

// The name a file is written under until it is complete: hidden, in the same
// directory (so the final rename stays on one file system and replaces the
// old file in one step), and marked with this host's name and this
// process's id, such as /out/.shot_00010.dpx.tmp-render7-4711, so that runs
// on several machines can share a directory. A file name too long to carry
// the marks falls back to /out/.raw2tvx.tmp-render7-4711.
//
// The first time a run names a temporary file in a directory, the temporary
// files that runs of this program on this host left there when they were
// killed are removed: names of exactly this form, with this host's name and
// the id of a process that no longer exists.
namespace platform {

std::string temporaryNameFor(const std::string& finalPath);

// The marks a temporary name ends with for the given host and process:
// ".tmp-render7-4711".
std::string temporaryMarker(const std::string& host, int processId);

// Removes, from the directory ("" for the current one, else ending in '/'),
// the temporary files of this host's processes that no longer exist.
// Returns how many it removed.
int removeStaleTemporaries(const std::string& directory);

}  // namespace platform
