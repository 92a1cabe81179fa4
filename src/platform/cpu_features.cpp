#include "platform/cpu_features.h"

#include <atomic>

namespace platform {

namespace {

std::atomic<SimdForm> widestAllowed{SimdForm::kAvx512};

bool allowed(SimdForm form) {
    return static_cast<int>(form) <= static_cast<int>(widestAllowed.load(std::memory_order_relaxed));
}

}  // namespace

bool cpuSupportsAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool supported = __builtin_cpu_supports("avx2");
    return supported && allowed(SimdForm::kAvx2);
#else
    return false;
#endif
}

void limitSimdForms(SimdForm widest) {
    widestAllowed.store(widest, std::memory_order_relaxed);
}

const char* simdFormName(SimdForm form) {
    switch (form) {
        case SimdForm::kScalar:
            return "scalar";
        case SimdForm::kSse4:
            return "sse4";
        case SimdForm::kAvx2:
            return "avx2";
        case SimdForm::kAvx512:
            return "avx512";
    }
    return "unknown";
}

namespace {

#if defined(__x86_64__) || defined(__i386__)
// The compiler's run-time check reads the processor's feature bits and, for the AVX and
// AVX-512 registers, whether the system saves them.
#define RAW2TVX_REQUIRE(feature) \
    if (!__builtin_cpu_supports(feature)) return feature
#endif

const char* firstMissing(SimdForm form) {
    if (form == SimdForm::kScalar) return nullptr;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    RAW2TVX_REQUIRE("ssse3");
    RAW2TVX_REQUIRE("sse4.1");
    RAW2TVX_REQUIRE("sse4.2");
    if (form == SimdForm::kSse4) return nullptr;
    RAW2TVX_REQUIRE("avx2");
    RAW2TVX_REQUIRE("bmi");
    RAW2TVX_REQUIRE("bmi2");
    RAW2TVX_REQUIRE("fma");
    if (form == SimdForm::kAvx2) return nullptr;
    RAW2TVX_REQUIRE("avx512f");
    RAW2TVX_REQUIRE("avx512vl");
    RAW2TVX_REQUIRE("avx512dq");
    RAW2TVX_REQUIRE("avx512bw");
    return nullptr;
#else
    return "an x86-64 processor";
#endif
}

#undef RAW2TVX_REQUIRE

}  // namespace

const char* missingCpuFeature(SimdForm form) {
    static const char* const missing[] = {firstMissing(SimdForm::kScalar), firstMissing(SimdForm::kSse4),
                                          firstMissing(SimdForm::kAvx2), firstMissing(SimdForm::kAvx512)};
    if (!allowed(form)) return "--simd";
    return missing[static_cast<int>(form)];
}

}  // namespace platform
