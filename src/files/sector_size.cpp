#include "files/sector_size.h"

#include "platform/path.h"

std::uint32_t GetSectorSize(const std::string& narrowPath) {
    const std::uint32_t size = platform::logicalBlockSize(narrowPath);
    return size == 0 ? 512u : size;
}
