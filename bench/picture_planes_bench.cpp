// Single-thread throughput of the conversions into the ProRes encoder's 10-bit planes:
// 4:2:2 words to 4:2:2 planes and RGB48 to BT.709 Y'CbCr 4:4:4, scalar reference against
// the AVX2 form, over whole frames.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "components/picture_kernel_variants.h"
#include "components/yuv10_planes.h"

namespace {

using Samples = std::vector<std::uint16_t>;
using RowForm = void (*)(const std::uint16_t*, int, std::uint16_t*, std::uint16_t*, std::uint16_t*);

// A smooth picture with noise, width x height pixels of wordsPerPixel words.
Samples makePicture(int width, int height, int wordsPerPixel) {
    std::mt19937 random(1);
    Samples picture(static_cast<std::size_t>(width) * height * wordsPerPixel);
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<std::uint16_t>(8000 + (i * 37 / 5) % 48000 + random() % 512);
    return picture;
}

template <RowForm form, int wordsPerPixel, int chromaDivisor>
void BM_Convert(benchmark::State& state) {
    if (form != rgb48RowReference && form != yuv422WordsRowReference && !avx2PictureKernelsAvailable()) {
        state.SkipWithError("no AVX2 on this processor");
        return;
    }
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const Samples picture = makePicture(width, height, wordsPerPixel);
    const int chromaWidth = width / chromaDivisor;
    Samples luma(static_cast<std::size_t>(width) * height),
        cb(static_cast<std::size_t>(chromaWidth) * height), cr(cb.size());
    for (auto _ : state) {
        for (int y = 0; y < height; ++y)
            form(picture.data() + static_cast<std::size_t>(y) * width * wordsPerPixel, width,
                 luma.data() + static_cast<std::size_t>(y) * width,
                 cb.data() + static_cast<std::size_t>(y) * chromaWidth,
                 cr.data() + static_cast<std::size_t>(y) * chromaWidth);
        benchmark::DoNotOptimize(luma.data());
        benchmark::DoNotOptimize(cb.data());
        benchmark::DoNotOptimize(cr.data());
    }
    state.counters["Mpix/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * width * height / 1e6, benchmark::Counter::kIsRate);
}

void frameSizes(benchmark::internal::Benchmark* b) {
    b->Args({1920, 1080})->Args({4096, 2160})->ArgNames({"w", "h"})->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_Convert<yuv422WordsRowReference, 2, 2>)->Name("Yuv422ToPlanes/reference")->Apply(frameSizes);
BENCHMARK(BM_Convert<yuv422WordsRowAvx2, 2, 2>)->Name("Yuv422ToPlanes/avx2")->Apply(frameSizes);
BENCHMARK(BM_Convert<rgb48RowReference, 3, 1>)->Name("Rgb48ToYcbcr444/reference")->Apply(frameSizes);
BENCHMARK(BM_Convert<rgb48RowAvx2, 3, 1>)->Name("Rgb48ToYcbcr444/avx2")->Apply(frameSizes);
