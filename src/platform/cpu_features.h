#pragma once

namespace platform {

// True when the processor runs AVX2 instructions (and the system saves their registers).
bool cpuSupportsAvx2();

}  // namespace platform
