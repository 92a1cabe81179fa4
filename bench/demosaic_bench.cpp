// Single-thread throughput of the demosaic (with its horizontal pass), the vertical pass and
// the 4:2:2 conversion over whole frames, and a two-thread figure for the default type.

#include <benchmark/benchmark.h>

#include <atomic>
#include <barrier>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "imaging/demosaic.h"
#include "imaging/demosaic_band.h"
#include "imaging/kernel_variants.h"
#include "imaging/yuv422.h"

namespace {

using Samples = std::vector<std::uint16_t>;

// A smooth picture with sensor-like noise, so the adaptive weights take many values. With
// noise below 1024 most blocks of 16 pixels have all their weights 0.
Samples makeBayer(int width, int height, int noise = 4096) {
    std::mt19937 random(1);
    Samples bayer(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bayer[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint16_t>(
                (x * 37 + y * 23) % 50000 + random() % static_cast<unsigned>(noise));
    return bayer;
}

struct TypeSettings {
    int mode, level;
};
TypeSettings settingsOf(int type) {
    return type >= 1 && type <= 4 ? TypeSettings{1, type - 1} : TypeSettings{0, -1};
}

void setRates(benchmark::State& state, int width, int height) {
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["Mpix/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * width * height / 1e6, benchmark::Counter::kIsRate);
}

template <auto rowPair>
void BM_Demosaic(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const TypeSettings settings = settingsOf(static_cast<int>(state.range(2)));
    const Samples bayer = makeBayer(width, height);
    Samples rgb(3 * bayer.size());
    for (auto _ : state) {
        for (int item = 0; item < demosaicItemCount(height); ++item)
            rowPair(bayer.data(), width, height, 2 * item, rgb.data(), settings.mode, settings.level);
        benchmark::DoNotOptimize(rgb.data());
    }
    setRates(state, width, height);
}

void BM_VerticalFilter(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const int level = static_cast<int>(state.range(2));
    Samples rgb = makeBayer(3 * width, height);
    for (auto _ : state) {
        for (int strip = 0; strip < verticalStripCount(width); ++strip)
            verticalFilterStrip(rgb.data(), width, height, strip, level);
        benchmark::DoNotOptimize(rgb.data());
    }
    setRates(state, width, height);
}

void BM_Yuv422(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const Samples original = makeBayer(3 * width, height);
    Samples rgb = original;
    for (auto _ : state) {
        // Converting an already converted frame again costs the same; refreshing it would not.
        for (int row = 0; row < height; ++row) toYuv422Row(rgb.data(), width, row);
        benchmark::DoNotOptimize(rgb.data());
    }
    setRates(state, width, height);
}

// One thread finishing whole frames the way the driver's band job does (bands of rows:
// demosaic, both post-filters and, when asked, 4:2:2 while the rows are in cache) against
// the separate passes over the frame that make the same picture.
template <bool bands>
void BM_Finish(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const TypeSettings settings = settingsOf(static_cast<int>(state.range(2)));
    const bool toYuv422 = state.range(3) != 0;
    const Samples bayer = makeBayer(width, height, static_cast<int>(state.range(4)));
    const int bandRows = static_cast<int>(state.range(5));
    Samples rgb(3 * bayer.size());
    for (auto _ : state) {
        if constexpr (bands) {
            for (int band = 0; band < demosaicBandCount(height, bandRows); ++band)
                demosaicBand(bayer.data(), static_cast<std::size_t>(width), width, height, band, bandRows,
                             rgb.data(), settings.mode, settings.level, toYuv422);
        } else {
            for (int item = 0; item < demosaicItemCount(height); ++item)
                demosaicRowPair(bayer.data(), width, height, 2 * item, rgb.data(), settings.mode,
                                settings.level);
            for (int strip = 0; strip < verticalStripCount(width); ++strip)
                verticalFilterStrip(rgb.data(), width, height, strip, settings.level);
            if (toYuv422)
                for (int row = 0; row < height; ++row) toYuv422Row(rgb.data(), width, row);
        }
        benchmark::DoNotOptimize(rgb.data());
    }
    setRates(state, width, height);
}

// Arguments: width, height, type, 4:2:2 or not, noise, rows per band (bands only).
void finishCases(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "type", "yuv", "noise", "band"});
    for (const auto& [width, height] : {std::pair{1920, 1080}, std::pair{4096, 2160}})
        for (int noise : {256, 4096}) {
            b->Args({width, height, 2, 0, noise, 64});
            b->Args({width, height, 2, 1, noise, 64});
        }
    b->Args({1920, 1080, 0, 0, 4096, 64});
    // The rows a band demosaics twice, on either side of its own, against one band for all.
    for (int bandRows : {16, 32, 128, 1080}) b->Args({1920, 1080, 2, 0, 256, bandRows});
    b->Unit(benchmark::kMillisecond);
}

// Type 2 demosaic then the vertical pass, each job's items pulled from a shared counter by
// two threads, as the worker pool hands them out.
void BM_Type2TwoThreads(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const Samples bayer = makeBayer(width, height);
    Samples rgb(3 * bayer.size());
    std::atomic<int> nextRowPair{0}, nextStrip{0};
    std::atomic<bool> stop{false};
    std::barrier sync(2);
    const auto work = [&] {
        for (int item; (item = nextRowPair.fetch_add(1)) < demosaicItemCount(height);)
            demosaicRowPair(bayer.data(), width, height, 2 * item, rgb.data(), 1, 1);
        sync.arrive_and_wait();
        for (int item; (item = nextStrip.fetch_add(1)) < verticalStripCount(width);)
            verticalFilterStrip(rgb.data(), width, height, item, 1);
    };
    std::thread helper([&] {
        for (;;) {
            sync.arrive_and_wait();
            if (stop) return;
            work();
            sync.arrive_and_wait();
        }
    });
    for (auto _ : state) {
        nextRowPair = 0;
        nextStrip = 0;
        sync.arrive_and_wait();
        work();
        sync.arrive_and_wait();
    }
    stop = true;
    sync.arrive_and_wait();
    helper.join();
    setRates(state, width, height);
}

void frameSizes(benchmark::internal::Benchmark* b, std::initializer_list<int> thirds) {
    for (const auto& [width, height] : {std::pair{1920, 1080}, std::pair{4096, 2160}})
        for (int third : thirds) b->Args({width, height, third});
}

}  // namespace

BENCHMARK(BM_Demosaic<demosaicRowPair>)->Apply([](auto* b) {
                                           frameSizes(b, {0, 1, 2, 3, 4});
                                       }) -> ArgNames({"w", "h", "type"}) -> Unit(benchmark::kMillisecond);
BENCHMARK(BM_Demosaic<demosaicRowPairReference>)
    ->Args({1920, 1080, 2})
    ->ArgNames({"w", "h", "type"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VerticalFilter)->Apply([](auto* b) {
                                frameSizes(b, {0, 1});
                            }) -> ArgNames({"w", "h", "level"}) -> Unit(benchmark::kMillisecond);
BENCHMARK(BM_Yuv422)
    ->Args({1920, 1080})
    ->Args({4096, 2160})
    ->ArgNames({"w", "h"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Finish<true>)->Apply(finishCases);
BENCHMARK(BM_Finish<false>)->Apply(finishCases);
BENCHMARK(BM_Type2TwoThreads)
    ->Args({1920, 1080})
    ->Args({4096, 2160})
    ->ArgNames({"w", "h"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
