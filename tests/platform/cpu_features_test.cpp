#include "platform/cpu_features.h"

#include <gtest/gtest.h>

#include <string>

// A limit makes every wider form missing, and only those; lifting it gives back what the
// processor has.
TEST(CpuFeatures, LimitedFormsAreMissingAndTheRestAsTheProcessorHasThem) {
    using platform::SimdForm;
    const char* const avx512Before = platform::missingCpuFeature(SimdForm::kAvx512);
    const bool avx2Before = platform::cpuSupportsAvx2();
    platform::limitSimdForms(SimdForm::kSse4);
    EXPECT_EQ(std::string("--simd"), platform::missingCpuFeature(SimdForm::kAvx2));
    EXPECT_EQ(std::string("--simd"), platform::missingCpuFeature(SimdForm::kAvx512));
    EXPECT_FALSE(platform::cpuSupportsAvx2());
    EXPECT_EQ(nullptr, platform::missingCpuFeature(SimdForm::kScalar));
    platform::limitSimdForms(SimdForm::kAvx512);
    EXPECT_EQ(avx512Before, platform::missingCpuFeature(SimdForm::kAvx512));
    EXPECT_EQ(avx2Before, platform::cpuSupportsAvx2());
}
