#include "components/encoding_workers.h"

#include <string>
#include <system_error>
#include <utility>

#include "media/result_status.h"

EncodingWorkers::~EncodingWorkers() {
    stop(true);
}

HRESULT EncodingWorkers::start(FrameEncoder& encoder, FrameDelivery& delivery) {
    stop(true);
    encoder_ = &encoder;
    delivery_ = &delivery;
    submitted_ = 0;
    nextToDeliver_ = 0;
    quit_ = false;
    discarding_ = false;
    failure_ = S_OK;
    const int count = encoder.concurrentFrames() < 1 ? 1 : encoder.concurrentFrames();
    try {
        for (int worker = 0; worker < count; ++worker) threads_.emplace_back([this, worker] { run(worker); });
    } catch (const std::system_error&) {
        stop(true);
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT EncodingWorkers::submit(IMediaSample* sample) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failed(failure_)) return failure_;
    if (threads_.empty() || quit_ || discarding_) return VFW_E_WRONG_STATE;
    queue_.push_back(Job{ComPtr<IMediaSample>(sample), submitted_++});
    changed_.notify_all();
    return S_OK;
}

void EncodingWorkers::endOfStream() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (threads_.empty() || quit_) return;
    queue_.push_back(Job{ComPtr<IMediaSample>(), submitted_});
    changed_.notify_all();
}

HRESULT EncodingWorkers::stop(bool discard) {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (threads_.empty()) return S_OK;
        if (discard) {
            discarding_ = true;
            queue_.clear();
            changed_.notify_all();
        }
        changed_.wait(lock, [this] { return queue_.empty() && busy_ == 0; });
        quit_ = true;
        changed_.notify_all();
    }
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(failure_, S_OK);
}

void EncodingWorkers::fail(HRESULT result) {
    if (succeeded(failure_)) failure_ = failed(result) ? result : E_FAIL;
    changed_.notify_all();
}

Status EncodingWorkers::put(const std::uint8_t* data, std::size_t bytes, std::int64_t frameIndex) {
    const std::string what = "delivering frame " + std::to_string(frameIndex);
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this, frameIndex] { return nextToDeliver_ == frameIndex || stopping(); });
    if (failed(failure_)) return statusFromResult(failure_, what);
    if (discarding_) return statusFromResult(VFW_E_WRONG_STATE, what);
    // Only the frame whose turn it is gets here, so deliveries never overlap.
    lock.unlock();
    const HRESULT result = delivery_->deliverPacket(data, bytes, frameIndex);
    lock.lock();
    // S_FALSE from downstream asks for no more frames: the stream cannot go on.
    if (result != S_OK) {
        fail(result);
        return statusFromResult(failure_, what);
    }
    ++nextToDeliver_;
    changed_.notify_all();
    return {};
}

void EncodingWorkers::encodeFrame(int worker, Job& job) {
    std::uint8_t* data = nullptr;
    HRESULT result = job.sample->GetPointer(&data);
    // When the packet could not be delivered, put() has already recorded why.
    if (succeeded(result)) result = resultFromStatus(encoder_->encode(worker, data, job.frameIndex, *this));
    job.sample.reset();
    std::lock_guard<std::mutex> lock(mutex_);
    if (failed(result) && !discarding_) fail(result);
}

void EncodingWorkers::endStream() {
    {
        // Every frame before the end has been taken by a thread; once the
        // others are done, what the encoder still holds comes out of flush().
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return busy_ == 1 || stopping(); });
        if (stopping()) return;
    }
    HRESULT result = resultFromStatus(encoder_->flush(*this));
    if (succeeded(result)) result = delivery_->deliverEndOfStream();
    std::lock_guard<std::mutex> lock(mutex_);
    if (failed(result) && !discarding_) fail(result);
}

void EncodingWorkers::run(int worker) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return quit_ || !queue_.empty(); });
        if (queue_.empty()) return;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        ++busy_;
        const bool skip = stopping();
        lock.unlock();
        if (!skip) {
            if (job.sample)
                encodeFrame(worker, job);
            else
                endStream();
        }
        job.sample.reset();
        lock.lock();
        --busy_;
        changed_.notify_all();
    }
}
