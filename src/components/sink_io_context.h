#pragma once

#include <cstdint>

#include "components/byte_sink.h"

struct AVIOContext;

// A libavformat output context whose bytes go to an IByteSink, with seeking,
// so the muxers can complete their headers once the last frame is written.
// The first failed write is kept: its errno is what the caller reports.
class SinkIoContext {
public:
    explicit SinkIoContext(IByteSink& sink);
    ~SinkIoContext();
    SinkIoContext(const SinkIoContext&) = delete;
    SinkIoContext& operator=(const SinkIoContext&) = delete;

    // nullptr when the context could not be allocated.
    AVIOContext* context() const { return context_; }
    // errno of the first write the sink refused; 0 while none failed.
    int sinkError() const { return sinkError_; }
    // One past the last byte written so far.
    std::int64_t size() const { return size_; }

private:
    static int writePacket(void* opaque, std::uint8_t* bytes, int count);
    static std::int64_t seek(void* opaque, std::int64_t offset, int whence);

    IByteSink& sink_;
    AVIOContext* context_ = nullptr;
    std::int64_t position_ = 0;
    std::int64_t size_ = 0;
    int sinkError_ = 0;
};
