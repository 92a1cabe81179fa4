// A scratch file for fuzz targets that must hand their input to code that
// opens files by name: one per process, in memory when /dev/shm is there.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

inline std::string fuzzScratchPath(const std::string& name) {
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::is_directory("/dev/shm", error)
                                                ? std::filesystem::path("/dev/shm")
                                                : std::filesystem::temp_directory_path();
    return (directory / ("raw2tvx-fuzz-" + std::to_string(::getpid()) + "-" + name)).string();
}

// Replaces the file's contents with the bytes; false when it cannot be
// written. The file stays open between calls: a run makes millions of them.
inline bool writeFuzzFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    static int descriptor = -1;
    static std::string openPath;
    if (descriptor < 0 || openPath != path) {
        if (descriptor >= 0) ::close(descriptor);
        descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        openPath = path;
        if (descriptor < 0) return false;
    }
    if (::ftruncate(descriptor, 0) != 0) return false;
    for (std::size_t done = 0; done < size;) {
        const ssize_t put = ::pwrite(descriptor, data + done, size - done, static_cast<off_t>(done));
        if (put <= 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}
