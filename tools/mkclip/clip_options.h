#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

enum class Scene { Chart, Flat, Lenscap, Ramp };

// Everything the generator is told on its command line.
struct ClipOptions {
    std::string outputPath;  // base.RAW; continuations are base.R00, base.R01, ...
    std::uint32_t width = 1920;
    std::uint32_t height = 1080;
    std::uint64_t frames = 10;
    std::uint32_t rateMilli = 24000;
    std::int32_t blackLevel = 512;
    std::int32_t whiteLevel = 15000;
    std::int32_t version = 1;
    int packing = 14;  // 14, 12 or 16 (plain 16-bit samples)
    std::array<std::int32_t, 18> matrix{};
    Scene scene = Scene::Chart;
    int level = 4096;
    std::uint64_t seed = 1;
    int noise = 0;                 // sensor noise added to every scene: a spread of about this many codes
    std::int64_t frameBytes = -1;  // -1: the packed size of a frame
    int trailerBytes = 192;        // how much of the trailer is written
    std::string magic = "RAWM";
    std::int64_t frameCount = -1;  // -1: the number of frames
    std::uint64_t splitBytes = 4294967295ull;
    // Frames outside these inclusive ranges are zero samples left as holes;
    // empty: every frame has content.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> contentFrames;
    bool help = false;
};

// The default camera matrix, as numerator/denominator pairs row by row.
std::array<std::int32_t, 18> defaultCameraMatrix();

// Fills options from argv; on failure returns false with a message in error.
bool parseClipOptions(int argc, char** argv, ClipOptions& options, std::string& error);

// True when frame has content rather than being a hole of zero samples.
bool frameHasContent(const ClipOptions& options, std::uint64_t frame);

void printClipHelp();
