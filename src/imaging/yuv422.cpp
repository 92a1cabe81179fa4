#include "imaging/yuv422.h"

#include <cstddef>

#include "imaging/kernel_variants.h"
#include "imaging/yuv422_pair.h"

void toYuv422RowReference(std::uint16_t* rgb, int width, int row) {
    if (width < 2 || row < 0) return;
    std::uint16_t* line = rgb + 3 * static_cast<std::size_t>(width) * static_cast<std::size_t>(row);
    // Pair i reads words 6i .. 6i + 5 and writes 4i .. 4i + 3: never ahead of what is still unread.
    for (int pair = 0; pair < width / 2; ++pair) convertYuv422Pair(line + 6 * pair, line + 4 * pair);
}

void toYuv422Row(std::uint16_t* rgb, int width, int row) {
    if (avx2KernelsAvailable())
        toYuv422RowAvx2(rgb, width, row);
    else
        toYuv422RowReference(rgb, width, row);
}
