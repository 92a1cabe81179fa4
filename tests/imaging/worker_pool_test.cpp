#include "imaging/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "platform/sleep.h"

namespace {

// Counts how often every item ran and on which threads.
struct ItemLog {
    explicit ItemLog(int items) : runs(static_cast<std::size_t>(items)) {}
    std::vector<std::atomic<int>> runs;
    std::atomic<int> total{0};
    std::atomic<int> sleepMilliseconds{0};
    std::mutex threadsLock;
    std::set<std::thread::id> threads;
};

void logItem(const PoolJob&, int item, void* context) {
    auto& log = *static_cast<ItemLog*>(context);
    if (log.sleepMilliseconds > 0) platform::sleepMilliseconds(log.sleepMilliseconds);
    log.runs[static_cast<std::size_t>(item)].fetch_add(1);
    log.total.fetch_add(1);
    const std::lock_guard<std::mutex> lock(log.threadsLock);
    log.threads.insert(std::this_thread::get_id());
}

void expectEveryItemOnce(const ItemLog& log) {
    for (std::size_t item = 0; item < log.runs.size(); ++item) EXPECT_EQ(1, log.runs[item].load()) << item;
}

}  // namespace

TEST(WorkerPool, HandsOutEveryItemExactlyOnceAcrossWorkers) {
    WorkerPool pool;
    createPool(pool, 4);
    EXPECT_EQ(4, pool.threadCount);
    ItemLog log(2000);
    setWorkItemHook(pool, logItem, &log);
    runPoolJob(pool, PoolJob{}, 2000);
    EXPECT_EQ(2000, log.total.load());
    expectEveryItemOnce(log);
    destroyPool(pool);
}

TEST(WorkerPool, JobWithNoItemsCompletes) {
    WorkerPool pool;
    createPool(pool, 3);
    ItemLog log(1);
    setWorkItemHook(pool, logItem, &log);
    runPoolJob(pool, PoolJob{}, 0);
    EXPECT_EQ(0, log.total.load());
    runPoolJob(pool, PoolJob{}, -5);
    EXPECT_EQ(0, log.total.load());
}

TEST(WorkerPool, SurplusWorkersFindNoItemAndSignalDone) {
    WorkerPool pool;
    createPool(pool, 8);
    ItemLog log(3);
    setWorkItemHook(pool, logItem, &log);
    runPoolJob(pool, PoolJob{}, 3);
    expectEveryItemOnce(log);
    EXPECT_LE(log.threads.size(), 3u);
}

TEST(WorkerPool, SecondWaitWaitsForTheSecondJob) {
    WorkerPool pool;
    createPool(pool, 2);
    ItemLog first(10);
    setWorkItemHook(pool, logItem, &first);
    runPoolJob(pool, PoolJob{}, 10);
    expectEveryItemOnce(first);

    // Slow items: a done signal left from the first job would end this wait early.
    ItemLog second(6);
    second.sleepMilliseconds = 20;
    setWorkItemHook(pool, logItem, &second);
    runPoolJob(pool, PoolJob{}, 6);
    EXPECT_EQ(6, second.total.load());
    expectEveryItemOnce(second);
    EXPECT_EQ(10, first.total.load());
}

TEST(WorkerPool, WorkersSeeTheJobRecordOfTheirJob) {
    struct Seen {
        std::atomic<int> matching{0};
    } seen;
    WorkerPool pool;
    createPool(pool, 2);
    setWorkItemHook(
        pool,
        [](const PoolJob& job, int, void* context) {
            if (job.kind == kJobToYuv422 && job.width == 640 && job.height == 48 && job.param1 == 3 &&
                job.param2 == 2)
                static_cast<Seen*>(context)->matching.fetch_add(1);
        },
        &seen);
    PoolJob job;
    job.kind = kJobToYuv422;
    job.width = 640;
    job.height = 48;
    job.param1 = 3;
    job.param2 = 2;
    runPoolJob(pool, job, 48);
    EXPECT_EQ(48, seen.matching.load());
}

