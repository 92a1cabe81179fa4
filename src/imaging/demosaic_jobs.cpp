#include "imaging/demosaic_jobs.h"

#include <algorithm>

#include "imaging/demosaic.h"
#include "imaging/demosaic_band.h"
#include "imaging/pool_job.h"
#include "imaging/worker_pool.h"

DemosaicParameters demosaicParameters(std::int32_t debayerType) {
    if (debayerType >= 1 && debayerType <= 4) return {1, debayerType - 1};
    return {0, -1};
}

namespace {

// A demosaic job of the given kind from a Bayer frame into an RGB picture.
PoolJob demosaicJob(std::int32_t kind, const std::uint16_t* bayer, std::uint16_t* rgb, int width, int height,
                    const DemosaicParameters& parameters) {
    return PoolJob{.kind = kind,
                   .source = bayer,
                   .destination = rgb,
                   .width = width,
                   .height = height,
                   .param1 = parameters.mode,
                   .param2 = parameters.level};
}

}  // namespace

void demosaicOnPool(WorkerPool& pool, const std::uint16_t* bayer, std::uint16_t* rgb, int width, int height,
                    std::int32_t debayerType) {
    const DemosaicParameters parameters = demosaicParameters(debayerType);
    PoolJob job = demosaicJob(kJobDemosaic, bayer, rgb, width, height, parameters);
    runPoolJob(pool, job, demosaicItemCount(height));
    if (parameters.level >= 0) {
        job.kind = kJobVerticalFilter;
        runPoolJob(pool, job, verticalStripCount(width));
    }
}

// Rows a thread takes from the schedule at a time. A run that follows the thread's last one
// demosaics no row twice, so runs can be short; the threads then end within a run of each
// other, and each claim costs a lock.
constexpr int kRunRows = 8;

void startBandsOnPool(WorkerPool& pool, BandSchedule& schedule, const std::uint16_t* bayer, int bayerStride,
                      std::uint16_t* rgb, int width, int height, std::int32_t debayerType, bool toYuv422) {
    PoolJob job = demosaicJob(kJobDemosaicShare, bayer, rgb, width, height, demosaicParameters(debayerType));
    job.sourceStride = bayerStride;
    job.bandRows = kRunRows;
    job.toYuv422 = toYuv422;
    job.schedule = &schedule;
    // A share for every worker and one for the caller, which helps once it has read the next frame.
    const int shares = std::min(poolWorkerCount(pool) + 1, BandSchedule::kMostShares);
    schedule.reset(demosaicBandCount(height, kRunRows), shares);
    setPoolJob(pool, job);
    setWorkItems(pool, shares);
    startJob(pool, kCommandRunJob);
}

void waitForPool(WorkerPool& pool) {
    helpWithJob(pool);
    waitJob(pool);
}

void toYuv422OnPool(WorkerPool& pool, std::uint16_t* rgb, int width, int height) {
    runPoolJob(pool, demosaicJob(kJobToYuv422, rgb, rgb, width, height, DemosaicParameters{0, 0}), height);
}
