#include "app/demosaic_jobs.h"

#include "imaging/demosaic.h"
#include "imaging/pool_job.h"
#include "imaging/worker_pool.h"

DemosaicParameters demosaicParameters(std::int32_t debayerType) {
    if (debayerType >= 1 && debayerType <= 4) return {1, debayerType - 1};
    return {0, -1};
}

void demosaicOnPool(WorkerPool& pool, const std::uint16_t* bayer, std::uint16_t* rgb, int width, int height,
                    std::int32_t debayerType) {
    const DemosaicParameters parameters = demosaicParameters(debayerType);
    PoolJob job;
    job.kind = kJobDemosaic;
    job.source = bayer;
    job.destination = rgb;
    job.width = width;
    job.height = height;
    job.param1 = parameters.mode;
    job.param2 = parameters.level;
    runPoolJob(pool, job, demosaicItemCount(height));
    if (parameters.level >= 0) {
        job.kind = kJobVerticalFilter;
        runPoolJob(pool, job, verticalStripCount(width));
    }
}

void toYuv422OnPool(WorkerPool& pool, std::uint16_t* rgb, int width, int height) {
    PoolJob job;
    job.kind = kJobToYuv422;
    job.source = rgb;
    job.destination = rgb;
    job.width = width;
    job.height = height;
    runPoolJob(pool, job, height);
}
