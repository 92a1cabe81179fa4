#include "scene.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct Rgb {
    double r, g, b;
};

// Linear light of 24 patches in a 6 x 4 layout, in the spirit of a colour checker.
constexpr std::array<Rgb, 24> kPatches = {{
    {0.17, 0.09, 0.06}, {0.55, 0.33, 0.25}, {0.12, 0.20, 0.34}, {0.10, 0.15, 0.06}, {0.24, 0.22, 0.44},
    {0.13, 0.52, 0.41}, {0.68, 0.20, 0.03}, {0.08, 0.10, 0.39}, {0.54, 0.08, 0.11}, {0.10, 0.04, 0.14},
    {0.35, 0.50, 0.05}, {0.76, 0.36, 0.02}, {0.03, 0.05, 0.29}, {0.07, 0.30, 0.07}, {0.43, 0.03, 0.04},
    {0.84, 0.58, 0.01}, {0.50, 0.08, 0.29}, {0.00, 0.24, 0.38}, {0.90, 0.90, 0.88}, {0.59, 0.59, 0.59},
    {0.36, 0.36, 0.36}, {0.19, 0.19, 0.19}, {0.09, 0.09, 0.09}, {0.03, 0.03, 0.03},
}};

constexpr double kPi = 3.14159265358979323846;

double channel(const Rgb& colour, std::uint32_t x, std::uint32_t y) {
    if (y % 2 == 0) return x % 2 == 0 ? colour.r : colour.g;
    return x % 2 == 0 ? colour.g : colour.b;
}

// The chart's light at pixel (x, y) of a width x height frame.
Rgb chartLight(std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height) {
    const double u = (x + 0.5) / width;
    const double v = (y + 0.5) / height;
    // Patches: a 6 x 4 grid with dark gaps between them.
    if (u >= 0.06 && u < 0.66 && v >= 0.14 && v < 0.74) {
        const double cellU = (u - 0.06) / 0.10;
        const double cellV = (v - 0.14) / 0.15;
        const int column = std::min(5, static_cast<int>(cellU));
        const int row = std::min(3, static_cast<int>(cellV));
        const bool gap =
            cellU - column < 0.06 || cellU - column > 0.94 || cellV - row < 0.06 || cellV - row > 0.94;
        if (gap) return {0.02, 0.02, 0.02};
        return kPatches[static_cast<std::size_t>(row * 6 + column)];
    }
    // Fine detail: line pairs of 1, 2, 3 and 4 pixels above a zone plate.
    if (u >= 0.70 && u < 0.96 && v >= 0.14 && v < 0.44) {
        const std::uint32_t band = std::min<std::uint32_t>(3, static_cast<std::uint32_t>((v - 0.14) / 0.075));
        const std::uint32_t period = band + 1;
        const double level = (x / period) % 2 == 0 ? 0.85 : 0.05;
        return {level, level, level};
    }
    if (u >= 0.70 && u < 0.96 && v >= 0.46 && v < 0.74) {
        const double dx = (u - 0.83) * width;
        const double dy = (v - 0.60) * height;
        const double level = 0.45 + 0.4 * std::cos((dx * dx + dy * dy) * kPi / (0.55 * width));
        return {level, level, level};
    }
    // Grey wedge of eleven steps.
    if (v >= 0.80 && v < 0.92 && u >= 0.06 && u < 0.94) {
        const double step = std::floor((u - 0.06) / 0.08) / 10.0;
        return {step, step, step};
    }
    // Background: smooth gradients through several hues.
    return {0.08 + 0.30 * u, 0.10 + 0.15 * (0.5 + 0.5 * std::sin(2 * kPi * v)), 0.08 + 0.30 * (1.0 - u)};
}

std::uint64_t nextRandom(std::uint64_t& state) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}

}  // namespace

SceneGenerator::SceneGenerator(const ClipOptions& options) : options_(options) {}

std::uint16_t SceneGenerator::toSample(double light) const {
    const double value = options_.blackLevel + light * (options_.whiteLevel - options_.blackLevel);
    return static_cast<std::uint16_t>(std::clamp(std::lround(value), 0l, 16383l));
}

