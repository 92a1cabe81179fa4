#pragma once

#include <cstdint>

enum JobKind : std::int32_t { kJobDemosaic = 0, kJobVerticalFilter = 1, kJobToYuv422 = 2 };

// The one job all pool workers run: its kind, frames, size and parameters.
struct PoolJob {
    std::int32_t kind = kJobDemosaic;
    const std::uint16_t* source = nullptr;  // the Bayer frame (demosaic)
    std::uint16_t* destination = nullptr;   // the RGB frame; converted in place for 4:2:2
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t param1 = 0;  // demosaic mode
    std::int32_t param2 = -1;  // post-filter level, -1 for none
};

// Does work item n of the job: a row pair, a 16-column strip or a row.
void runWorkItem(const PoolJob& job, int item);
