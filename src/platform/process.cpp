#include "platform/process.h"

#include <unistd.h>

namespace platform {

int processId() {
    return static_cast<int>(::getpid());
}

}  // namespace platform