void SceneGenerator::fillFrame(std::uint64_t frame, std::vector<std::uint16_t>& samples) {
    const std::uint32_t width = options_.width;
    const std::uint32_t height = options_.height;
    samples.resize(std::size_t{width} * height);
    if (samples.empty()) return;
    switch (options_.scene) {
        case Scene::Chart:
            fillChart(frame, samples);
            break;
        case Scene::Flat:
            std::fill(samples.begin(), samples.end(), static_cast<std::uint16_t>(options_.level));
            break;
        case Scene::Lenscap:
            fillLenscap(frame, samples);
            break;
        case Scene::Ramp:
            for (std::uint32_t y = 0; y < height; ++y)
                for (std::uint32_t x = 0; x < width; ++x)
                    samples[std::size_t{y} * width + x] =
                        static_cast<std::uint16_t>((7ull * x + 131ull * y + 1031ull * frame) % 16384);
            break;
    }
    if (options_.noise > 0) addNoise(frame, samples);
}

void SceneGenerator::addNoise(std::uint64_t frame, std::vector<std::uint16_t>& samples) const {
    std::uint64_t state = (options_.seed + 7) * 0xD6E8FEB86659FD93ull ^ (frame + 1) * 0x9E3779B97F4A7C15ull;
    if (state == 0) state = 1;
    const std::uint64_t span = 2 * static_cast<std::uint64_t>(options_.noise) + 1;
    for (std::uint16_t& sample : samples) {
        const std::uint64_t bits = nextRandom(state);
        // The sum of three uniform draws: close to a bell curve, within
        // 1.5 times the spread either way.
        const std::int64_t noise =
            static_cast<std::int64_t>((bits & 0xFFFF) % span + ((bits >> 16) & 0xFFFF) % span +
                                      ((bits >> 32) & 0xFFFF) % span) -
            3 * static_cast<std::int64_t>(options_.noise);
        const std::int64_t noisy = static_cast<std::int64_t>(sample) + noise / 2;
        sample = static_cast<std::uint16_t>(std::clamp<std::int64_t>(noisy, 0, 16383));
    }
}

void SceneGenerator::fillChart(std::uint64_t frame, std::vector<std::uint16_t>& samples) {
    const std::uint32_t width = options_.width;
    const std::uint32_t height = options_.height;
    if (chartBase_.empty()) {
        chartBase_.resize(samples.size());
        for (std::uint32_t y = 0; y < height; ++y)
            for (std::uint32_t x = 0; x < width; ++x)
                chartBase_[std::size_t{y} * width + x] =
                    toSample(channel(chartLight(x, y, width, height), x, y));
    }
    samples = chartBase_;
    // A white bar that moves along the top band, so consecutive frames differ.
    const std::uint32_t barWidth = std::max<std::uint32_t>(2, width / 12);
    const std::uint32_t barLeft =
        static_cast<std::uint32_t>((frame * std::max<std::uint32_t>(1, width / 24)) % width);
    const std::uint32_t top = height / 50, bottom = std::max(top + 1, height / 10);
    const std::uint16_t white = toSample(0.95);
    for (std::uint32_t y = top; y < bottom && y < height; ++y)
        for (std::uint32_t x = barLeft; x < std::min(width, barLeft + barWidth); ++x)
            samples[std::size_t{y} * width + x] = white;
}

void SceneGenerator::fillLenscap(std::uint64_t frame, std::vector<std::uint16_t>& samples) const {
    std::uint64_t state = (options_.seed + 1) * 0x9E3779B97F4A7C15ull ^ (frame + 1) * 0xD1B54A32D192ED03ull;
    if (state == 0) state = 1;
    for (std::uint16_t& sample : samples) {
        const std::uint64_t bits = nextRandom(state);
        // Two uniform draws in -6..6: triangular noise within 12 of the black level.
        const int noise = static_cast<int>(bits % 13) - 6 + static_cast<int>((bits >> 16) % 13) - 6;
        sample = static_cast<std::uint16_t>(std::clamp(options_.blackLevel + noise, 0, 16383));
    }
}
