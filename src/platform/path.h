#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The process's current directory, without a trailing '/'.
std::string currentDirectory();

// The absolute form of a path: a relative one is joined to the current
// directory, then "." and ".." components and repeated '/' are removed
// lexically. Links are not resolved and the file need not exist. "" stays "".
std::string absolutePath(const std::string& path);

// True when both paths name one existing file (same device and inode), so
// links and different spellings of one file are caught.
bool sameFile(const std::string& a, const std::string& b);

// The device and inode of an existing file; two paths with equal identities
// name one file.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> fileIdentity(const std::string& path);

// The logical block size of the file system that holds the path (its
// directory when the file does not exist yet); 512 when it cannot be had.
std::uint32_t logicalBlockSize(const std::string& path);

// Renames a file, replacing any file of the new name in one step; errno-style
// error code in *error on failure.
bool renameReplacing(const std::string& from, const std::string& to, int* error);

// Removes a file; false when it could not be removed.
bool removeFile(const std::string& path);

// The system's text for an errno value.
std::string errorText(int error);

}  // namespace platform
