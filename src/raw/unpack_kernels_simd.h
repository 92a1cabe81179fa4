#pragma once

#include "platform/cpu_features.h"
#include "raw/unpack_kernels.h"

// The vector forms' table, kept apart from unpack_kernels.h so that only the dispatch sees
// it; platform::simdFormBuilt says which forms this build holds.
namespace unpack_simd {

// The kernels of a built form; the scalar ones for any other.
UnpackKernels unpackKernelsOf(platform::SimdForm form);

}  // namespace unpack_simd
