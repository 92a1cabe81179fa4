#pragma once

#include <cstdint>
#include <string>

#include "media/result_codes.h"

enum class ContainerKind : std::int32_t { None = 0, Avi = 1, Mov = 2 };

struct OutputFile {
    std::string path;
    ContainerKind container = ContainerKind::None;
};

// The longest output path taken, in bytes.
inline constexpr std::size_t kMaxOutputPathBytes = 4095;

// Chooses the container and final name of a movie from the name given:
// ".mov" (any case) writes a MOV under that name, ".avi" an AVI under it; a
// name without an extension gets ".avi"; any other extension gets ".avi" after
// it ("x.mp4" becomes "x.mp4.avi"). The extension is the text from the last
// '.' of the last path component. E_INVALIDARG for an empty name, the errno
// result of ENAMETOOLONG when the final name is longer than
// kMaxOutputPathBytes.
HRESULT chooseOutputFile(const std::string& name, OutputFile* file);
