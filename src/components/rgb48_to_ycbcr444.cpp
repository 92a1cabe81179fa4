#include "components/rgb48_to_ycbcr444.h"

#include <cassert>

#include "components/picture_kernel_variants.h"
#include "components/ycbcr709.h"

void rgb48RowReference(const std::uint16_t* rgb, int width, std::uint16_t* luma, std::uint16_t* cb,
                       std::uint16_t* cr) {
    for (int x = 0; x < width; ++x) ycbcr709::convertPixel(rgb + 3 * x, luma[x], cb[x], cr[x]);
}

void convertRgb48ToYcbcr444(const std::uint8_t* picture, std::size_t rowBytes, int width, int firstRow,
                            int endRow, const Yuv10Planes& planes) {
    assert(rowBytes >= 6 * static_cast<std::size_t>(width) && rowBytes % 2 == 0);
    const auto row = avx2PictureKernelsAvailable() ? rgb48RowAvx2 : rgb48RowReference;
    for (int y = firstRow; y < endRow; ++y) {
        // The caller guarantees 16-bit alignment of every row.
        const auto* rgb =
            reinterpret_cast<const std::uint16_t*>(picture + rowBytes * static_cast<std::size_t>(y));
        row(rgb, width, planes.luma + planes.lumaStride * y, planes.cb + planes.cbStride * y,
            planes.cr + planes.crStride * y);
    }
}
