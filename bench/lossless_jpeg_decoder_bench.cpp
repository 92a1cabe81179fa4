// Single-thread throughput of the camera archive's frame steps at 1920x1080
// and 4096x2160, on two kinds of frame:
//   sensor - a scene with sensor noise as a 14-bit clip stores it (black 512,
//            white 15000), which is what an archive keeps;
//   random - uniform random 16-bit samples, the worst case (every category).
// Decode: our lossless JPEG decoder, alone and followed by the frame checksum
// as the archive reader works it out, on one scan and on restart intervals
// (two decoded at once); then the checksum alone, and the
// encoder with and without the archive's per-frame comment (whose checksum is
// the difference). Rates are samples per second of processor time.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "archive/archive_format.h"
#include "archive/crc32c.h"
#include "components/lossless_jpeg_decoder.h"
#include "components/lossless_jpeg_encoder.h"

namespace {

using Samples = std::vector<std::uint16_t>;

enum FrameKind { kSensor, kRandom };

constexpr int kBlackLevel = 512;
constexpr int kWhiteLevel = 15000;

// Linear light 0..1 of a scene: a lit wall with a gradient, soft round
// objects, a fine texture in the lower half and a window with sharp edges.
double sceneLight(int x, int y, int width, int height, int colour) {
    const double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
    double light = 0.05 + 0.25 * u + 0.1 * std::sin(6.0 * v + 2.0 * u);
    const double centres[][3] = {{0.3, 0.4, 0.6}, {0.7, 0.6, 0.3}, {0.5, 0.2, 0.15}};
    for (const auto& centre : centres) {
        const double distance = std::hypot(u - centre[0], (v - centre[1]) * height / width);
        light += centre[2] * std::exp(-distance * distance * 60.0);
    }
    if (v > 0.55) light *= 0.6 + 0.4 * std::sin(static_cast<double>(x) * 0.7) * std::cos(y * 0.45);
    if (u > 0.75 && u < 0.95 && v > 0.1 && v < 0.45) light = (u > 0.845 && u < 0.855) ? 0.02 : 0.9;
    const double tint[] = {0.8, 1.0, 0.55};
    return std::clamp(light * tint[colour], 0.0, 1.0);
}

Samples makeFrame(FrameKind kind, int width, int height) {
    std::mt19937 random(1);
    Samples frame(static_cast<std::size_t>(width) * height);
    if (kind == kRandom) {
        for (auto& sample : frame) sample = static_cast<std::uint16_t>(random());
        return frame;
    }
    std::normal_distribution<double> unit(0.0, 1.0);
    const double readNoise = 6.0;  // codes; shot noise adds the signal in codes as variance
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int colour = (x % 2) + (y % 2);
            const double signal = sceneLight(x, y, width, height, colour) * (kWhiteLevel - kBlackLevel);
            const double sigma = std::sqrt(readNoise * readNoise + signal);
            const double code = std::round(kBlackLevel + signal + sigma * unit(random));
            frame[static_cast<std::size_t>(y) * width + x] =
                static_cast<std::uint16_t>(std::clamp(code, 0.0, 16383.0));
        }
    return frame;
}

struct Encoded {
    Samples frame;
    std::vector<std::uint8_t> image;
};

// restart: the scan restarts every few rows, as an archive's frames do.
Encoded encodedFrame(FrameKind kind, int width, int height, bool restart) {
    Encoded encoded{makeFrame(kind, width, height), {}};
    LosslessJpegWorkspace workspace;
    LosslessJpegOptions options;
    options.restartRows = restart ? losslessJpegMostRestartRows(width) : 0;
    encoded.image.resize(losslessJpegMaxBytes(width, height, 0, options.restartRows));
    const auto bytes = encodeLosslessJpeg(encoded.frame.data(), static_cast<std::size_t>(width), width,
                                          height, workspace, encoded.image.data(), encoded.image.size(),
                                          options);
    encoded.image.resize(bytes.ok() ? bytes.value() : 0);
    return encoded;
}

void setRate(benchmark::State& state, int width, int height) {
    state.counters["MP/s"] = benchmark::Counter(
        static_cast<double>(width) * height * state.iterations() / 1e6, benchmark::Counter::kIsRate);
    state.counters["ns/sample"] =
        benchmark::Counter(static_cast<double>(width) * height * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// range: width, height, frame kind, checksum after decoding (1) or not (0),
// restart intervals (1) or one scan (0).
void BM_Decode(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const Encoded encoded =
        encodedFrame(static_cast<FrameKind>(state.range(2)), width, height, state.range(4) != 0);
    const bool checksum = state.range(3) != 0;
    Samples out(encoded.frame.size());
    LosslessJpegDecoder decoder;
    LosslessJpegDecoded decoded;
    for (auto _ : state) {
        const Status status = decoder.decode(encoded.image, out.data(), static_cast<std::size_t>(width),
                                             width, height, &decoded);
        if (!status.ok() || out != encoded.frame) state.SkipWithError("the frame did not come back");
        if (checksum) benchmark::DoNotOptimize(frameChecksum(out.data(), width, height, width));
        benchmark::ClobberMemory();
    }
    state.counters["bits/sample"] = 8.0 * static_cast<double>(encoded.image.size()) / (width * height);
    setRate(state, width, height);
}

void BM_Checksum(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const Samples frame = makeFrame(kSensor, width, height);
    for (auto _ : state) benchmark::DoNotOptimize(frameChecksum(frame.data(), width, height, width));
    setRate(state, width, height);
}

// range: width, height, with the archive's comment and its checksum (1) or without (0).
void BM_EncodeWithMark(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const Samples frame = makeFrame(kSensor, width, height);
    LosslessJpegWorkspace workspace;
    std::vector<std::uint8_t> image(losslessJpegMaxBytes(width, height, 64));
    std::uint64_t index = 0;
    for (auto _ : state) {
        std::string mark;
        LosslessJpegOptions options;
        if (state.range(2) != 0) {
            mark = archiveFrameComment({index++, frameChecksum(frame.data(), width, height, width)});
            options.comment = mark;
        }
        benchmark::DoNotOptimize(encodeLosslessJpeg(frame.data(), static_cast<std::size_t>(width), width,
                                                    height, workspace, image.data(), image.size(), options));
    }
    setRate(state, width, height);
}

void sizes(benchmark::internal::Benchmark* benchmark, std::vector<std::int64_t> tail) {
    for (const auto& size : {std::vector<std::int64_t>{1920, 1080}, std::vector<std::int64_t>{4096, 2160}}) {
        std::vector<std::int64_t> arguments = size;
        arguments.insert(arguments.end(), tail.begin(), tail.end());
        benchmark->Args(arguments);
    }
}

}  // namespace

BENCHMARK(BM_Decode)
    ->ArgNames({"width", "height", "random", "checksum", "restart"})
    ->Apply([](auto* b) {
        for (std::int64_t kind : {kSensor, kRandom})
            for (std::int64_t checksum : {0, 1})
                for (std::int64_t restart : {0, 1}) sizes(b, {kind, checksum, restart});
    }) -> MeasureProcessCPUTime() -> Unit(benchmark::kMillisecond);
BENCHMARK(BM_Checksum)
    ->ArgNames({"width", "height"})
    ->Apply([](auto* b) { sizes(b, {}); }) -> MeasureProcessCPUTime() -> Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeWithMark)
    ->ArgNames({"width", "height", "mark"})
    ->Apply([](auto* b) {
        sizes(b, {0});
        sizes(b, {1});
    }) -> MeasureProcessCPUTime() -> Unit(benchmark::kMillisecond);
