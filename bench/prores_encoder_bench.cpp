// Frames per second of the ProRes picture encoder at 1920x1080, conversion included, per
// picture kind, quality and threading, on a smooth scene with camera-like noise (about two
// 10-bit steps). Frame threads run beside the calling thread, so the rate is wall-clock.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "components/prores_picture_encoder.h"

namespace {

using Samples = std::vector<std::uint16_t>;

std::uint16_t toWord(double value) {
    return static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, 65535L));
}

// Four frames of the scene moving a little, so consecutive frames differ.
std::vector<Samples> makeFrames(PictureKind kind, int width, int height) {
    std::vector<Samples> frames;
    std::mt19937 random(7);
    std::normal_distribution<double> grain(0.0, 128.0);
    const int wordsPerPixel = kind == PictureKind::Yuv422 ? 2 : 3;
    for (int frame = 0; frame < 4; ++frame) {
        Samples picture(static_cast<std::size_t>(width) * height * wordsPerPixel);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const double u = x + 4.0 * frame, v = y;
                const double first = 32000 + 22000 * std::sin(u * 0.006 + v * 0.004);
                const double second = 32768 + 12000 * std::cos(u * 0.003 - v * 0.005);
                const double third = 30000 + 20000 * std::sin(u * 0.002 + v * 0.007 + 1.0);
                std::uint16_t* out =
                    picture.data() + (static_cast<std::size_t>(y) * width + x) * wordsPerPixel;
                if (kind == PictureKind::Rgb444) {
                    out[0] = toWord(first + grain(random));
                    out[1] = toWord(second + grain(random));
                    out[2] = toWord(third + grain(random));
                } else {  // Y then alternately Cr and Cb, studio range
                    out[0] = toWord(std::clamp(4112 + first * 0.86 + grain(random), 4112.0, 60406.0));
                    out[1] = toWord(std::clamp((x % 2 ? third : second) + grain(random), 3998.0, 61537.0));
                }
            }
        frames.push_back(std::move(picture));
    }
    return frames;
}

// Arguments: kind (0 4:2:2, 1 RGB), quality, threads, slice threads (0 frame, 1 slice).
void BM_ProResEncoder(benchmark::State& state) {
    const PictureKind kind = state.range(0) == 0 ? PictureKind::Yuv422 : PictureKind::Rgb444;
    const int quality = static_cast<int>(state.range(1));
    const ProResThreading threading = {static_cast<int>(state.range(2)), state.range(3) != 0};
    const int width = 1920, height = 1080;
    const std::vector<Samples> frames = makeFrames(kind, width, height);
    ProResPictureEncoder encoder;
    if (!encoder.open(kind, width, height, quality, 24, 1, threading)) {
        state.SkipWithError(encoder.error().c_str());
        return;
    }
    double bytes = 0;
    const ProResPictureEncoder::PacketSink sink = [&bytes](const EncodedPacket& packet) {
        bytes += static_cast<double>(packet.data.size());
        return true;
    };
    std::size_t next = 0;
    for (auto _ : state) {
        const Samples& picture = frames[next++ % frames.size()];
        if (!encoder.encode(reinterpret_cast<const std::uint8_t*>(picture.data()), encoder.packedRowBytes(),
                            sink)) {
            state.SkipWithError(encoder.error().c_str());
            return;
        }
    }
    encoder.flush(sink);
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["Mbit/s@24"] = bytes * 8 * 24 / 1e6 / static_cast<double>(encoder.packetsDelivered());
    state.SetLabel(encoder.settings().name);
}

void allSettings(benchmark::internal::Benchmark* b) {
    b->ArgNames({"rgb", "q", "threads", "slices"});
    for (int kind : {0, 1}) {
        for (int quality = 1; quality <= 5; ++quality) b->Args({kind, quality, 2, 0});
        b->Args({kind, 4, 1, 0});
        b->Args({kind, 4, 2, 1});
    }
    b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
}

}  // namespace

BENCHMARK(BM_ProResEncoder)->Apply(allSettings);
