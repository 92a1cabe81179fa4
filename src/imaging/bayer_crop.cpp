#include "imaging/bayer_crop.h"

#include <cstddef>
#include <cstring>

void cropInPlace(std::uint16_t* bayer, const CropGeometry& crop) {
    const std::size_t frameWidth = static_cast<std::size_t>(crop.frameWidth);
    const std::size_t cropWidth = static_cast<std::size_t>(crop.cropWidth);
    if (crop.frameWidth != crop.cropWidth) {
        for (int row = 0; row < crop.cropHeight; ++row) {
            const std::uint16_t* source =
                bayer + (static_cast<std::size_t>(crop.top) + static_cast<std::size_t>(row)) * frameWidth +
                static_cast<std::size_t>(crop.left);
            std::memmove(bayer + static_cast<std::size_t>(row) * cropWidth, source, cropWidth * 2);
        }
    } else if (crop.frameHeight != crop.cropHeight) {
        std::memmove(bayer, bayer + static_cast<std::size_t>(crop.top) * frameWidth,
                     cropWidth * static_cast<std::size_t>(crop.cropHeight) * 2);
    }
}
