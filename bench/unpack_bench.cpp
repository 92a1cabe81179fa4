#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "imaging/tone_table.h"
#include "raw/black_frame.h"
#include "raw/unpack.h"

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
    std::vector<std::uint16_t> table;
    BlackFrame black;
};

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
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(input.packed.size()));
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
    state.counters["Mpixel/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(input.bayer.size()) / 1e6,
        benchmark::Counter::kIsRate);
}

void frameSizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Args({1920, 1080})->Args({4096, 2160})->Unit(benchmark::kMillisecond);
}

BENCHMARK(unpackFrames<false, false>)->Name("Unpack14/table")->Apply(frameSizes);
BENCHMARK(unpackFrames<true, false>)->Name("Unpack14/table_less_black")->Apply(frameSizes);
BENCHMARK(unpackFrames<false, true>)->Name("Unpack14Reference/table")->Apply(frameSizes);
BENCHMARK(unpackFrames<true, true>)->Name("Unpack14Reference/table_less_black")->Apply(frameSizes);

void buildLogTable(benchmark::State& state) {
    std::vector<std::uint16_t> table(kToneTableEntries);
    for (auto _ : state) {
        benchmark::DoNotOptimize(buildToneTable(CurveSettings{}, 2048, 15000, false, table.data()));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(buildLogTable)->Name("BuildToneTable/log113")->Unit(benchmark::kMicrosecond);

}  // namespace
