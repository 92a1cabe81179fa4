#pragma once

namespace platform {

// The operating system's id of this process; it tells apart temporary files
// of runs that share a directory.
int processId();

// Makes a write beyond the file size limit (ulimit -f) fail with EFBIG like
// any other failed write, instead of the signal ending the process halfway
// through a file. Called once at start-up.
void ignoreFileSizeLimitSignal();

}  // namespace platform