TEST(WorkerPool, DestroyWhileIdleStopsEveryWorkerAndThePoolCanBeMadeAgain) {
    WorkerPool pool;
    createPool(pool, 4);
    EXPECT_EQ(kPoolOk, destroyPool(pool));
    EXPECT_EQ(0, pool.threadCount);
    EXPECT_EQ(0, pool.nextThreadIndex);
    for (const auto& thread : pool.threads) EXPECT_FALSE(thread.running());
    EXPECT_EQ(kPoolOk, destroyPool(pool));

    createPool(pool, 2);
    ItemLog log(5);
    setWorkItemHook(pool, logItem, &log);
    runPoolJob(pool, PoolJob{}, 5);
    expectEveryItemOnce(log);
}

TEST(WorkerPool, CapsTheWorkersAt32) {
    WorkerPool pool;
    createPool(pool, 100);
    EXPECT_EQ(32, pool.threadCount);
    ItemLog log(100);
    setWorkItemHook(pool, logItem, &log);
    runPoolJob(pool, PoolJob{}, 100);
    expectEveryItemOnce(log);
}

// The caller takes items beside the worker: slow items, so both get some.
TEST(WorkerPool, TheCallerHelpsItsWorkers) {
    WorkerPool pool;
    createPool(pool, 1);
    ItemLog log(16);
    log.sleepMilliseconds = 10;
    setWorkItemHook(pool, logItem, &log);
    runPoolJob(pool, PoolJob{}, 16);
    expectEveryItemOnce(log);
    EXPECT_EQ(2u, log.threads.size());
    EXPECT_EQ(1u, log.threads.count(std::this_thread::get_id()));
}

TEST(WorkerPool, WithoutWorkersTheCallerRunsTheJob) {
    WorkerPool pool;
    createPool(pool, 0);
    EXPECT_EQ(0, pool.threadCount);
    ItemLog log(9);
    setWorkItemHook(pool, logItem, &log);
    runPoolJob(pool, PoolJob{}, 9);
    expectEveryItemOnce(log);
    ASSERT_EQ(1u, log.threads.size());
    EXPECT_EQ(std::this_thread::get_id(), *log.threads.begin());
}

TEST(WorkerPool, NextWorkItemHandsOutItemsInOrderThenRunsOut) {
    WorkerPool pool;
    createPool(pool, 0);
    int item = -1;
    EXPECT_EQ(kPoolNoPlace, nextWorkItem(pool, nullptr, 0));
    EXPECT_EQ(kPoolNoItem, nextWorkItem(pool, &item, 0));
    setWorkItems(pool, 3);
    EXPECT_EQ(kPoolNoPlace, nextWorkItem(pool, nullptr, 0));
    for (int expected = 0; expected < 3; ++expected) {
        EXPECT_EQ(kPoolOk, nextWorkItem(pool, &item, 1));
        EXPECT_EQ(expected, item);
    }
    item = -1;
    EXPECT_EQ(kPoolNoItem, nextWorkItem(pool, &item, 0));
    EXPECT_EQ(-1, item);
}

TEST(WorkerPool, RunsTheKernelsWhenNoHookIsSet) {
    // The 4:2:2 kernel on a frame of width 0 does nothing; the job must still end.
    WorkerPool pool;
    createPool(pool, 2);
    std::vector<std::uint16_t> frame(6 * 4, 0);
    PoolJob job;
    job.kind = kJobToYuv422;
    job.destination = frame.data();
    job.width = 0;
    job.height = 4;
    runPoolJob(pool, job, 4);
    EXPECT_EQ(std::vector<std::uint16_t>(6 * 4, 0), frame);
}

// The caller that helps takes items beside the workers; every item still runs once, and the
// wait after it returns only when the workers' items are done too.
TEST(WorkerPool, CallerThatHelpsSharesTheItemsAndTheWaitStillCovers) {
    WorkerPool pool;
    createPool(pool, 2);
    ItemLog log(200);
    log.sleepMilliseconds = 1;
    setWorkItemHook(pool, logItem, &log);
    setPoolJob(pool, PoolJob{});
    setWorkItems(pool, 200);
    startJob(pool, kCommandRunJob);
    helpWithJob(pool);
    waitJob(pool);
    EXPECT_EQ(200, log.total.load());
    expectEveryItemOnce(log);
    EXPECT_TRUE(log.threads.count(std::this_thread::get_id())) << "the caller took no item";
    EXPECT_LE(log.threads.size(), 3u);

    // With every item handed out already, helping does nothing.
    helpWithJob(pool);
    EXPECT_EQ(200, log.total.load());
    destroyPool(pool);
}
