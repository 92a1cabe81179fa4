#include "files/dpx_pixel_packing.h"

void packRgbRowTo10Bit(const std::uint16_t* rgb, std::uint32_t width, std::uint8_t* packed) {
    for (std::uint32_t pixel = 0; pixel < width; ++pixel, rgb += 3, packed += 4) {
        const std::uint32_t word = std::uint32_t{rgb[0]} >> 6 << 22 | std::uint32_t{rgb[1]} >> 6 << 12 |
                                   std::uint32_t{rgb[2]} >> 6 << 2;
        packed[0] = static_cast<std::uint8_t>(word >> 24);
        packed[1] = static_cast<std::uint8_t>(word >> 16);
        packed[2] = static_cast<std::uint8_t>(word >> 8);
        packed[3] = static_cast<std::uint8_t>(word);
    }
}
