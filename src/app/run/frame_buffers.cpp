#include "app/run/frame_buffers.h"

#include <cstdlib>
#include <limits>

#include "platform/memory_advice.h"

namespace {
constexpr std::size_t kAlignment = 64;
}

void SampleBuffer::Free::operator()(std::uint16_t* samples) const {
    std::free(samples);
}

bool SampleBuffer::allocate(std::size_t count) {
    release();
    if (count == 0 || count > std::numeric_limits<std::size_t>::max() / 2 - platform::kHugePageBytes) return false;
    // Frames of a few megabytes and up start on a huge page and are backed
    // by huge pages where the system allows: the passes over them then fault
    // and translate addresses 512 times less often.
    const bool large = count * 2 >= platform::kHugePageBytes;
    const std::size_t alignment = large ? platform::kHugePageBytes : kAlignment;
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t bytes = (count * 2 + alignment - 1) / alignment * alignment;
    auto* samples = static_cast<std::uint16_t*>(std::aligned_alloc(alignment, bytes));
    if (!samples) return false;
    if (large) platform::adviseHugePages(samples, bytes);
    samples_.reset(samples);
    count_ = count;
    return true;
}

void SampleBuffer::release() {
    samples_.reset();
    count_ = 0;
}
