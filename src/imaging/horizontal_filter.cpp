#include <algorithm>
#include <vector>

#include "imaging/kernel_variants.h"

namespace {

// 1-2-1 blur of one sample from its unfiltered neighbours one pixel (3 samples) apart.
std::uint16_t blur(const std::uint16_t* in) {
    return static_cast<std::uint16_t>((in[-3] + 2 * in[0] + in[3]) >> 2);
}

struct SharpenKernel {
    int side;    // weight of the neighbours one pixel away
    int centre;  // weight of the pixel itself
    int shift;   // the weights add up to 1 << shift
};

constexpr SharpenKernel kSharpenKernels[3] = {{4, 10, 4}, {2, 6, 3}, {1, 4, 2}};

}  // namespace

void horizontalFilterRowReference(std::uint16_t* rgbRow, int width, int level) {
    if (level < 0 || level > 3 || width < 3) return;
    thread_local std::vector<std::uint16_t> unfiltered;
    const std::size_t samples = 3 * static_cast<std::size_t>(width);
    unfiltered.assign(rgbRow, rgbRow + samples);
    const std::uint16_t* in = unfiltered.data();
    if (level == 0) {
        for (std::size_t i = 3; i < samples - 3; ++i) rgbRow[i] = blur(in + i);
        return;
    }
    if (width < 5) return;
    const SharpenKernel kernel = kSharpenKernels[level - 1];
    for (int channel = 0; channel < 3; ++channel) {
        rgbRow[3 + channel] = blur(in + 3 + channel);
        rgbRow[samples - 6 + static_cast<std::size_t>(channel)] = blur(in + samples - 6 + channel);
    }
    for (std::size_t i = 6; i < samples - 6; ++i) {
        // Signed sum, arithmetic shift: the negative lobes can take it below 0.
        const int sum = kernel.side * (in[i - 3] + in[i + 3]) + kernel.centre * in[i] - in[i - 6] - in[i + 6];
        rgbRow[i] = static_cast<std::uint16_t>(std::clamp(sum >> kernel.shift, 0, 65535));
    }
}
