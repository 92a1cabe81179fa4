// Single-thread throughput of the band kernels in every form: the hand-written AVX2 forms and
// the one vector source built for SSE4, AVX2 and AVX-512, against the scalar reference. A
// form this processor cannot run reports why instead of a figure.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "imaging/demosaic_band.h"
#include "imaging/kernel_variants.h"
#include "platform/cpu_features.h"

namespace {

using Samples = std::vector<std::uint16_t>;

// A smooth picture with sensor-like noise, as in demosaic_bench.cpp.
Samples makeBayer(int width, int height) {
    std::mt19937 random(1);
    Samples bayer(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bayer[static_cast<std::size_t>(y) * width + x] =
                static_cast<std::uint16_t>((x * 37 + y * 23) % 50000 + random() % 4096u);
    return bayer;
}

// Whole frames in bands of 64 rows; the rows kernel alone (level -1 has no vertical pass),
// or with both post-filters (type 2: adaptive, level 1).
void bandFrames(benchmark::State& state, const BandKernels& kernels, int level) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const Samples bayer = makeBayer(width, height);
    Samples rgb(3 * bayer.size());
    constexpr int kBandRows = 64;
    for (auto _ : state) {
        for (int band = 0; band < demosaicBandCount(height, kBandRows); ++band)
            demosaicBandWith(kernels, bayer.data(), static_cast<std::size_t>(width), width, height, band,
                             kBandRows, rgb.data(), 1, level, false);
        benchmark::DoNotOptimize(rgb.data());
    }
    state.counters["MP/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * width * height / 1e6, benchmark::Counter::kIsRate);
}

void registerForm(const std::string& name, const char* missing, const BandKernels& kernels) {
    for (const auto& [label, level] : {std::pair{"adaptive_no_filter", -1}, std::pair{"type2", 1}}) {
        auto* benchmark = benchmark::RegisterBenchmark(
            ("BandKernels/" + std::string(label) + "/" + name).c_str(),
            [missing, kernels, level = level](benchmark::State& state) {
                if (missing) {
                    state.SkipWithError((std::string("the CPU lacks ") + missing).c_str());
                    return;
                }
                bandFrames(state, kernels, level);
            });
        benchmark->Args({1920, 1080})
            ->Args({4096, 2160})
            ->ArgNames({"w", "h"})
            ->Unit(benchmark::kMillisecond);
    }
}

const bool registered = [] {
    registerForm("reference", nullptr, referenceBandKernels());
    registerForm("avx2_hand_written", platform::missingCpuFeature(platform::SimdForm::kAvx2),
                 avx2BandKernels());
    for (const platform::SimdForm form :
         {platform::SimdForm::kSse4, platform::SimdForm::kAvx2, platform::SimdForm::kAvx512}) {
        const char* missing = platform::missingCpuFeature(form);
        registerForm(std::string("vector_source_") + platform::simdFormName(form), missing,
                     missing ? referenceBandKernels() : vectorSourceBandKernels(form));
    }
    return true;
}();

}  // namespace
