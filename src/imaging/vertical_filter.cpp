#include <algorithm>
#include <array>
#include <cstddef>

#include "imaging/demosaic.h"
#include "imaging/kernel_variants.h"

namespace {

constexpr int kStripPixels = 16;
constexpr int kStripSamples = 3 * kStripPixels;

std::uint16_t addSaturated(std::uint16_t a, std::uint16_t b) {
    return static_cast<std::uint16_t>(std::min(a + b, 65535));
}

std::uint16_t subtractSaturated(std::uint16_t a, std::uint16_t b) {
    return static_cast<std::uint16_t>(a > b ? a - b : 0);
}

struct VerticalKernel {
    int preShift;    // g: applied to the centre row and the rows one away
    int outerShift;  // h: applied to the rows two away
    int centre;      // k
    int side;        // m
};

constexpr VerticalKernel kVerticalKernels[3] = {{4, 5, 5, 2}, {4, 4, 6, 2}, {3, 3, 4, 1}};

// One output sample from the unfiltered samples of rows y - 2 .. y + 2, in 16-bit steps:
// both outer rows are subtracted (each stopping at 0) before the side rows are added.
std::uint16_t filterSample(int level, std::uint16_t up2, std::uint16_t up1, std::uint16_t centre,
                           std::uint16_t down1, std::uint16_t down2) {
    if (level == 0) {
        const std::uint16_t mid = static_cast<std::uint16_t>(centre >> 2);
        return addSaturated(
            addSaturated(static_cast<std::uint16_t>(up1 >> 2), static_cast<std::uint16_t>(2 * mid)),
            static_cast<std::uint16_t>(down1 >> 2));
    }
    const VerticalKernel kernel = kVerticalKernels[level - 1];
    std::uint16_t value = static_cast<std::uint16_t>(kernel.centre * (centre >> kernel.preShift));
    value = subtractSaturated(value, static_cast<std::uint16_t>(up2 >> kernel.outerShift));
    value = subtractSaturated(value, static_cast<std::uint16_t>(down2 >> kernel.outerShift));
    value = addSaturated(value, static_cast<std::uint16_t>(kernel.side * (up1 >> kernel.preShift)));
    value = addSaturated(value, static_cast<std::uint16_t>(kernel.side * (down1 >> kernel.preShift)));
    value = std::min<std::uint16_t>(value, 32767);
    return static_cast<std::uint16_t>(value * 2);
}

}  // namespace

void verticalFilterStripReference(std::uint16_t* rgb, int width, int height, int strip, int level) {
    if (level < 0 || level > 3 || width < kMinDemosaicWidth || height < kMinDemosaicHeight) return;
    if (strip < 0 || strip >= verticalStripCount(width)) return;
    const int firstPixel = strip * kStripPixels;
    const int samples = 3 * (std::min(firstPixel + kStripPixels, width) - firstPixel);
    const std::size_t stride = 3 * static_cast<std::size_t>(width);
    std::uint16_t* column = rgb + 3 * static_cast<std::size_t>(firstPixel);
    const auto row = [&](int y) { return column + static_cast<std::size_t>(y) * stride; };

    // A filtered row goes back two rows after it was computed, once no later row needs
    // its unfiltered samples.
    std::array<std::array<std::uint16_t, kStripSamples>, 3> filtered{};
    const auto writeBack = [&](int y) { std::copy_n(filtered[y % 3].begin(), samples, row(y)); };
    for (int y = 2; y <= height - 3; ++y) {
        for (int i = 0; i < samples; ++i)
            filtered[y % 3][i] =
                filterSample(level, row(y - 2)[i], row(y - 1)[i], row(y)[i], row(y + 1)[i], row(y + 2)[i]);
        if (y - 2 >= 2) writeBack(y - 2);
    }
    for (int y = std::max(2, height - 4); y <= height - 3; ++y) writeBack(y);
}

void verticalFilterRowReference(const std::uint16_t* const rows[5], std::uint16_t* out, std::size_t samples,
                                int level) {
    if (level < 0 || level > 3) return;
    for (std::size_t i = 0; i < samples; ++i)
        out[i] = filterSample(level, rows[0][i], rows[1][i], rows[2][i], rows[3][i], rows[4][i]);
}

void verticalFilterStrip(std::uint16_t* rgb, int width, int height, int strip, int level) {
    // The vector form covers whole strips; the narrower last strip runs in the scalar form.
    if (avx2KernelsAvailable() && (strip + 1) * kStripPixels <= width)
        verticalFilterStripAvx2(rgb, width, height, strip, level);
    else
        verticalFilterStripReference(rgb, width, height, strip, level);
}

int verticalStripCount(int width) {
    return width < 0 ? 0 : (width + kStripPixels - 1) / kStripPixels;
}
