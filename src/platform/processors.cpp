#include "platform/processors.h"

#include <sched.h>
#include <unistd.h>

#include <atomic>

namespace platform {

namespace {

constexpr int kMostProcessors = 4096;

std::atomic<int> processorLimit{0};  // 0: none set

int onlineProcessors() {
    const long count = ::sysconf(_SC_NPROCESSORS_ONLN);
    if (count < 1) return 1;
    if (count > kMostProcessors) return kMostProcessors;
    return static_cast<int>(count);
}

int affinityProcessors() {
    cpu_set_t mask;
    CPU_ZERO(&mask);
    if (::sched_getaffinity(0, sizeof mask, &mask) != 0) return onlineProcessors();
    const int count = CPU_COUNT(&mask);
    return count < 1 ? 1 : count;
}

}  // namespace

int processorCount() {
    const int limit = processorLimit.load(std::memory_order_relaxed);
    return limit > 0 ? limit : affinityProcessors();
}

void limitProcessors(int n) {
    processorLimit.store(n < 1 ? 1 : (n > kMostProcessors ? kMostProcessors : n), std::memory_order_relaxed);
}

}  // namespace platform
