#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct DirectoryEntry {
    std::string name;  // file name only, without the directory
    std::uint64_t size = 0;
};

// True when the name matches the pattern, where '*' stands for any run of
// characters and '?' for one. Letters compare without regard to case, as
// camera cards and the clips copied from them mix "RAW" and "raw".
bool matchesWildcard(const std::string& pattern, const std::string& name);

// The regular files of the pattern's directory whose names match the last
// component of the pattern, sorted by name so that runs are repeatable. A
// pattern without a directory part looks in the current directory.
std::vector<DirectoryEntry> listMatchingFiles(const std::string& pattern);

// The directory part of a path including its final '/', or "" when it has none.
std::string directoryPart(const std::string& path);

// The path itself when it names an existing file; otherwise the one entry of
// its directory whose name equals its last component without regard to case
// (the first in name order when several do); otherwise the path unchanged.
std::string findFileIgnoringCase(const std::string& path);

bool fileExists(const std::string& path);

}  // namespace platform
