#pragma once

namespace platform {

// When the process is interrupted (SIGINT, SIGTERM, SIGHUP), the file named
// by the last setInterruptCleanupPath() is removed before the process ends
// the way the signal ends it, so a half-written file is never left behind.
void installInterruptCleanup();

// The file to remove on interruption: a file being written under a
// temporary name. nullptr or "" clears it. Paths longer than 4095 bytes are
// not remembered.
void setInterruptCleanupPath(const char* path);

}  // namespace platform
