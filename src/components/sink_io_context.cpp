#include "components/sink_io_context.h"

#include <cerrno>
#include <cstdio>
#include <limits>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace {

// Large enough that a compressed frame reaches the sink in a few writes.
constexpr int kBufferBytes = 1 << 20;
constexpr std::int64_t kLargestErrno = 4095;

// The errno for a write that failed: the sink's own, ENOSPC when it took
// nothing (as good as full), EIO when its answer makes no sense.
int sinkErrorFor(std::int64_t taken) {
    if (taken == 0) return ENOSPC;
    if (taken < 0 && taken >= -kLargestErrno) return static_cast<int>(-taken);
    return EIO;
}

}  // namespace

SinkIoContext::SinkIoContext(IByteSink& sink) : sink_(sink) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
    if (buffer == nullptr) return;
    context_ = avio_alloc_context(buffer, kBufferBytes, 1, this, nullptr, &SinkIoContext::writePacket,
                                  &SinkIoContext::seek);
    if (context_ == nullptr) av_free(buffer);
}

SinkIoContext::~SinkIoContext() {
    if (context_ == nullptr) return;
    // The context may have swapped its buffer; free the one it holds now.
    av_freep(&context_->buffer);
    avio_context_free(&context_);
}

int SinkIoContext::writePacket(void* opaque, std::uint8_t* bytes, int count) {
    auto& self = *static_cast<SinkIoContext*>(opaque);
    if (self.sinkError_ != 0) return AVERROR(self.sinkError_);
    std::size_t done = 0;
    const auto total = static_cast<std::size_t>(count < 0 ? 0 : count);
    // A sink may take fewer bytes than it is given; the rest follow.
    while (done < total) {
        const std::int64_t taken = self.sink_.writeAt(self.position_, bytes + done, total - done);
        if (taken <= 0 || static_cast<std::uint64_t>(taken) > total - done) {
            self.sinkError_ = sinkErrorFor(taken);
            return AVERROR(self.sinkError_);
        }
        done += static_cast<std::size_t>(taken);
        self.position_ += taken;
        if (self.position_ > self.size_) self.size_ = self.position_;
    }
    return count;
}

std::int64_t SinkIoContext::seek(void* opaque, std::int64_t offset, int whence) {
    auto& self = *static_cast<SinkIoContext*>(opaque);
    std::int64_t target = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return self.size_;
        case SEEK_SET:
            target = offset;
            break;
        case SEEK_CUR:
            target = self.position_ + offset;
            break;
        case SEEK_END:
            target = self.size_ + offset;
            break;
        default:
            return AVERROR(EINVAL);
    }
    if (target < 0) return AVERROR(EINVAL);
    self.position_ = target;
    return target;
}
