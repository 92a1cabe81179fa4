#pragma once

#include <cstdint>

struct WorkerPool;

// The demosaic mode and post-filter level of a debayer type: types 1 to 4
// are the adaptive interpolation with post-filter levels 0 (a mild blur) to 3
// (the strongest sharpening); every other type is plain averaging with no
// post-filter (level -1).
struct DemosaicParameters {
    int mode = 0;
    int level = -1;
};
DemosaicParameters demosaicParameters(std::int32_t debayerType);

// Demosaics a cropped Bayer frame into the RGB frame on the pool, then runs
// the vertical post-filter when the type has one.
void demosaicOnPool(WorkerPool& pool, const std::uint16_t* bayer, std::uint16_t* rgb, int width, int height,
                    std::int32_t debayerType);

// Converts an RGB picture to 4:2:2 in place on the pool, one row a work item.
void toYuv422OnPool(WorkerPool& pool, std::uint16_t* rgb, int width, int height);
