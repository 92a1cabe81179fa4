#include "raw/black_frame.h"

#include <cstddef>
#include <new>

bool blackFrameFits(const BlackFrame& black, int width, int height) {
    if (width <= 0 || height <= 0 || black.width != width || black.height != height) return false;
    return black.values.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

bool prepareBlackFrame(BlackFrame& black, int width, int height) {
    if (blackFrameFits(black, width, height)) return true;
    black = BlackFrame{};
    if (width <= 0 || height <= 0) return false;
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (pixels > black.values.max_size()) return false;
    try {
        black.values.assign(pixels, 0);
    } catch (const std::bad_alloc&) {
        black = BlackFrame{};
        return false;
    }
    black.width = width;
    black.height = height;
    return true;
}
