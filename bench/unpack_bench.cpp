#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "imaging/tone_table.h"
#include "platform/cpu_features.h"
#include "raw/black_frame.h"
#include "raw/unpack.h"
#include "raw/unpack_kernels.h"

namespace {

// One packed 14-bit frame of random samples, the default log table and a
// black frame near a typical sensor black level.
struct UnpackInput {
    UnpackInput(int frameWidth, int frameHeight) : width(frameWidth), height(frameHeight) {
        const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        std::mt19937 generator(17);
        std::uniform_int_distribution<int> byte(0, 255);
        packed.resize(pixels * 14 / 8);
        for (auto& value : packed) value = static_cast<std::uint8_t>(byte(generator));
        bayer.resize(pixels);
        raw.resize(pixels);
        unpackGroups14Reference(packed, raw);
        table.resize(kToneTableEntries);
        buildToneTable(CurveSettings{}, 2048, 15000, true, table.data());
        prepareBlackFrame(black, width, height);
        std::uniform_int_distribution<std::int32_t> blackValue(2000, 2100);
        for (auto& value : black.values) value = blackValue(generator);
    }
    int width;
    int height;
    std::vector<std::uint8_t> packed;
    std::vector<std::uint16_t> bayer;
    std::vector<std::uint16_t> raw;
    std::vector<std::uint16_t> table;
    BlackFrame black;
};

void countFrames(benchmark::State& state, std::size_t pixels) {
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["MP/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(pixels) / 1e6,
                           benchmark::Counter::kIsRate);
}

// unpackFrame as the frame loop calls it (the best form), and its sample-by-sample reference.
template <bool withBlack, bool reference>
void unpackFrames(benchmark::State& state) {
    UnpackInput input(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    BlackFrame* black = withBlack ? &input.black : nullptr;
    for (auto _ : state) {
        if constexpr (reference)
            unpackFrameReference(input.packed, input.bayer, black, input.table, input.width, input.height,
                                 input.width, input.height, kPacking14, 1);
        else
            unpackFrame(input.packed, input.bayer, black, input.table, input.width, input.height, input.width,
                        input.height, kPacking14, 1);
        benchmark::DoNotOptimize(input.bayer.data());
        benchmark::ClobberMemory();
    }
    countFrames(state, input.bayer.size());
}

enum class Step { kUnpack, kToneMap, kToneMapLessBlack, kUnpackToneMap, kUnpackToneMapLessBlack };

// One kernel of one form over a whole frame.
void kernelFrames(benchmark::State& state, platform::SimdForm form, Step step) {
    if (const char* missing = platform::missingCpuFeature(form)) {
        state.SkipWithError((std::string("the CPU lacks ") + missing).c_str());
        return;
    }
    UnpackInput input(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const UnpackKernels kernels = unpackKernels(form);
    const std::span<const std::int32_t> black(input.black.values);
    for (auto _ : state) {
        switch (step) {
            case Step::kUnpack:
                kernels.unpackGroups14(input.packed, input.bayer);
                break;
            case Step::kToneMap:
                kernels.toneMapSamples(input.raw, {}, input.table, input.bayer);
                break;
            case Step::kToneMapLessBlack:
                kernels.toneMapSamples(input.raw, black, input.table, input.bayer);
                break;
            case Step::kUnpackToneMap:
                kernels.unpackToneMapped14(input.packed, {}, input.table, input.bayer);
                break;
            case Step::kUnpackToneMapLessBlack:
                kernels.unpackToneMapped14(input.packed, black, input.table, input.bayer);
                break;
        }
        benchmark::DoNotOptimize(input.bayer.data());
        benchmark::ClobberMemory();
    }
    countFrames(state, input.bayer.size());
}

void frameSizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Args({1920, 1080})->Args({4096, 2160})->Unit(benchmark::kMillisecond);
}

BENCHMARK(unpackFrames<false, false>)->Name("Unpack14/table")->Apply(frameSizes);
BENCHMARK(unpackFrames<true, false>)->Name("Unpack14/table_less_black")->Apply(frameSizes);
BENCHMARK(unpackFrames<false, true>)->Name("Unpack14Reference/table")->Apply(frameSizes);
BENCHMARK(unpackFrames<true, true>)->Name("Unpack14Reference/table_less_black")->Apply(frameSizes);

const bool kernelBenchmarksRegistered = [] {
    const std::pair<Step, const char*> steps[] = {
        {Step::kUnpack, "unpack_groups"},
        {Step::kToneMap, "tone_map"},
        {Step::kToneMapLessBlack, "tone_map_less_black"},
        {Step::kUnpackToneMap, "unpack_tone_mapped"},
        {Step::kUnpackToneMapLessBlack, "unpack_tone_mapped_less_black"},
    };
    for (const auto& [step, stepName] : steps)
        for (const platform::SimdForm form : platform::kSimdForms)
            benchmark::RegisterBenchmark(
                (std::string("UnpackKernel/") + stepName + "/" + platform::simdFormName(form)).c_str(),
                [form, step](benchmark::State& state) { kernelFrames(state, form, step); })
                ->Apply(frameSizes);
    return true;
}();

void buildLogTable(benchmark::State& state) {
    std::vector<std::uint16_t> table(kToneTableEntries);
    for (auto _ : state) {
        benchmark::DoNotOptimize(buildToneTable(CurveSettings{}, 2048, 15000, false, table.data()));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(buildLogTable)->Name("BuildToneTable/log113")->Unit(benchmark::kMicrosecond);

}  // namespace
