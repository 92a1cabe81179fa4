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

BlackFrame blackFrameWindow(const BlackFrame& black, int left, int top, int width, int height) {
    BlackFrame window;
    if (left < 0 || top < 0 || width <= 0 || height <= 0 || left > black.width - width ||
        top > black.height - height || !blackFrameFits(black, black.width, black.height))
        return window;
    window.width = width;
    window.height = height;
    window.values.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        const auto start =
            black.values.begin() +
            static_cast<std::ptrdiff_t>((static_cast<std::size_t>(top + row) * black.width) + left);
        window.values.insert(window.values.end(), start, start + width);
    }
    return window;
}
