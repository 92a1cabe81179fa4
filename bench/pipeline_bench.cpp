// The whole per-frame pipeline of a conversion: unpack through the tone table,
// then the demosaic and both post-filters on the worker pool, in three ways,
// one step of the driver's design after the other:
//   separate: the row pair job, then the strip job, with the unpack before them;
//   bands:    one band job that finishes the frame while its rows are in cache;
//   overlap:  the band job, while this thread unpacks the next frame into the
//             other Bayer buffer and then takes band items itself (the driver).
// Wall-clock time, since the pool uses every core.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "imaging/band_schedule.h"
#include "imaging/demosaic_jobs.h"
#include "imaging/tone_table.h"
#include "imaging/worker_pool.h"
#include "platform/processors.h"
#include "raw/unpack.h"

namespace {

// Eight 14-bit samples into 14 bytes: seven little-endian words holding the
// samples one after another, most significant bit first.
void packGroup(const std::uint16_t* samples, std::uint8_t* bytes) {
    // The 112 bits as two halves of 56: samples 0-3 and 4-7.
    std::uint64_t high = 0, low = 0;
    for (int i = 0; i < 4; ++i) high = (high << 14) | (samples[i] & 0x3FFFu);
    for (int i = 4; i < 8; ++i) low = (low << 14) | (samples[i] & 0x3FFFu);
    for (int word = 0; word < 7; ++word) {
        // Word w holds bits 16w .. 16w + 15 counted from the top of the 112.
        const int first = 16 * word;
        std::uint32_t value = 0;
        for (int bit = first; bit < first + 16; ++bit) {
            const std::uint64_t half = bit < 56 ? high : low;
            const int shift = 55 - (bit % 56);
            value = (value << 1) | static_cast<std::uint32_t>((half >> shift) & 1u);
        }
        bytes[2 * word] = static_cast<std::uint8_t>(value & 0xFF);
        bytes[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
    }
}

// A packed frame of a smooth scene with sensor noise and a few hard edges,
// so the adaptive weights see both flat areas and strong gradients.
std::vector<std::uint8_t> makePackedFrame(int width, int height) {
    std::mt19937 generator(7);
    std::normal_distribution<double> noise(0.0, 40.0);
    std::vector<std::uint16_t> samples(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double value = 600.0 + 9000.0 * x / width + 3000.0 * y / height + noise(generator);
            if ((x / 64 + y / 64) % 5 == 0) value = 14000.0;
            if (value < 0) value = 0;
            if (value > 16383) value = 16383;
            samples[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                    static_cast<std::size_t>(x)] = static_cast<std::uint16_t>(value);
        }
    std::vector<std::uint8_t> packed(samples.size() * 14 / 8);
    for (std::size_t group = 0; group < samples.size() / 8; ++group)
        packGroup(&samples[group * 8], &packed[group * 14]);
    return packed;
}

enum class Way { kSeparate, kBands, kOverlap };

template <Way way>
void pipeline(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int debayerType = static_cast<int>(state.range(2));
    const std::vector<std::uint8_t> packed = makePackedFrame(width, height);
    std::vector<std::uint16_t> table(kToneTableEntries);
    buildToneTable(CurveSettings{}, 512, 15000, false, table.data());
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::uint16_t* bayer[2] = {static_cast<std::uint16_t*>(std::aligned_alloc(64, pixels * 2)),
                               static_cast<std::uint16_t*>(std::aligned_alloc(64, pixels * 2))};
    auto* rgb = static_cast<std::uint16_t*>(std::aligned_alloc(64, pixels * 6));
    const auto unpack = [&](std::uint16_t* into) {
        unpackFrame(packed, std::span<std::uint16_t>(into, pixels), nullptr, table, width, height, width,
                    height, kPacking14, 1);
    };

    // The calling thread takes its share beside the workers, as in the program.
    WorkerPool pool;
    BandSchedule schedule;
    createPool(pool, platform::processorCount() - 1);
    int current = 0;
    if (way == Way::kOverlap) unpack(bayer[current]);
    for (auto _ : state) {
        if constexpr (way == Way::kSeparate) {
            unpack(bayer[0]);
            demosaicOnPool(pool, bayer[0], rgb, width, height, debayerType);
        } else if constexpr (way == Way::kBands) {
            unpack(bayer[0]);
            startBandsOnPool(pool, schedule, bayer[0], width, rgb, width, height, debayerType, false);
            waitForPool(pool);
        } else {
            startBandsOnPool(pool, schedule, bayer[current], width, rgb, width, height, debayerType, false);
            unpack(bayer[1 - current]);
            waitForPool(pool);
            current = 1 - current;
        }
        benchmark::DoNotOptimize(rgb);
        benchmark::ClobberMemory();
    }
    destroyPool(pool);
    std::free(bayer[0]);
    std::free(bayer[1]);
    std::free(rgb);
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["threads"] = platform::processorCount();
}

void pipelineCases(benchmark::internal::Benchmark* b) {
    b->ArgNames({"width", "height", "type"});
    b->Args({1920, 1080, 2})->Args({1920, 1080, 4})->Args({1920, 1080, 0})->Args({4096, 2160, 2});
    b->UseRealTime()->Unit(benchmark::kMillisecond);
}

}  // namespace

// Arguments: width, height, debayer type (2 is the default: adaptive, post-filter level 1).
BENCHMARK(pipeline<Way::kSeparate>)->Apply(pipelineCases);
BENCHMARK(pipeline<Way::kBands>)->Apply(pipelineCases);
BENCHMARK(pipeline<Way::kOverlap>)->Apply(pipelineCases);
