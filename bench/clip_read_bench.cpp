// Read throughput of the clip reader on a 1920 x 1080 packed 14-bit clip that
// sits in the page cache: the cost of the reads alone, before any unpacking.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file.h"
#include "raw/clip_reader.h"

namespace {

constexpr std::uint32_t kWidth = 1920;
constexpr std::uint32_t kHeight = 1080;
constexpr std::uint32_t kFrameBytes = kWidth * kHeight * 14 / 8;
constexpr int kFrames = 48;

void put32(std::array<std::uint8_t, 192>& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Writes base.RAW: kFrames frames of arbitrary packed bytes and a trailer.
bool writeClip(const std::string& base) {
    platform::File file;
    if (!file.open(base + ".RAW", platform::File::Access::CreateWrite)) return false;
    std::vector<std::uint8_t> frame(kFrameBytes);
    for (int index = 0; index < kFrames; ++index) {
        for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i * 31 + index);
        if (!file.write(frame.data(), frame.size())) return false;
    }
    std::array<std::uint8_t, 192> trailer{'R', 'A', 'W', 'M'};
    put32(trailer, 4, kWidth | (kHeight << 16));
    put32(trailer, 8, kFrameBytes);
    put32(trailer, 12, kFrames);
    put32(trailer, 20, 24000);
    put32(trailer, 32, 1);
    put32(trailer, 40, kHeight);
    put32(trailer, 44, kWidth);
    put32(trailer, 52, kFrameBytes);
    put32(trailer, 56, 14);
    return file.write(trailer.data(), trailer.size());
}

void BM_ReadPackedClip(benchmark::State& state) {
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("raw2tvx-clip-read-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory);
    const std::string base = (directory / "bench").string();
    if (!writeClip(base)) {
        state.SkipWithError("cannot write the clip");
        return;
    }
    RawClipReader reader;
    if (!reader.open(base).ok()) {
        state.SkipWithError("cannot open the clip");
        return;
    }
    std::vector<std::uint16_t> bayer(std::size_t{kWidth} * kHeight);
    std::int64_t frames = 0;
    for (auto _ : state) {
        (void)reader.positionAtFirstFrame();
        while (reader.readFrame(bayer) == FrameReadOutcome::PackedFrame) {
            benchmark::DoNotOptimize(reader.packedFrameData());
            ++frames;
        }
    }
    reader.close();
    state.SetBytesProcessed(frames * kFrameBytes);
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    std::filesystem::remove_all(directory);
}
BENCHMARK(BM_ReadPackedClip)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
