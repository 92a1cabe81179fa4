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

// Each band demosaics the two rows on either side of it again for its vertical filter, so
// short bands repeat more work; long ones leave a thread idle at the end of the frame for
// longer. On two cores (AMD EPYC with AVX-512) 128 rows and two bands a worker ran 1920x1080
// 7% faster than 64 rows and four, and 4096x2160 3% faster; 32 and 256 rows were slower.
int bandRowsFor(int height, int workers) {
    constexpr int kLeastRows = 16;
    constexpr int kMostRows = 128;
    constexpr int kBandsPerWorker = 2;
    const int perBand = height / (std::max(workers, 1) * kBandsPerWorker);
    return std::clamp(perBand, kLeastRows, kMostRows);
}

void startBandsOnPool(WorkerPool& pool, const std::uint16_t* bayer, int bayerStride, std::uint16_t* rgb,
                      int width, int height, std::int32_t debayerType, bool toYuv422) {
    PoolJob job = demosaicJob(kJobDemosaicBand, bayer, rgb, width, height, demosaicParameters(debayerType));
    job.sourceStride = bayerStride;
    // The workers and the caller, which helps once it has read the next frame.
    job.bandRows = bandRowsFor(height, poolWorkerCount(pool) + 1);
    job.toYuv422 = toYuv422;
    setPoolJob(pool, job);
    setWorkItems(pool, demosaicBandCount(height, job.bandRows));
    startJob(pool, kCommandRunJob);
}

void waitForPool(WorkerPool& pool) {
    helpWithJob(pool);
    waitJob(pool);
}

void toYuv422OnPool(WorkerPool& pool, std::uint16_t* rgb, int width, int height) {
    runPoolJob(pool, demosaicJob(kJobToYuv422, rgb, rgb, width, height, DemosaicParameters{0, 0}), height);
}
