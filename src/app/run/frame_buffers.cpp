#include "app/run/frame_buffers.h"

#include <cstdlib>
#include <limits>

namespace {
constexpr std::size_t kAlignment = 64;
}

void SampleBuffer::Free::operator()(std::uint16_t* samples) const {
    std::free(samples);
}

bool SampleBuffer::allocate(std::size_t count) {
    release();
    if (count == 0 || count > std::numeric_limits<std::size_t>::max() / 2 - kAlignment) return false;
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t bytes = (count * 2 + kAlignment - 1) / kAlignment * kAlignment;
    auto* samples = static_cast<std::uint16_t*>(std::aligned_alloc(kAlignment, bytes));
    if (!samples) return false;
    samples_.reset(samples);
    count_ = count;
    return true;
}

void SampleBuffer::release() {
    samples_.reset();
    count_ = 0;
}
