#pragma once

#include <cstdint>

class BandSchedule;
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

// Starts the job that demosaics the width x height Bayer picture at bayer, whose rows are
// bayerStride samples apart (the crop of a wider frame is read where it lies), into the RGB
// frame, post-filters it both ways for the type and, when asked, converts it to 4:2:2 in
// place, and returns at once: the driver reads the next frame meanwhile and then calls
// waitForPool. The workers and the caller share the rows through the schedule. Neither
// frame nor the schedule may be touched until then.
void startBandsOnPool(WorkerPool& pool, BandSchedule& schedule, const std::uint16_t* bayer, int bayerStride,
                      std::uint16_t* rgb, int width, int height, std::int32_t debayerType, bool toYuv422);
// Returns once the job started last is complete.
void waitForPool(WorkerPool& pool);

// Converts an RGB picture to 4:2:2 in place on the pool, one row a work item.
void toYuv422OnPool(WorkerPool& pool, std::uint16_t* rgb, int width, int height);
