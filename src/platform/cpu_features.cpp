#include "platform/cpu_features.h"

namespace platform {

bool cpuSupportsAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool supported = __builtin_cpu_supports("avx2");
    return supported;
#else
    return false;
#endif
}

}  // namespace platform
