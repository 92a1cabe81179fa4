// The cost of handing a frame to the encoding graph: the frame source copies
// it into a sample and delivers it; here to a receiver that does nothing, so
// the figure is the copy plus the framework's own overhead. A plain copy of
// the same bytes runs beside it for comparison.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "encode/gen_filter.h"
#include "media/base_input_pin.h"
#include "media/component_registry.h"
#include "media/graph_interfaces.h"
#include "media/known_ids.h"

namespace {

class NullSink;

class NullInputPin final : public CBaseInputPin {
public:
    NullInputPin(CBaseFilter* filter, CritSec& lock) : CBaseInputPin(filter, lock, "In") {}
    HRESULT CheckMediaType(const MediaType&) override { return S_OK; }
};

class NullSink final : public CBaseFilter {
public:
    NullSink() : CBaseFilter(lock_, GUID_NULL), pin_(std::make_unique<NullInputPin>(this, lock_)) {}
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? pin_.get() : nullptr; }

private:
    CritSec lock_;
    std::unique_ptr<NullInputPin> pin_;
};

struct Kind {
    bool rgb444;
    bool raw;
    int bytesPerPixel;  // in the caller's frame
};

constexpr Kind kKinds[] = {{false, true, 2}, {true, false, 6}, {false, false, 6}};

void deliverFrames(benchmark::State& state) {
    const Kind kind = kKinds[state.range(0)];
    const int width = static_cast<int>(state.range(1));
    const int height = static_cast<int>(state.range(2));
    ComPtr<IGraphBuilder> graph;
    createInstance(CLSID_FilterGraph, &graph);
    ComPtr<CGenFilter> source = makeComObject<CGenFilter>();
    FrameFormat format;
    format.width = width;
    format.height = height;
    format.rgb444 = kind.rgb444;
    format.raw = kind.raw;
    format.frameRate = 24.0f;
    source->setFormat(format, 416666);
    ComPtr<NullSink> sink = makeComObject<NullSink>();
    graph->AddFilter(source.get(), "App-Direct Video");
    graph->AddFilter(sink.get(), "sink");
    if (failed(graph->Connect(source->GetPin(0), sink->GetPin(0))) ||
        failed(graph.as<IMediaControl>()->Run())) {
        state.SkipWithError("graph not built");
        return;
    }
    const std::int32_t pitch = width * kind.bytesPerPixel;
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(height), 7);
    for (auto _ : state) {
        const HRESULT hr = source->DeliverFrame(frame.data(), pitch);
        benchmark::DoNotOptimize(hr);
    }
    const auto* output = static_cast<CGenOutput*>(source->GetPin(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * output->imageBytes());
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    graph.as<IMediaControl>()->Stop();
}

void plainCopy(benchmark::State& state) {
    const Kind kind = kKinds[state.range(0)];
    const std::size_t width = static_cast<std::size_t>(state.range(1));
    const std::size_t height = static_cast<std::size_t>(state.range(2));
    const std::size_t pitch = width * static_cast<std::size_t>(kind.bytesPerPixel);
    const std::size_t rowLength = kind.raw ? width * 2 : kind.rgb444 ? width * 6 : width * 4;
    std::vector<std::uint8_t> frame(pitch * height, 7);
    std::vector<std::uint8_t> target(rowLength * height);
    for (auto _ : state) {
        for (std::size_t row = 0; row < height; ++row) {
            std::memcpy(target.data() + row * rowLength, frame.data() + row * pitch, rowLength);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rowLength * height));
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Kinds: 0 RAW, 1 RGB 4:4:4, 2 YUV 4:2:2.
void sizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"kind", "width", "height"});
    for (int kind = 0; kind < 3; ++kind) {
        benchmark->Args({kind, 1920, 1080});
        benchmark->Args({kind, 4096, 2160});
    }
}

}  // namespace

BENCHMARK(deliverFrames)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(plainCopy)->Apply(sizes)->Unit(benchmark::kMillisecond);
