#pragma once

namespace platform {

// Suspends the calling thread for about this many milliseconds (none for 0 or less).
void sleepMilliseconds(int milliseconds);

}  // namespace platform
