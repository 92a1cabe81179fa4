#include "imaging/pool_job.h"

#include "imaging/demosaic.h"
#include "imaging/demosaic_band.h"
#include "imaging/yuv422.h"

void runWorkItem(const PoolJob& job, int item) {
    switch (job.kind) {
        case kJobDemosaic:
            if (job.source && job.destination)
                demosaicRowPair(job.source, job.width, job.height, 2 * item, job.destination, job.param1,
                                job.param2);
            break;
        case kJobVerticalFilter:
            if (job.destination)
                verticalFilterStrip(job.destination, job.width, job.height, item, job.param2);
            break;
        case kJobToYuv422:
            if (job.destination && job.width >= 1) toYuv422Row(job.destination, job.width, item);
            break;
        case kJobDemosaicShare:
            if (job.source && job.destination && job.schedule)
                demosaicShare(*job.schedule, item, job.source,
                              static_cast<std::size_t>(job.sourceStride > 0 ? job.sourceStride : job.width),
                              job.width, job.height, job.bandRows, job.destination, job.param1, job.param2,
                              job.toYuv422);
            break;
        default:
            break;
    }
}
