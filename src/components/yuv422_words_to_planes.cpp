#include "components/yuv422_words_to_planes.h"

#include <cassert>

#include "components/picture_kernel_variants.h"
#include "components/studio_words.h"
#include "platform/cpu_features.h"

bool avx2PictureKernelsAvailable() {
    return platform::cpuSupportsAvx2();
}

void yuv422WordsRowReference(const std::uint16_t* words, int width, std::uint16_t* luma, std::uint16_t* cb,
                             std::uint16_t* cr) {
    for (int pair = 0; pair < width / 2; ++pair) {
        const std::uint16_t* group = words + 4 * pair;
        luma[2 * pair] = lumaWordTo10Bit(group[0]);
        cr[pair] = chromaWordTo10Bit(group[1]);
        luma[2 * pair + 1] = lumaWordTo10Bit(group[2]);
        cb[pair] = chromaWordTo10Bit(group[3]);
    }
}

void convertYuv422WordsToPlanes(const std::uint8_t* picture, std::size_t rowBytes, int width, int firstRow,
                                int endRow, const Yuv10Planes& planes) {
    assert(width % 2 == 0 && rowBytes >= 2 * static_cast<std::size_t>(width) && rowBytes % 2 == 0);
    const auto row = avx2PictureKernelsAvailable() ? yuv422WordsRowAvx2 : yuv422WordsRowReference;
    for (int y = firstRow; y < endRow; ++y) {
        // The caller guarantees 16-bit alignment of every row.
        const auto* words =
            reinterpret_cast<const std::uint16_t*>(picture + rowBytes * static_cast<std::size_t>(y));
        row(words, width, planes.luma + planes.lumaStride * y, planes.cb + planes.cbStride * y,
            planes.cr + planes.crStride * y);
    }
}
