#pragma once

namespace platform {

// The operating system's id of this process; it tells apart temporary files
// of runs that share a directory.
int processId();

}  // namespace platform
