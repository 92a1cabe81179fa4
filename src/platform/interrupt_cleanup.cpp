#include "platform/interrupt_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <initializer_list>

namespace platform {
namespace {

constexpr std::size_t kPathBytes = 4096;

// Two slots so that the handler never reads a path while it is being
// written: the new path goes into the slot not in use, then the index moves.
char cleanupPaths[2][kPathBytes];
// Set by whichever thread writes the file, read by the handler on any thread.
std::atomic<int> activeSlot{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free slot index");

extern "C" void removeAndReraise(int signalNumber) {
    const int slot = activeSlot.load();
    if (slot >= 0) ::unlink(cleanupPaths[slot]);
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

}  // namespace

void installInterruptCleanup() {
    struct sigaction action {};
    action.sa_handler = removeAndReraise;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signalNumber, &action, nullptr);
}

void setInterruptCleanupPath(const char* path) {
    if (path == nullptr || path[0] == '\0' || std::strlen(path) >= kPathBytes) {
        activeSlot = -1;
        return;
    }
    const int slot = activeSlot.load() == 0 ? 1 : 0;
    std::memcpy(cleanupPaths[slot], path, std::strlen(path) + 1);
    activeSlot.store(slot);
}

}  // namespace platform
