// A scratch file for fuzz targets that must hand their input to code that
// opens files by name: one per process, in memory when /dev/shm is there.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

inline std::string fuzzScratchPath(const std::string& name) {
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::is_directory("/dev/shm", error)
                                                ? std::filesystem::path("/dev/shm")
                                                : std::filesystem::temp_directory_path();
    return (directory / ("raw2tvx-fuzz-" + std::to_string(::getpid()) + "-" + name)).string();
}

// Replaces the file's contents with the bytes; false when it cannot be written.
inline bool writeFuzzFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}
