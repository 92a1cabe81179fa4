#include "imaging/worker_pool.h"

#include <algorithm>
#include <cassert>
#include <cstddef>

namespace {

// 2 MiB per worker. The pixel kernels may keep row buffers on the stack (a
// 4096-pixel RGB row is 24 KiB, and a filter window needs several), and
// sanitizer builds grow every frame a lot; 128 KiB leaves no room for either.
// The memory is only reserved; pages are used when touched.
constexpr std::size_t kWorkerStackBytes = 2u * 1024u * 1024u;

void runWorker(void* pool) {
    workerMain(*static_cast<WorkerPool*>(pool));
}

struct JobCopy {
    PoolJob job;
    WorkItemHook hook = nullptr;
    void* hookContext = nullptr;
};

JobCopy copyJob(WorkerPool& pool) {
    const std::lock_guard<std::mutex> lock(pool.jobLock);
    return JobCopy{pool.job, pool.itemHook, pool.itemHookContext};
}

void runItems(WorkerPool& pool, const JobCopy& copy, int workerIndex) {
    int item = 0;
    while (nextWorkItem(pool, &item, workerIndex) == kPoolOk) {
        if (copy.hook)
            copy.hook(copy.job, item, copy.hookContext);
        else
            runWorkItem(copy.job, item);
    }
}

}  // namespace

WorkerPool::~WorkerPool() {
    destroyPool(*this);
}

int createPool(WorkerPool& pool, int requested) {
    destroyPool(pool);
    const int count = std::clamp(requested, 0, kMaxPoolWorkers);
    // Held until every slot is filled: a new worker takes its index under this
    // lock, so none starts before the pool is complete.
    const std::lock_guard<std::mutex> lock(pool.poolLock);
    pool.threadCount = 0;
    pool.nextThreadIndex = 0;
    pool.remainingItems = 0;
    pool.nextItem = 0;
    for (int k = 0; k < count; ++k) {
        const auto slot = static_cast<std::size_t>(pool.threadCount);
        pool.commands[slot] = kCommandNone;
        pool.startEvents[slot].reset();
        pool.doneEvents[slot].reset();
        if (pool.threads[slot].start(runWorker, &pool, kWorkerStackBytes)) ++pool.threadCount;
    }
    return kPoolOk;
}

int setWorkItems(WorkerPool& pool, int items) {
    const std::lock_guard<std::mutex> lock(pool.poolLock);
    pool.remainingItems = items;
    pool.nextItem = 0;
    return kPoolOk;
}

int startJob(WorkerPool& pool, std::int32_t command) {
    bool runOnCaller = false;
    {
        const std::lock_guard<std::mutex> lock(pool.poolLock);
        runOnCaller = pool.threadCount == 0 && command == kCommandRunJob;
        for (std::size_t k = 0; k < static_cast<std::size_t>(pool.threadCount); ++k)
            pool.commands[k] = command;
        // Done events are reset before any worker starts, so a signal left
        // from the last job cannot end the wait for this one.
        for (std::size_t k = 0; k < static_cast<std::size_t>(pool.threadCount); ++k) {
            if (command == kCommandRunJob) pool.doneEvents[k].reset();
            pool.startEvents[k].set();
        }
    }
    if (runOnCaller) runItems(pool, copyJob(pool), 0);
    return kPoolOk;
}

int helpWithJob(WorkerPool& pool) {
    runItems(pool, copyJob(pool), kMaxPoolWorkers);
    return kPoolOk;
}

int waitJob(WorkerPool& pool) {
    std::int32_t count = 0;
    {
        const std::lock_guard<std::mutex> lock(pool.poolLock);
        count = pool.threadCount;
    }
    for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k) pool.doneEvents[k].wait();
    return kPoolOk;
}

int nextWorkItem(WorkerPool& pool, int* item, [[maybe_unused]] int workerIndex) {
    if (item == nullptr) return kPoolNoPlace;
    const std::lock_guard<std::mutex> lock(pool.poolLock);
    if (pool.remainingItems <= 0) return kPoolNoItem;
    --pool.remainingItems;
    *item = pool.nextItem++;
    return kPoolOk;
}

int destroyPool(WorkerPool& pool, int* failedWaits) {
    if (failedWaits != nullptr) *failedWaits = 0;
    std::int32_t count = 0;
    {
        const std::lock_guard<std::mutex> lock(pool.poolLock);
        count = pool.threadCount;
        for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k) {
            pool.commands[k] = kCommandExit;
            pool.startEvents[k].set();
        }
    }
    for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k) {
        if (!pool.threads[k].join() && failedWaits != nullptr) ++*failedWaits;
    }
    const std::lock_guard<std::mutex> lock(pool.poolLock);
    for (std::size_t k = 0; k < static_cast<std::size_t>(kMaxPoolWorkers); ++k) {
        pool.commands[k] = kCommandNone;
        pool.startEvents[k].reset();
        pool.doneEvents[k].reset();
    }
    pool.threadCount = 0;
    pool.nextThreadIndex = 0;
    pool.remainingItems = 0;
    pool.nextItem = 0;
    return kPoolOk;
}

int workerMain(WorkerPool& pool) {
    std::size_t index = 0;
    {
        const std::lock_guard<std::mutex> lock(pool.poolLock);
        index = static_cast<std::size_t>(pool.nextThreadIndex++);
    }
    assert(index < static_cast<std::size_t>(kMaxPoolWorkers));
    for (;;) {
        pool.startEvents[index].wait();
        std::int32_t command = kCommandNone;
        {
            const std::lock_guard<std::mutex> lock(pool.poolLock);
            command = pool.commands[index];
            pool.commands[index] = kCommandNone;
            pool.startEvents[index].reset();
        }
        if (command != kCommandRunJob) return 0;
        runItems(pool, copyJob(pool), static_cast<int>(index));
        const std::lock_guard<std::mutex> lock(pool.poolLock);
        pool.commands[index] = kCommandNone;
        pool.startEvents[index].reset();
        pool.doneEvents[index].reset();
        pool.doneEvents[index].set();
    }
}

void setPoolJob(WorkerPool& pool, const PoolJob& job) {
    const std::lock_guard<std::mutex> lock(pool.jobLock);
    pool.job = job;
}

void setWorkItemHook(WorkerPool& pool, WorkItemHook hook, void* context) {
    const std::lock_guard<std::mutex> lock(pool.jobLock);
    pool.itemHook = hook;
    pool.itemHookContext = context;
}

int poolWorkerCount(WorkerPool& pool) {
    const std::lock_guard<std::mutex> lock(pool.poolLock);
    return pool.threadCount;
}

void runPoolJob(WorkerPool& pool, const PoolJob& job, int items) {
    setPoolJob(pool, job);
    setWorkItems(pool, items);
    startJob(pool, kCommandRunJob);
    helpWithJob(pool);
    waitJob(pool);
}
