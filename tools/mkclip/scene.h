#pragma once

#include <cstdint>
#include <vector>

#include "clip_options.h"

// Makes the 14-bit Bayer samples of every frame of a scene, row by row,
// red at the top-left (R G / G B).
class SceneGenerator {
public:
    explicit SceneGenerator(const ClipOptions& options);
    void fillFrame(std::uint64_t frame, std::vector<std::uint16_t>& samples);

private:
    void fillChart(std::uint64_t frame, std::vector<std::uint16_t>& samples);
    void fillLenscap(std::uint64_t frame, std::vector<std::uint16_t>& samples) const;
    void addNoise(std::uint64_t frame, std::vector<std::uint16_t>& samples) const;
    std::uint16_t toSample(double light) const;

    const ClipOptions& options_;
    std::vector<std::uint16_t> chartBase_;  // the still part of the chart, made once
};
