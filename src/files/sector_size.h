#pragma once

#include <cstdint>
#include <string>

// The block size of the file system holding the path, the unit in which
// unbuffered reads must go; 512 when it cannot be had.
std::uint32_t GetSectorSize(const std::string& narrowPath);
