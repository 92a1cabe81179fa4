#include "platform/process.h"

#include <signal.h>
#include <unistd.h>

namespace platform {

int processId() {
    return static_cast<int>(::getpid());
}

void ignoreFileSizeLimitSignal() {
    ::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace platform
