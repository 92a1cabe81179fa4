#pragma once

#include "platform/cpu_features.h"
#include "raw/unpack_kernels.h"

// The vector forms' table, kept apart from unpack_kernels.h so that only the dispatch sees
// which forms this build holds.
namespace unpack_simd {

// True when this build holds vector code for the form (the scalar form always).
bool unpackFormBuilt(platform::SimdForm form);

// The kernels of a built form; the scalar ones for any other.
UnpackKernels unpackKernelsOf(platform::SimdForm form);

}  // namespace unpack_simd
