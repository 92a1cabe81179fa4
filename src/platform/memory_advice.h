#pragma once

#include <cstddef>

namespace platform {

// Alignment of a block that huge pages can back from its first byte.
inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// Asks the system to back the block with huge pages where it can: one page
// fault and one address translation for 2 MiB instead of 512. The block
// should start on a kHugePageBytes boundary. Only advice: nothing changes
// where the system cannot or will not.
void adviseHugePages(void* block, std::size_t bytes);

}  // namespace platform
