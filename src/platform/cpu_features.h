#pragma once

namespace platform {

// True when the processor runs AVX2 instructions (and the system saves their registers),
// and limitSimdForms allows them.
bool cpuSupportsAvx2();

// The instruction sets a vector kernel can be built for, from the plain scalar code up.
enum class SimdForm {
    kScalar,  // plain C++: the reference every other form must match bit for bit
    kSse4,    // SSSE3, SSE4.1 and SSE4.2
    kAvx2,    // AVX2 with BMI1/2, FMA, F16C and LZCNT, as x86-64-v3
    kAvx512,  // AVX-512 F, VL, DQ and BW, as x86-64-v4
};
inline constexpr SimdForm kSimdForms[] = {SimdForm::kScalar, SimdForm::kSse4, SimdForm::kAvx2,
                                          SimdForm::kAvx512};

const char* simdFormName(SimdForm form);

// The first processor feature the form needs that this processor (or its system) lacks, as
// the kernel names it ("avx512bw"), or nullptr when the form can run here. A form wider
// than limitSimdForms allows answers "--simd".
const char* missingCpuFeature(SimdForm form);

// Keeps the vector kernels to forms up to widest from now on (the --simd option), as if the
// processor had no wider ones. Only before the first kernel is picked: each kind of kernel
// picks its form once.
void limitSimdForms(SimdForm widest);

}  // namespace platform
