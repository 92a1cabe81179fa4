#pragma once

#include <cstddef>
#include <cstdint>

// Caller-supplied header blocks for a DPX writer. A block is used only when
// its pointer is set and its size is exactly that of the header it replaces;
// otherwise the writer builds that header itself.
struct DPXTemplates {
    struct Block {
        const std::uint8_t* data = nullptr;
        std::size_t size = 0;
    };
    Block fileInformation;   // 768 bytes
    Block imageInformation;  // 640 bytes
    Block orientation;       // 256 bytes
    Block film;              // 256 bytes
    Block television;        // 128 bytes
    Block userData;          // any size; written after the headers
    Block unused1;
    Block unused2;
};
