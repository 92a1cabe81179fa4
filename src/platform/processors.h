#pragma once

namespace platform {

// The number of processors the system has online; at least 1.
int processorCount();

}  // namespace platform
