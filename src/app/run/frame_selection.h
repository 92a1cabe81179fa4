#pragma once

#include <cstdint>

// Which frames of a clip the frame loop takes, as the in point, the out
// point and -s decide: it starts at frame firstFrame, skips skipFrames
// frames after each one it takes, and stops at the clip's end or once
// inPoint + the run's frame counter reaches outPoint, always after at least
// one frame. The counter adds 1 + skipFrames (negative counts as 0) for
// every frame taken, and runs on from clip to clip where the output keeps
// it.

// How many frames the loop takes from a clip of frameCount frames when the
// run's counter is `counter` as it starts.
std::uint64_t framesToConvert(std::uint64_t frameCount, std::uint64_t firstFrame, std::int32_t skipFrames,
                              std::uint32_t inPoint, std::uint32_t outPoint, std::uint64_t counter);

// The counter after `frames` frames were taken, from `counter`.
std::uint64_t counterAfterFrames(std::uint64_t counter, std::uint64_t frames, std::int32_t skipFrames);
