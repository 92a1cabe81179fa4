#include "app/run/frame_selection.h"

#include <algorithm>

std::uint64_t framesToConvert(std::uint64_t frameCount, std::uint64_t firstFrame, std::int32_t skipFrames,
                              std::uint32_t inPoint, std::uint32_t outPoint, std::uint64_t counter) {
    if (firstFrame >= frameCount) return 0;
    const std::uint64_t step = 1 + static_cast<std::uint64_t>(std::max(skipFrames, 0));
    const std::uint64_t inClip = (frameCount - firstFrame + step - 1) / step;
    // After k frames the counter is counter + k * step; the loop ends once
    // inPoint + counter reaches outPoint, and always after the first frame.
    const std::uint64_t reached = std::uint64_t{inPoint} + counter;
    std::uint64_t byOutPoint = 1;
    if (reached < outPoint) byOutPoint = std::max<std::uint64_t>(1, (outPoint - reached + step - 1) / step);
    return std::min(inClip, byOutPoint);
}

std::uint64_t counterAfterFrames(std::uint64_t counter, std::uint64_t frames, std::int32_t skipFrames) {
    return counter + frames * (1 + static_cast<std::uint64_t>(std::max(skipFrames, 0)));
}
