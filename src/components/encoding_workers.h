#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "components/frame_encoder.h"
#include "media/com_ptr.h"
#include "media/stream_interfaces.h"

// Where the encoded frames of a stream go: the encoder filter's output pin.
class FrameDelivery {
public:
    virtual HRESULT deliverPacket(const std::uint8_t* data, std::size_t bytes, std::int64_t frameIndex) = 0;
    virtual HRESULT deliverEndOfStream() = 0;

protected:
    ~FrameDelivery() = default;
};

// The encoder filter's threads. Frames are queued as they arrive (each sample
// held until its frame is encoded, which is what keeps the frame source at
// most as many frames ahead as its allocator has buffers), encoded on as many
// threads as the encoder takes frames at once, and delivered strictly in
// frame order. The end of the stream is queued behind the last frame: the
// encoder is flushed and the end-of-stream delivered after it.
//
// The first failure (an encoder error, a multiplexer that could not write)
// ends the stream: nothing more is encoded or delivered, and submit() returns
// it, so the frame source learns of it with its next frame.
class EncodingWorkers final : private PacketSink {
public:
    EncodingWorkers() = default;
    ~EncodingWorkers();
    EncodingWorkers(const EncodingWorkers&) = delete;
    EncodingWorkers& operator=(const EncodingWorkers&) = delete;

    // Starts the threads for a new stream; E_OUTOFMEMORY when they cannot be made.
    HRESULT start(FrameEncoder& encoder, FrameDelivery& delivery);
    // Queues one frame. The stream's failure once it has one;
    // VFW_E_WRONG_STATE when the threads are not running.
    HRESULT submit(IMediaSample* sample);
    // Queues the end of the stream.
    void endOfStream();
    // Either waits until everything queued has been encoded and delivered, or
    // (discard) drops what is queued and delivers nothing more; then ends the
    // threads. Returns the stream's failure, if it had one; S_OK when no
    // stream was running.
    HRESULT stop(bool discard);

private:
    struct Job {
        ComPtr<IMediaSample> sample;  // empty for the end of the stream
        std::int64_t frameIndex = 0;
    };

    Status put(const std::uint8_t* data, std::size_t bytes, std::int64_t frameIndex) override;
    void run(int worker);
    void encodeFrame(int worker, Job& job);
    void endStream();
    // Records the stream's first failure (with the lock held).
    void fail(HRESULT result);
    bool stopping() const { return failed(failure_) || discarding_; }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    std::vector<std::thread> threads_;
    FrameEncoder* encoder_ = nullptr;
    FrameDelivery* delivery_ = nullptr;
    std::int64_t submitted_ = 0;
    std::int64_t nextToDeliver_ = 0;  // the frame whose packet goes out next
    int busy_ = 0;                    // threads working on a job
    bool quit_ = false;
    bool discarding_ = false;
    HRESULT failure_ = S_OK;
};
