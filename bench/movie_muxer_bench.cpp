// Cost of putting compressed frames into a movie: the muxer alone (a sink
// that only counts bytes) and the muxer writing a real file under a temporary
// name into the page cache. Frame sizes as 1920 x 1080 frames come out of the
// encoders: about 1.1 MB for ProRes HQ and 3.2 MB for lossless JPEG of a
// noisy 16-bit Bayer frame. Timed by the clock on the wall: a file write's
// cost is mostly spent in the kernel.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "components/movie_file.h"
#include "components/movie_muxer.h"

namespace {

class CountingSink : public IByteSink {
public:
    std::int64_t writeAt(std::int64_t, const std::uint8_t*, std::size_t count) override {
        bytes += count;
        return static_cast<std::int64_t>(count);
    }
    std::uint64_t bytes = 0;
};

EncodedStreamInfo streamInfo(bool losslessJpeg) {
    EncodedStreamInfo info;
    info.codecId = losslessJpeg ? AV_CODEC_ID_MJPEG : AV_CODEC_ID_PRORES;
    info.codecTag = losslessJpeg ? 0 : 0x68637061;  // apch
    info.width = 1920;
    info.height = 1080;
    info.bitsPerCodedSample = losslessJpeg ? 16 : 0;
    info.rateNumerator = 24000;
    info.rateDenominator = 1001;
    return info;
}

EncodedPacket packetOf(std::size_t bytes) {
    std::mt19937 generator(1);
    EncodedPacket packet;
    packet.data.resize(bytes);
    for (auto& byte : packet.data) byte = static_cast<std::uint8_t>(generator());
    return packet;
}

void muxFrames(benchmark::State& state, IByteSink& sink, MovieContainer container, bool losslessJpeg) {
    EncodedPacket packet = packetOf(losslessJpeg ? 3'200'000 : 1'100'000);
    MovieMuxer muxer(container, sink);
    if (!muxer.writeHeader(streamInfo(losslessJpeg), {}).ok()) state.SkipWithError("header");
    for (auto _ : state) {
        if (!muxer.writePacket(packet).ok()) state.SkipWithError("frame");
        ++packet.frameIndex;
    }
    if (!muxer.writeTrailer().ok()) state.SkipWithError("trailer");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(packet.data.size()));
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_MuxToCountingSink(benchmark::State& state, MovieContainer container, bool losslessJpeg) {
    CountingSink sink;
    muxFrames(state, sink, container, losslessJpeg);
}

void BM_MuxToFile(benchmark::State& state, MovieContainer container, bool losslessJpeg) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("raw2tvx-bench-" + std::to_string(std::random_device{}()));
    MovieFile file;
    if (!file.create(path.string()).ok()) state.SkipWithError("create");
    muxFrames(state, file, container, losslessJpeg);
    file.abandon();
}

BENCHMARK_CAPTURE(BM_MuxToCountingSink, MovProRes, MovieContainer::Mov, false)->UseRealTime();
BENCHMARK_CAPTURE(BM_MuxToCountingSink, AviProRes, MovieContainer::Avi, false)->UseRealTime();
BENCHMARK_CAPTURE(BM_MuxToCountingSink, MovLosslessJpeg, MovieContainer::Mov, true)->UseRealTime();
BENCHMARK_CAPTURE(BM_MuxToCountingSink, AviLosslessJpeg, MovieContainer::Avi, true)->UseRealTime();
BENCHMARK_CAPTURE(BM_MuxToFile, MovLosslessJpeg, MovieContainer::Mov, true)->UseRealTime();
BENCHMARK_CAPTURE(BM_MuxToFile, AviLosslessJpeg, MovieContainer::Avi, true)->UseRealTime();

}  // namespace
