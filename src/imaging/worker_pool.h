#pragma once

#include <array>
#include <cstdint>
#include <mutex>

#include "imaging/pool_job.h"
#include "platform/event.h"
#include "platform/thread.h"

inline constexpr int kMaxPoolWorkers = 32;

// Results of the pool calls.
inline constexpr int kPoolOk = 0;
inline constexpr int kPoolNoPlace = 3;  // nextWorkItem was given nowhere to put the item
inline constexpr int kPoolNoItem = 7;   // every item of the job has been handed out

// Worker commands.
inline constexpr std::int32_t kCommandNone = 0;
inline constexpr std::int32_t kCommandRunJob = 1;
inline constexpr std::int32_t kCommandExit = 2;

// Done instead of runWorkItem when set: lets a caller see which items ran where.
using WorkItemHook = void (*)(const PoolJob& job, int item, void* context);

// A fixed set of worker threads that run one job at a time, pulling its items
// from a shared counter. Slots 0 .. threadCount - 1 are all live workers:
// a thread that could not be made is not counted, so waitJob only waits for
// workers that will answer.
struct WorkerPool {
    WorkerPool() = default;
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    std::array<platform::Thread, kMaxPoolWorkers> threads;
    std::array<platform::Event, kMaxPoolWorkers> startEvents;
    std::array<platform::Event, kMaxPoolWorkers> doneEvents;
    std::mutex poolLock;  // everything here except the job record and the hook
    std::int32_t threadCount = 0;
    std::int32_t nextThreadIndex = 0;
    std::array<std::int32_t, kMaxPoolWorkers> commands{};
    std::int32_t remainingItems = 0;
    std::int32_t nextItem = 0;

    std::mutex jobLock;  // the job record and the hook; never held with the pool lock
    PoolJob job;
    WorkItemHook itemHook = nullptr;
    void* itemHookContext = nullptr;
};

// Starts min(requested, 32) workers. With none at all (requested below 1, or
// no thread could be made) the pool still runs jobs: startJob then does the
// items on the calling thread. Returns kPoolOk.
int createPool(WorkerPool& pool, int requested);

// Sets the number of items of the next job, numbered 0 .. items - 1.
int setWorkItems(WorkerPool& pool, int items);

// Sends a command to every worker; kCommandRunJob starts the job in the job record.
int startJob(WorkerPool& pool, std::int32_t command);

// Runs items of the job started last on the calling thread until none is left
// to hand out, beside the workers; waitJob must still follow.
int helpWithJob(WorkerPool& pool);

// Blocks until every worker has run out of items of the job started last.
int waitJob(WorkerPool& pool);

// Hands out the next item: kPoolOk with *item set, kPoolNoItem when none is
// left, kPoolNoPlace when item is null.
int nextWorkItem(WorkerPool& pool, int* item, int workerIndex);

// Stops and joins every worker; a join that fails is counted in failedWaits,
// when given, and destruction goes on. Returns kPoolOk.
int destroyPool(WorkerPool& pool, int* failedWaits = nullptr);

// The body of every worker thread; returns when told to exit.
int workerMain(WorkerPool& pool);

// Writes the job record under the job lock. Only while the pool is idle.
void setPoolJob(WorkerPool& pool, const PoolJob& job);

// Makes every item run hook(job, item, context) instead of its kernel; null
// restores the kernels. Only while the pool is idle.
void setWorkItemHook(WorkerPool& pool, WorkItemHook hook, void* context);

// The number of live workers; 0 when the caller runs the jobs itself.
int poolWorkerCount(WorkerPool& pool);

// One whole job: record, item count, start, items on the calling thread too, wait.
void runPoolJob(WorkerPool& pool, const PoolJob& job, int items);
