#pragma once

#include <cstdint>
#include <string>

#include "media/media_type.h"
#include "media/result_codes.h"

// What a file sink filter is told through IFileSinkFilter2: the file's name,
// which may change only while the filter is stopped, and the mode flags. The
// multiplexer that writes its own file and the file writer answer those calls
// alike.
class FileSinkName {
public:
    HRESULT setFileName(const std::string& path, bool stopped);
    // The mode flags are taken and not kept: the file is always made anew.
    HRESULT setMode(std::uint32_t flags);

    // Empty until a name is set.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};
