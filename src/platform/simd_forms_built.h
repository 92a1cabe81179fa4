#pragma once

// Which vector forms (SimdForm) the Highway kernel sources of this build hold code for:
// Highway's x86 targets less SSSE3, which gains nothing over SSE4 here. Every such source
// disables SSSE3 the same way before it includes Highway, and every library is built with
// the same flags, so the answer is the same wherever this is asked.
#ifndef HWY_DISABLED_TARGETS
#define HWY_DISABLED_TARGETS HWY_SSSE3
#endif
#include <hwy/detect_targets.h>

#include <initializer_list>

#include "platform/cpu_features.h"

namespace platform {

inline bool simdFormBuilt(SimdForm form) {
    switch (form) {
        case SimdForm::kScalar:
            return true;
        case SimdForm::kSse4:
            return (HWY_TARGETS & HWY_SSE4) != 0;
        case SimdForm::kAvx2:
            return (HWY_TARGETS & HWY_AVX2) != 0;
        case SimdForm::kAvx512:
            return (HWY_TARGETS & HWY_AVX3) != 0;
    }
    return false;
}

// True when this build holds the form and the processor runs it (within --simd).
inline bool simdFormUsable(SimdForm form) {
    return simdFormBuilt(form) && missingCpuFeature(form) == nullptr;
}

// The first usable form of those given, in the order of preference given; the scalar form
// when none is.
inline SimdForm firstUsableSimdForm(std::initializer_list<SimdForm> preference) {
    for (const SimdForm form : preference)
        if (simdFormUsable(form)) return form;
    return SimdForm::kScalar;
}

}  // namespace platform
