#include "platform/processors.h"

#include <unistd.h>

namespace platform {

int processorCount() {
    const long count = ::sysconf(_SC_NPROCESSORS_ONLN);
    if (count < 1) return 1;
    if (count > 4096) return 4096;
    return static_cast<int>(count);
}

}  // namespace platform
