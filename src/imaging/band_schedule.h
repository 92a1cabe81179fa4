#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>

// Hands out the rows of one frame to the threads that demosaic it, a run of rows at a time.
// Each thread owns a stretch of runs and takes them in order, so that the rows its ring of
// demosaiced rows already holds serve the next run too; a thread whose stretch is used up
// takes the back half of the longest stretch left. So the threads end together, within a
// run, and the rows demosaiced twice (the two on either side of where a stretch begins)
// are few. Runs, stretches and the thread taking part are numbered from 0.
class BandSchedule {
public:
    static constexpr int kMostShares = 64;

    // Starts a frame of runs runs (none when not positive) for up to shares threads (at
    // most kMostShares). The first thread to ask takes all of them; the others split what
    // is left.
    void reset(int runs, int shares);

    struct Claim {
        int run = 0;
        bool follows = false;  // the run right after the one this share took last
    };
    // The next run for share: its own next one, or the first of a stretch taken over.
    // Empty when nothing is left to hand out (or share is out of range).
    std::optional<Claim> next(int share);

private:
    struct Stretch {
        std::int32_t next = 0;
        std::int32_t end = 0;  // one past the last run
    };
    std::mutex lock_;
    std::array<Stretch, kMostShares> stretches_{};
    std::int32_t shares_ = 0;
    std::int32_t unclaimed_ = 0;  // runs 0 .. unclaimed_ - 1 are nobody's yet
};
