// Single-thread throughput and compression of the RAW movie's lossless JPEG
// encoder at 1920x1080 and 4096x2160, on three kinds of frame:
//   noisy  - a smooth scene with sensor noise at 14 bits through the default log
//            tone curve, as the encoder sees a camera frame;
//   flat   - one value everywhere;
//   random - uniform random samples, the worst case for size.
// Besides the default settings it runs every predictor, the Huffman table from
// every row or from a sample of rows, the reference row kernels, and the
// mosaic coded as it is (no quadrant layout), for comparison. Rates are per
// second of processor time, so other work on the machine disturbs them less.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "components/bayer_quadrants.h"
#include "components/lossless_jpeg_encoder.h"
#include "imaging/tone_table.h"

namespace {

using Samples = std::vector<std::uint16_t>;

enum FrameKind { kNoisy, kFlat, kRandom };

constexpr int kBlackLevel = 512;
constexpr int kWhiteLevel = 15000;

// A smooth random texture: values in 0..1 on a lattice `spacing` pixels apart,
// bilinearly interpolated.
double latticeNoise(int x, int y, int spacing, unsigned seed) {
    const auto at = [seed](int column, int row) {
        unsigned hash =
            static_cast<unsigned>(column) * 73856093u ^ static_cast<unsigned>(row) * 19349663u ^ seed;
        hash ^= hash >> 13;
        hash *= 0x5bd1e995u;
        hash ^= hash >> 15;
        return static_cast<double>(hash & 0xFFFF) / 65535.0;
    };
    const int column = x / spacing, row = y / spacing;
    const double fx = static_cast<double>(x % spacing) / spacing,
                 fy = static_cast<double>(y % spacing) / spacing;
    const double top = at(column, row) * (1 - fx) + at(column + 1, row) * fx;
    const double bottom = at(column, row + 1) * (1 - fx) + at(column + 1, row + 1) * fx;
    return top * (1 - fy) + bottom * fy;
}

// Linear light 0..1 of a scene: a lit wall with a gradient, a few soft round
// objects, a textured lower half (foliage, fabric) with detail down to a few
// pixels, a dark corner, and a window with sharp edges; each colour its own tint.
double sceneLight(int x, int y, int width, int height, int colour) {
    const double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
    double light = 0.05 + 0.25 * u + 0.1 * std::sin(6.0 * v + 2.0 * u);
    const double centres[][3] = {{0.3, 0.4, 0.6}, {0.7, 0.6, 0.3}, {0.5, 0.2, 0.15}};
    for (const auto& centre : centres) {
        const double distance = std::hypot(u - centre[0], (v - centre[1]) * height / width);
        light += centre[2] * std::exp(-distance * distance * 60.0);
    }
    if (v > 0.55) {
        const double texture = 0.5 * latticeNoise(x, y, 64, 1) + 0.3 * latticeNoise(x, y, 12, 2) +
                               0.2 * latticeNoise(x, y, 3, 3);
        light *= 0.3 + 1.2 * texture;
    }
    if (u > 0.75 && u < 0.95 && v > 0.1 && v < 0.45) light = (u > 0.845 && u < 0.855) ? 0.02 : 0.9;
    if (u < 0.2 && v > 0.7) light *= 0.05;
    const double tint[] = {0.8, 1.0, 0.55};
    return std::clamp(light * tint[colour], 0.0, 1.0);
}

Samples noisyFrame(int width, int height) {
    std::vector<std::uint16_t> tone(kToneTableEntries);
    buildToneTable(CurveSettings{}, kBlackLevel, kWhiteLevel, false, tone.data());
    std::mt19937 random(1);
    std::normal_distribution<double> unit(0.0, 1.0);
    const double readNoise = 6.0;         // 14-bit codes
    const double electronsPerCode = 1.0;  // shot noise: variance of the signal in codes / this
    Samples frame(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int colour = (x % 2) + (y % 2);  // 0 red, 1 green, 2 blue
            const double signal = sceneLight(x, y, width, height, colour) * (kWhiteLevel - kBlackLevel);
            const double sigma = std::sqrt(readNoise * readNoise + signal / electronsPerCode);
            const double code = std::round(kBlackLevel + signal + sigma * unit(random));
            frame[static_cast<std::size_t>(y) * width + x] =
                tone[static_cast<std::size_t>(std::clamp(code, 0.0, 16383.0))];
        }
    return frame;
}

Samples makeFrame(FrameKind kind, int width, int height) {
    if (kind == kNoisy) return noisyFrame(width, height);
    Samples frame(static_cast<std::size_t>(width) * height, 23456);
    if (kind == kRandom) {
        std::mt19937 random(2);
        for (auto& sample : frame) sample = static_cast<std::uint16_t>(random());
    }
    return frame;
}

// One frame per kind and size, made once.
const Samples& frameOf(FrameKind kind, int width, int height) {
    static std::vector<std::pair<std::array<int, 3>, Samples>> made;
    for (const auto& [key, frame] : made)
        if (key == std::array<int, 3>{kind, width, height}) return frame;
    made.emplace_back(std::array<int, 3>{kind, width, height}, makeFrame(kind, width, height));
    return made.back().second;
}

// range: width, height, frame kind, predictor, table row step, AVX2 (1) or reference (0),
// quadrants (1) or the mosaic as it is (0).
void BM_LosslessJpeg(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    Samples frame = frameOf(static_cast<FrameKind>(state.range(2)), width, height);
    if (state.range(6) == 0) {
        // Coding quadrantsToBayer(mosaic) puts the mosaic itself into the image.
        Samples shuffled(frame.size());
        quadrantsToBayer(frame.data(), width, height, shuffled.data());
        frame.swap(shuffled);
    }
    LosslessJpegOptions options;
    options.predictor = static_cast<int>(state.range(3));
    options.tableRowStep = static_cast<int>(state.range(4));
    options.allowAvx2 = state.range(5) != 0;
    std::vector<std::uint8_t> image(losslessJpegMaxBytes(width, height));
    LosslessJpegWorkspace workspace;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const Result<std::size_t> result =
            encodeLosslessJpeg(frame.data(), static_cast<std::size_t>(width), width, height, workspace,
                               image.data(), image.size(), options);
        if (!result.ok()) {
            state.SkipWithError("encoding failed");
            return;
        }
        bytes = result.value();
        benchmark::DoNotOptimize(image.data());
    }
    state.counters["Msamples/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * width * height / 1e6, benchmark::Counter::kIsRate);
    state.counters["ratio"] = static_cast<double>(frame.size()) * 2.0 / static_cast<double>(bytes);
    state.counters["bits/sample"] = static_cast<double>(bytes) * 8.0 / static_cast<double>(frame.size());
}

constexpr int kDefaultPredictor = LosslessJpegOptions{}.predictor;
constexpr int kDefaultStep = LosslessJpegOptions{}.tableRowStep;

void defaults(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"w", "h", "kind", "pred", "step", "avx2", "quad"});
    for (const auto& size : {std::array<int, 2>{1920, 1080}, std::array<int, 2>{4096, 2160}})
        for (int kind : {kNoisy, kFlat, kRandom})
            benchmark->Args({size[0], size[1], kind, kDefaultPredictor, kDefaultStep, 1, 1});
}

void alternatives(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"w", "h", "kind", "pred", "step", "avx2", "quad"});
    for (int predictor = 1; predictor <= 7; ++predictor)
        benchmark->Args({1920, 1080, kNoisy, predictor, kDefaultStep, 1, 1});
    for (int step : {1, 4, 64}) benchmark->Args({1920, 1080, kNoisy, kDefaultPredictor, step, 1, 1});
    benchmark->Args({1920, 1080, kNoisy, kDefaultPredictor, kDefaultStep, 0, 1});
    benchmark->Args({1920, 1080, kNoisy, kDefaultPredictor, kDefaultStep, 1, 0});
    benchmark->Args({1920, 1080, kNoisy, 1, kDefaultStep, 1, 0});
}

}  // namespace

BENCHMARK(BM_LosslessJpeg)->Apply(defaults)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LosslessJpeg)
    ->Name("BM_LosslessJpegAlternatives")
    ->Apply(alternatives)
    ->Unit(benchmark::kMillisecond);
