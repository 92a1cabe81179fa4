#include "imaging/band_schedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

namespace {

void expectClaim(BandSchedule& schedule, int share, int run, bool follows) {
    const auto claim = schedule.next(share);
    ASSERT_TRUE(claim.has_value()) << "share " << share << " expected run " << run;
    EXPECT_EQ(run, claim->run) << "share " << share;
    EXPECT_EQ(follows, claim->follows) << "share " << share << " run " << run;
}

}  // namespace

// The first share takes every run; a later one takes the back half of what is left, and
// each goes on in order from where it is. A stretch of one run stays with its owner.
TEST(BandSchedule, SplitsTheLongestStretchInHalves) {
    BandSchedule schedule;
    schedule.reset(10, 3);
    expectClaim(schedule, 0, 0, false);
    expectClaim(schedule, 0, 1, true);
    expectClaim(schedule, 1, 6, false);  // share 0 keeps 2 .. 5
    expectClaim(schedule, 2, 4, false);  // the longest is share 0's 2 .. 5 again
    expectClaim(schedule, 1, 7, true);
    expectClaim(schedule, 0, 2, true);
    expectClaim(schedule, 2, 5, true);
    expectClaim(schedule, 2, 9, false);  // share 1's 8 .. 9, the only stretch of two
    // Shares 0 and 1 have one run each left: nobody else takes it.
    EXPECT_FALSE(schedule.next(2).has_value());
    expectClaim(schedule, 1, 8, true);
    expectClaim(schedule, 0, 3, true);
    EXPECT_FALSE(schedule.next(0).has_value());
    EXPECT_FALSE(schedule.next(1).has_value());

    schedule.reset(0, 2);
    EXPECT_FALSE(schedule.next(0).has_value());
    schedule.reset(4, 2);
    EXPECT_FALSE(schedule.next(2).has_value());
    EXPECT_FALSE(schedule.next(-1).has_value());
    schedule.reset(4, BandSchedule::kMostShares + 10);
    expectClaim(schedule, BandSchedule::kMostShares - 1, 0, false);
    EXPECT_FALSE(schedule.next(BandSchedule::kMostShares).has_value());
}

// Threads asking at once get every run exactly once, and a run said to follow is the one
// after that thread's last.
TEST(BandSchedule, EveryRunOnceAcrossThreads) {
    constexpr int kShares = 4;
    constexpr int kRuns = 5000;
    BandSchedule schedule;
    for (int frame = 0; frame < 20; ++frame) {
        schedule.reset(kRuns, kShares);
        std::mutex lock;
        std::vector<int> runs;
        int badFollows = 0;
        std::vector<std::thread> threads;
        for (int share = 0; share < kShares; ++share)
            threads.emplace_back([&, share] {
                std::vector<int> mine;
                int wrong = 0;
                while (const auto claim = schedule.next(share)) {
                    if (claim->follows && (mine.empty() || claim->run != mine.back() + 1)) ++wrong;
                    mine.push_back(claim->run);
                }
                const std::lock_guard<std::mutex> guard(lock);
                runs.insert(runs.end(), mine.begin(), mine.end());
                badFollows += wrong;
            });
        for (std::thread& thread : threads) thread.join();
        std::sort(runs.begin(), runs.end());
        std::vector<int> every(kRuns);
        std::iota(every.begin(), every.end(), 0);
        ASSERT_EQ(every, runs) << "frame " << frame;
        EXPECT_EQ(0, badFollows) << "frame " << frame;
    }
}
