#pragma once

#include <cstdint>
#include <vector>

#include "components/yuv10_planes.h"

namespace picture_test {

constexpr std::uint16_t kUnwritten = 0xBEEF;

// Three planes with one spare sample at the end of every row, all first filled with
// kUnwritten, so that a sample written outside the picture or left unwritten shows.
struct OwnedPlanes {
    int lumaWidth, chromaWidth, height;
    std::vector<std::uint16_t> luma, cb, cr;

    OwnedPlanes(int lumaWidth_, int chromaWidth_, int height_)
        : lumaWidth(lumaWidth_),
          chromaWidth(chromaWidth_),
          height(height_),
          luma(static_cast<std::size_t>(lumaWidth_ + 1) * height_, kUnwritten),
          cb(static_cast<std::size_t>(chromaWidth_ + 1) * height_, kUnwritten),
          cr(static_cast<std::size_t>(chromaWidth_ + 1) * height_, kUnwritten) {}

    Yuv10Planes view() {
        return {luma.data(), cb.data(), cr.data(), lumaWidth + 1, chromaWidth + 1, chromaWidth + 1};
    }
    std::uint16_t lumaAt(int x, int y) const {
        return luma[static_cast<std::size_t>(y) * (lumaWidth + 1) + x];
    }
    std::uint16_t cbAt(int x, int y) const { return cb[static_cast<std::size_t>(y) * (chromaWidth + 1) + x]; }
    std::uint16_t crAt(int x, int y) const { return cr[static_cast<std::size_t>(y) * (chromaWidth + 1) + x]; }
};

}  // namespace picture_test
