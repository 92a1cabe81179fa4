#include "components/bayer_quadrants.h"

QuadrantSplit splitQuadrants(int width, int height) {
    return {(width + 1) / 2, width / 2, (height + 1) / 2, height / 2};
}

void bayerRowToQuadrantRow(const std::uint16_t* bayerRow, int width, std::uint16_t* quadrantRow) {
    const int leftWidth = (width + 1) / 2;
    for (int x = 0; x < leftWidth; ++x) quadrantRow[x] = bayerRow[2 * x];
    for (int x = 0; x < width / 2; ++x) quadrantRow[leftWidth + x] = bayerRow[2 * x + 1];
}

void bayerToQuadrants(const std::uint16_t* bayer, int width, int height, std::uint16_t* quadrants) {
    const auto stride = static_cast<std::size_t>(width);
    for (int y = 0; y < height; ++y)
        bayerRowToQuadrantRow(bayer + static_cast<std::size_t>(quadrantSourceRow(y, height)) * stride, width,
                              quadrants + static_cast<std::size_t>(y) * stride);
}

void quadrantsToBayer(const std::uint16_t* quadrants, int width, int height, std::uint16_t* bayer) {
    const auto stride = static_cast<std::size_t>(width);
    const int leftWidth = (width + 1) / 2;
    for (int y = 0; y < height; ++y) {
        const std::uint16_t* quadrantRow = quadrants + static_cast<std::size_t>(y) * stride;
        std::uint16_t* bayerRow = bayer + static_cast<std::size_t>(quadrantSourceRow(y, height)) * stride;
        for (int x = 0; x < leftWidth; ++x) bayerRow[2 * x] = quadrantRow[x];
        for (int x = 0; x < width / 2; ++x) bayerRow[2 * x + 1] = quadrantRow[leftWidth + x];
    }
}
