#pragma once

#include <cstdint>

enum JobKind : std::int32_t {
    kJobDemosaic = 0,
    kJobVerticalFilter = 1,
    kJobToYuv422 = 2,
    // The three above in one, in runs of bandRows rows handed out by the schedule: item n is
    // thread n's share (demosaic_band.h).
    kJobDemosaicShare = 3,
};

class BandSchedule;

// The one job all pool workers run: its kind, frames, size and parameters.
struct PoolJob {
    std::int32_t kind = kJobDemosaic;
    const std::uint16_t* source = nullptr;  // the Bayer frame (demosaic)
    std::uint16_t* destination = nullptr;   // the RGB frame; converted in place for 4:2:2
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t param1 = 0;           // demosaic mode
    std::int32_t param2 = -1;          // post-filter level, -1 for none
    std::int32_t sourceStride = 0;     // samples between Bayer rows of a share; 0: the width
    std::int32_t bandRows = 0;         // rows of one run of a share
    bool toYuv422 = false;             // a share also converts its rows to 4:2:2
    BandSchedule* schedule = nullptr;  // hands out the runs of a share job
};

// Does work item n of the job: a row pair, a 16-column strip, a row or a share.
void runWorkItem(const PoolJob& job, int item);
