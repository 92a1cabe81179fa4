// DPX export cost of one 1920 x 1080 RGB frame: the 10-bit packing alone (in each form), and
// packing plus writing the whole file (header, rows, rename) into the page
// cache, as a numbered sequence does, one new file per frame; the files are
// removed in batches outside the timed part. Bytes per second count the DPX
// bytes produced; the export is timed by the clock on the wall, as its cost
// is mostly spent in the kernel.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "files/dpx_pixel_packing.h"
#include "files/dpx_sequence_exporter.h"
#include "platform/cpu_features.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr std::int64_t kFileBytes = 2048 + std::int64_t{kWidth} * kHeight * 4;

std::vector<std::uint16_t> makeFrame() {
    std::mt19937 generator(1);
    std::vector<std::uint16_t> frame(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (auto& sample : frame) sample = static_cast<std::uint16_t>(generator());
    return frame;
}

// The packing of every form the processor runs, the scalar reference first.
void BM_PackFrame(benchmark::State& state, platform::SimdForm form) {
    if (const char* missing = platform::missingCpuFeature(form)) {
        state.SkipWithError((std::string("the CPU lacks ") + missing).c_str());
        return;
    }
    const DpxRowPacker pack = dpxRowPacker(form);
    const std::vector<std::uint16_t> frame = makeFrame();
    std::vector<std::uint8_t> row(static_cast<std::size_t>(kWidth) * 4);
    for (auto _ : state) {
        for (int line = 0; line < kHeight; ++line) {
            pack(frame.data() + static_cast<std::size_t>(line) * kWidth * 3, kWidth, row.data());
            benchmark::DoNotOptimize(row.data());
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(state.iterations() * (kFileBytes - 2048));
    state.counters["Mpixel/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kWidth * kHeight / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_PackFrame, reference, platform::SimdForm::kScalar)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PackFrame, sse4, platform::SimdForm::kSse4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PackFrame, avx2, platform::SimdForm::kAvx2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PackFrame, avx512, platform::SimdForm::kAvx512)->Unit(benchmark::kMillisecond);

void BM_ExportFrame(benchmark::State& state) {
    const std::vector<std::uint16_t> frame = makeFrame();
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("raw2tvx-bench-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(directory);
    const DPXSequenceExporter exporter((directory / "frame_%06d.dpx").string());
    constexpr std::int64_t kFramesPerBatch = 16;
    std::int64_t frameNumber = 0;
    std::string message;
    for (auto _ : state) {
        if (!exporter.ExportFrame(frame.data(), kWidth, kHeight, frameNumber, &message)) {
            state.SkipWithError(message.c_str());
            break;
        }
        if (++frameNumber % kFramesPerBatch == 0) {
            state.PauseTiming();
            for (const auto& entry : std::filesystem::directory_iterator(directory))
                std::filesystem::remove(entry.path());
            state.ResumeTiming();
        }
    }
    state.SetBytesProcessed(state.iterations() * kFileBytes);
    std::filesystem::remove_all(directory);
}
BENCHMARK(BM_ExportFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
