#pragma once

// Frames for the pixel kernel tests: patterns that exercise the adaptive weights and the
// clamps, and drivers that run a kernel form over every work item of a frame.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "imaging/demosaic.h"

namespace kernel_test {

using Samples = std::vector<std::uint16_t>;

// Samples on a 64-byte boundary, as the converter's frames are, so that the kernels that
// store whole vectors past the caches where they can take that path.
class AlignedSamples {
public:
    AlignedSamples(std::size_t count, std::uint16_t fill) : storage_(count + 32, fill), count_(count) {
        const auto address = reinterpret_cast<std::uintptr_t>(storage_.data());
        offset_ = (64 - address % 64) % 64 / sizeof(std::uint16_t);
    }
    std::uint16_t* data() { return storage_.data() + offset_; }
    Samples samples() const {
        const auto first = storage_.begin() + static_cast<std::ptrdiff_t>(offset_);
        return Samples(first, first + static_cast<std::ptrdiff_t>(count_));
    }

private:
    Samples storage_;
    std::size_t count_;
    std::size_t offset_ = 0;
};
using RowPairKernel = void (*)(const std::uint16_t*, int, int, int, std::uint16_t*, int, int);
using StripKernel = void (*)(std::uint16_t*, int, int, int, int);

struct Pattern {
    std::string name;
    std::function<std::uint16_t(int x, int y, std::mt19937& random)> sample;
};

inline std::vector<Pattern> adversarialPatterns() {
    const auto full = [](std::mt19937& r) { return static_cast<std::uint16_t>(r() & 0xFFFF); };
    return {
        {"random", [=](int, int, std::mt19937& r) { return full(r); }},
        {"random 0/65535",
         [](int, int, std::mt19937& r) { return static_cast<std::uint16_t>(r() & 1 ? 65535 : 0); }},
        {"checkerboard",
         [](int x, int y, std::mt19937&) { return static_cast<std::uint16_t>((x + y) % 2 ? 65535 : 0); }},
        {"2x2 checkerboard",
         [](int x, int y, std::mt19937&) {
             return static_cast<std::uint16_t>((x / 2 + y / 2) % 2 ? 65535 : 0);
         }},
        {"column stripes",
         [](int x, int, std::mt19937&) { return static_cast<std::uint16_t>(x % 4 < 2 ? 65535 : 0); }},
        {"row stripes",
         [](int, int y, std::mt19937&) { return static_cast<std::uint16_t>(y % 3 ? 0 : 65535); }},
        {"impulses on black",
         [](int, int, std::mt19937& r) { return static_cast<std::uint16_t>(r() % 29 == 0 ? 65535 : 0); }},
        {"dips on white",
         [](int, int, std::mt19937& r) { return static_cast<std::uint16_t>(r() % 23 == 0 ? 0 : 65535); }},
        {"steep ramp",
         [](int x, int y, std::mt19937&) {
             return static_cast<std::uint16_t>((x * 5000 + y * 3000) % 65536);
         }},
        {"noisy grey",
         [](int, int, std::mt19937& r) {
             return static_cast<std::uint16_t>(30000 + static_cast<int>(r() % 8192));
         }},
        // Differences below 1024 everywhere, so every adaptive weight is 0; near black and
        // near white the sharpening terms still take results below 0 and above 65535.
        {"faint noise near black",
         [](int, int, std::mt19937& r) { return static_cast<std::uint16_t>(r() % 1024); }},
        {"faint noise near white",
         [](int, int, std::mt19937& r) { return static_cast<std::uint16_t>(65535 - r() % 1024); }},
        {"faint noise on grey",
         [](int, int, std::mt19937& r) { return static_cast<std::uint16_t>(20000 + r() % 1000); }},
        // Mostly faint noise with rare steps, so that neighbouring blocks of a row differ in
        // whether their weights can be other than 0.
        {"faint noise with rare steps",
         [](int, int, std::mt19937& r) {
             const unsigned draw = r();
             return static_cast<std::uint16_t>(draw % 61 == 0 ? 40000 + draw % 20000 : 8000 + draw % 900);
         }},
        // Differences of exactly 1023 and 1024, either side of the first gradient class.
        {"differences at the class edge",
         [](int x, int y, std::mt19937& r) {
             const int step = r() % 3 == 0 ? 1024 : 1023;
             return static_cast<std::uint16_t>(30000 + ((x / 2 + y / 2) % 2) * step);
         }},
    };
}

inline Samples makeFrame(const Pattern& pattern, int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    Samples frame(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame[static_cast<std::size_t>(y) * width + x] = pattern.sample(x, y, random);
    return frame;
}

// Runs every row pair of the frame into an RGB frame first filled with fill, so that a
// pixel left unwritten shows up as a difference between two fills.
inline Samples runDemosaic(RowPairKernel kernel, const Samples& bayer, int width, int height, int mode,
                           int level, std::uint16_t fill = 0x5A5A) {
    Samples rgb(3 * static_cast<std::size_t>(width) * height, fill);
    for (int item = 0; item < demosaicItemCount(height); ++item)
        kernel(bayer.data(), width, height, 2 * item, rgb.data(), mode, level);
    return rgb;
}

inline void runVertical(StripKernel kernel, Samples& rgb, int width, int height, int level) {
    for (int strip = 0; strip < verticalStripCount(width); ++strip)
        kernel(rgb.data(), width, height, strip, level);
}

}  // namespace kernel_test
