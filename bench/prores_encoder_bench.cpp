// Frames per second of the ProRes picture encoder at 1920x1080, conversion included, per
// picture kind, quality and threading, on a smooth scene with camera-like noise (a standard
// deviation of 128 in 16-bit RGB, about two 10-bit steps). Frame threads run beside the calling thread, so
// the rate is wall-clock.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <random>
#include <vector>

#include "components/prores_picture_encoder.h"
#include "imaging/yuv422.h"

namespace {

using Samples = std::vector<std::uint16_t>;

std::uint16_t toWord(double value) {
    return static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, 65535L));
}

// Four frames of an RGB scene moving a little, so consecutive frames differ. For 4:2:2 the
// frames go through the pipeline's own 4:2:2 conversion, in place, and keep the RGB frame's
// row pitch of 6 x width bytes as the encoder receives them.
std::vector<Samples> makeFrames(OutputFormat kind, int width, int height) {
    std::vector<Samples> frames;
    std::mt19937 random(7);
    std::normal_distribution<double> grain(0.0, 128.0);
    for (int frame = 0; frame < 4; ++frame) {
        Samples picture(static_cast<std::size_t>(width) * height * 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const double u = x + 4.0 * frame, v = y;
                std::uint16_t* pixel = picture.data() + (static_cast<std::size_t>(y) * width + x) * 3;
                pixel[0] = toWord(32000 + 22000 * std::sin(u * 0.006 + v * 0.004) + grain(random));
                pixel[1] = toWord(32768 + 12000 * std::cos(u * 0.003 - v * 0.005) + grain(random));
                pixel[2] = toWord(30000 + 20000 * std::sin(u * 0.002 + v * 0.007 + 1.0) + grain(random));
            }
        if (kind == OutputFormat::Yuv422)
            for (int y = 0; y < height; ++y) toYuv422Row(picture.data(), width, y);
        frames.push_back(std::move(picture));
    }
    return frames;
}

// Arguments: kind (0 4:2:2, 1 RGB), quality, threads, slice threads (0 frame, 1 slice).
void BM_ProResEncoder(benchmark::State& state) {
    const OutputFormat kind = state.range(0) == 0 ? OutputFormat::Yuv422 : OutputFormat::Rgb444;
    const int quality = static_cast<int>(state.range(1));
    const ProResThreading threading = {static_cast<int>(state.range(2)), state.range(3) != 0};
    const int width = 1920, height = 1080;
    const std::vector<Samples> frames = makeFrames(kind, width, height);
    ProResPictureEncoder encoder;
    if (const Status opened = encoder.open(kind, width, height, quality, 24, 1, threading); !opened.ok()) {
        state.SkipWithError(opened.message().c_str());
        return;
    }
    double bytes = 0;
    const ProResPictureEncoder::PacketSink sink = [&bytes](const EncodedPacket& packet) {
        bytes += static_cast<double>(packet.data.size());
        return true;
    };
    // On a shared machine the wall-clock rate says little; the processor time of all threads
    // per frame says what a frame costs.
    const std::clock_t startTime = std::clock();
    std::size_t next = 0;
    for (auto _ : state) {
        const Samples& picture = frames[next++ % frames.size()];
        if (const Status encoded =
                encoder.encode(reinterpret_cast<const std::uint8_t*>(picture.data()), 6 * width, sink);
            !encoded.ok()) {
            state.SkipWithError(encoded.message().c_str());
            return;
        }
    }
    encoder.flush(sink);
    const double processSeconds = static_cast<double>(std::clock() - startTime) / CLOCKS_PER_SEC;
    state.counters["cpu ms/frame"] = 1000 * processSeconds / static_cast<double>(state.iterations());
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["Mbit/s@24"] = bytes * 8 * 24 / 1e6 / static_cast<double>(encoder.packetsDelivered());
    state.SetLabel(encoder.settings().name);
}

void allSettings(benchmark::internal::Benchmark* b) {
    b->ArgNames({"rgb", "q", "threads", "slices"});
    for (int kind : {0, 1}) {
        for (int quality = 1; quality <= 5; ++quality) {
            b->Args({kind, quality, 1, 0});
            b->Args({kind, quality, 2, 0});
        }
        b->Args({kind, 4, 2, 1});
    }
    b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
}

}  // namespace

BENCHMARK(BM_ProResEncoder)->Apply(allSettings);
