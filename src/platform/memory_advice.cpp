#include "platform/memory_advice.h"

#include <sys/mman.h>

namespace platform {

void adviseHugePages(void* block, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    madvise(block, bytes, MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}

}  // namespace platform
