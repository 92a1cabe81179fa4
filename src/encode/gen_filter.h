#pragma once

#include <cstdint>
#include <memory>

#include "encode/frame_media_type.h"
#include "encode/gen_output.h"
#include "media/base_filter.h"
#include "media/crit_sec.h"

// The program's own frame source ("App-Direct Video"). It has no thread: the
// caller hands it one finished frame at a time (DeliverFrame), which it copies
// into a sample from the connection's allocator, stamps and delivers to the
// encoder on the caller's thread. GetDeliveryBuffer blocks while both buffers
// are held downstream: that is the only flow control between the caller and
// the encoder, and keeps the caller at most one frame ahead.
//
// A filter serves one clip: its time stamps start at 0 and only grow.
class CGenFilter final : public CBaseFilter {
public:
    CGenFilter();
    ~CGenFilter() override;

    int GetPinCount() override { return 1; }
    // Pin 0 is the output pin, made on the first call; any other is null.
    CBasePin* GetPin(int n) override;

    // The frame size, output kind and rate, and the time between frames
    // (100-ns units); the next frame starts at 0 again. Set once, right after
    // construction and before the filter joins a graph: the format is read
    // without a lock afterwards.
    void setFormat(const FrameFormat& format, std::int64_t frameDuration);
    const FrameFormat& format() const { return format_; }
    // Start time of the next frame.
    std::int64_t nextStart() const;

    // Copies one frame (top row first, rows pitch bytes apart) into a sample
    // and delivers it. Each sample row gets the image size ÷ height bytes;
    // when a row of the image is longer than the pitch (odd widths pad rows to
    // 4 bytes), the bytes past the pitch are zero: the frame itself is never
    // read beyond its last row's pitch. Returns E_INVALIDARG unless paused or
    // running (the frame is dropped and the time stays), GetDeliveryBuffer's
    // failure, E_FAIL for a sample without data or smaller than the image,
    // else the downstream Receive's result unchanged (S_FALSE included; the
    // times have advanced all the same).
    HRESULT DeliverFrame(const void* frame, std::int32_t pitch);

    // Sends end-of-stream downstream at once. No pause is needed before it:
    // the graph's Stop that follows returns only when everything delivered has
    // gone through the encoder and the multiplexer. S_OK when the pin was
    // never made or is not connected, else the delivery's result.
    HRESULT EndStream();

private:
    // Declared in this order so they go in the reverse one: the pin first,
    // then its lock, then the filter's.
    CritSec filterLock_;
    CritSec pinLock_;
    std::unique_ptr<CGenOutput> output_;

    FrameFormat format_;
    std::int64_t frameDuration_ = 0;
    std::int64_t nextStart_ = 0;
};
