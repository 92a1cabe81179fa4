#include "imaging/band_schedule.h"

#include <algorithm>

void BandSchedule::reset(int runs, int shares) {
    const std::lock_guard<std::mutex> guard(lock_);
    shares_ = std::clamp(shares, 0, kMostShares);
    stretches_.fill(Stretch{});
    unclaimed_ = std::max(runs, 0);
}

std::optional<BandSchedule::Claim> BandSchedule::next(int share) {
    const std::lock_guard<std::mutex> guard(lock_);
    if (share < 0 || share >= shares_) return std::nullopt;
    Stretch& own = stretches_[static_cast<std::size_t>(share)];
    if (own.next < own.end) return Claim{own.next++, true};
    if (unclaimed_ > 0) {
        own = Stretch{1, unclaimed_};
        unclaimed_ = 0;
        return Claim{0, false};
    }
    // The back half of the longest stretch left. A stretch of one run is left to its owner,
    // which is at work just before it.
    Stretch* longest = nullptr;
    for (std::int32_t k = 0; k < shares_; ++k) {
        Stretch& stretch = stretches_[static_cast<std::size_t>(k)];
        if (!longest || stretch.end - stretch.next > longest->end - longest->next) longest = &stretch;
    }
    const std::int32_t left = longest->end - longest->next;
    if (left < 2) return std::nullopt;
    const std::int32_t middle = longest->next + (left + 1) / 2;
    own = Stretch{middle + 1, longest->end};
    longest->end = middle;
    return Claim{middle, false};
}
