#include "components/encoding_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "media/mem_allocator.h"

namespace {

using Clock = std::chrono::steady_clock;

// Frames are 16 bytes: the frame's number in the first 8.
constexpr std::int32_t kFrameBytes = 16;

std::int64_t numberIn(const std::uint8_t* data) {
    std::int64_t number = 0;
    std::memcpy(&number, data, sizeof number);
    return number;
}

// An encoder whose packet is the frame itself. It may take a while per frame
// (a random pause from a seeded generator), fail a frame, and hold frames
// back the way a codec with frame threads does, handing them out later and
// the rest from flush(). It notes how many frames were encoding at once.
class ScriptedEncoder final : public FrameEncoder {
public:
    int concurrent = 2;
    int maxPauseMicroseconds = 0;
    int heldBack = 0;             // packets that leave this many frames late
    std::int64_t failFrame = -1;  // encode() of this frame fails
    Status failure = Status::failure(ErrorCode::kFailed, "scripted failure");

    Status open(const FrameLayout&, const EncoderChoices&) override { return {}; }
    const EncodedStreamInfo& streamInfo() const override { return info_; }
    std::size_t maxPacketBytes() const override { return kFrameBytes; }
    int concurrentFrames() const override { return concurrent; }

    Status encode(int worker, const std::uint8_t* frame, std::int64_t frameIndex, PacketSink& sink) override {
        const int now = ++inFlight_;
        int seen = mostAtOnce_.load();
        while (now > seen && !mostAtOnce_.compare_exchange_weak(seen, now)) {
        }
        if (worker < 0 || worker >= concurrent) badWorker_ = true;
        if (maxPauseMicroseconds > 0) std::this_thread::sleep_for(std::chrono::microseconds(pause()));
        --inFlight_;
        if (frameIndex == failFrame) return failure;
        if (numberIn(frame) != frameIndex) return Status::failure(ErrorCode::kFailed, "wrong frame");
        if (heldBack == 0) return sink.put(frame, kFrameBytes, frameIndex);
        // One thread at a time here (concurrent is 1 when holding back).
        held_.emplace_back(frame, frame + kFrameBytes);
        if (static_cast<int>(held_.size()) <= heldBack) return {};
        const std::vector<std::uint8_t> oldest = held_.front();
        held_.erase(held_.begin());
        return sink.put(oldest.data(), oldest.size(), numberIn(oldest.data()));
    }

    Status flush(PacketSink& sink) override {
        ++flushes_;
        for (const std::vector<std::uint8_t>& packet : held_) {
            const Status put = sink.put(packet.data(), packet.size(), numberIn(packet.data()));
            if (!put.ok()) return put;
        }
        held_.clear();
        return {};
    }

    int mostAtOnce() const { return mostAtOnce_.load(); }
    bool badWorker() const { return badWorker_.load(); }
    int flushes() const { return flushes_.load(); }

private:
    int pause() {
        std::lock_guard<std::mutex> lock(randomLock_);
        return std::uniform_int_distribution<int>(0, maxPauseMicroseconds)(random_);
    }

    EncodedStreamInfo info_;
    std::atomic<int> inFlight_{0};
    std::atomic<int> mostAtOnce_{0};
    std::atomic<bool> badWorker_{false};
    std::atomic<int> flushes_{0};
    std::vector<std::vector<std::uint8_t>> held_;
    std::mutex randomLock_;
    std::mt19937 random_{12345};
};

// Records what reaches the multiplexer's side, and may refuse one packet.
class RecordingDelivery final : public FrameDelivery {
public:
    std::int64_t refuseFrame = -1;
    HRESULT refusal = E_FAIL;

    HRESULT deliverPacket(const std::uint8_t* data, std::size_t bytes, std::int64_t frameIndex) override {
        // Busy from here to the end, so that a second delivery at the same
        // time finds the flag set.
        if (busy_.exchange(true)) overlapped_ = true;
        std::this_thread::yield();
        HRESULT result = S_OK;
        {
            std::lock_guard<std::mutex> lock(lock_);
            if (frameIndex == refuseFrame) {
                result = refusal;
            } else {
                indices_.push_back(frameIndex);
                contents_.push_back(bytes == kFrameBytes ? numberIn(data) : -1);
            }
        }
        busy_ = false;
        return result;
    }

    HRESULT deliverEndOfStream() override {
        std::lock_guard<std::mutex> lock(lock_);
        endsOfStream_.push_back(static_cast<std::int64_t>(indices_.size()));
        return S_OK;
    }

    std::vector<std::int64_t> indices() const {
        std::lock_guard<std::mutex> lock(lock_);
        return indices_;
    }
    std::vector<std::int64_t> contents() const {
        std::lock_guard<std::mutex> lock(lock_);
        return contents_;
    }
    // For every end-of-stream, how many packets had come before it.
    std::vector<std::int64_t> endsOfStream() const {
        std::lock_guard<std::mutex> lock(lock_);
        return endsOfStream_;
    }
    bool overlapped() const { return overlapped_.load(); }

private:
    mutable std::mutex lock_;
    std::atomic<bool> busy_{false};
    std::atomic<bool> overlapped_{false};
    std::vector<std::int64_t> indices_;
    std::vector<std::int64_t> contents_;
    std::vector<std::int64_t> endsOfStream_;
};

ComPtr<CMemAllocator> committedAllocator(std::int32_t buffers) {
    ComPtr<CMemAllocator> allocator = makeComObject<CMemAllocator>();
    AllocatorProperties granted;
    EXPECT_EQ(S_OK, allocator->SetProperties({buffers, kFrameBytes, 0, 0}, &granted));
    EXPECT_EQ(S_OK, allocator->Commit());
    return allocator;
}

// A sample of the allocator carrying frame `number`; waits for a free buffer.
ComPtr<IMediaSample> frameSample(IMemAllocator* allocator, std::int64_t number) {
    ComPtr<IMediaSample> sample;
    EXPECT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
    if (!sample) return sample;
    std::uint8_t* data = nullptr;
    sample->GetPointer(&data);
    std::memset(data, 0, kFrameBytes);
    std::memcpy(data, &number, sizeof number);
    return sample;
}

std::vector<std::int64_t> zeroTo(std::int64_t count) {
    std::vector<std::int64_t> numbers;
    for (std::int64_t number = 0; number < count; ++number) numbers.push_back(number);
    return numbers;
}

// True when every buffer of the pool can be had at once without waiting:
// the workers kept no sample.
bool everySampleBack(IMemAllocator* allocator, int buffers) {
    std::vector<ComPtr<IMediaSample>> samples(static_cast<std::size_t>(buffers));
    for (ComPtr<IMediaSample>& sample : samples)
        if (allocator->GetBuffer(&sample, nullptr, nullptr, AM_GBF_NOWAIT) != S_OK) return false;
    return true;
}

}  // namespace

// Two threads encode two frames at once, each taking its own random time;
// the packets still leave one at a time in frame order, and the end of the
// stream after the last.
TEST(EncodingWorkers, PacketsLeaveInFrameOrderWhileTwoFramesEncodeAtOnce) {
    ScriptedEncoder encoder;
    encoder.maxPauseMicroseconds = 2000;
    RecordingDelivery delivery;
    ComPtr<CMemAllocator> allocator = committedAllocator(3);
    EncodingWorkers workers;
    ASSERT_EQ(S_OK, workers.start(encoder, delivery));
    constexpr std::int64_t kFrames = 120;
    for (std::int64_t frame = 0; frame < kFrames; ++frame)
        ASSERT_EQ(S_OK, workers.submit(frameSample(allocator.get(), frame).get()));
    workers.endOfStream();
    EXPECT_EQ(S_OK, workers.stop(false));
    EXPECT_EQ(zeroTo(kFrames), delivery.indices());
    EXPECT_EQ(zeroTo(kFrames), delivery.contents());
    EXPECT_EQ(std::vector<std::int64_t>{kFrames}, delivery.endsOfStream());
    EXPECT_FALSE(delivery.overlapped());
    EXPECT_EQ(2, encoder.mostAtOnce());
    EXPECT_FALSE(encoder.badWorker());
    EXPECT_EQ(1, encoder.flushes());
    EXPECT_TRUE(everySampleBack(allocator.get(), 3));
}

// An encoder that holds frames back hands them out with later frames and
// from flush(): every packet still comes before the end of the stream.
TEST(EncodingWorkers, FramesHeldBackComeOutOfTheFlushBeforeTheEnd) {
    ScriptedEncoder encoder;
    encoder.concurrent = 1;
    encoder.heldBack = 2;
    encoder.maxPauseMicroseconds = 500;
    RecordingDelivery delivery;
    ComPtr<CMemAllocator> allocator = committedAllocator(2);
    EncodingWorkers workers;
    ASSERT_EQ(S_OK, workers.start(encoder, delivery));
    for (std::int64_t frame = 0; frame < 10; ++frame)
        ASSERT_EQ(S_OK, workers.submit(frameSample(allocator.get(), frame).get()));
    workers.endOfStream();
    EXPECT_EQ(S_OK, workers.stop(false));
    EXPECT_EQ(zeroTo(10), delivery.indices());
    EXPECT_EQ(std::vector<std::int64_t>{10}, delivery.endsOfStream());
}

// A stream without frames still ends: flush, then the end-of-stream.
TEST(EncodingWorkers, EmptyStreamEndsWithTheEndOfStreamAlone) {
    ScriptedEncoder encoder;
    RecordingDelivery delivery;
    EncodingWorkers workers;
    ASSERT_EQ(S_OK, workers.start(encoder, delivery));
    workers.endOfStream();
    EXPECT_EQ(S_OK, workers.stop(false));
    EXPECT_TRUE(delivery.indices().empty());
    EXPECT_EQ(std::vector<std::int64_t>{0}, delivery.endsOfStream());
}

// The multiplexer refusing frame 5 (a full disk) ends the stream: no later
// packet and no end-of-stream go out, submit() returns the refusal from then
// on, and so does stop().
TEST(EncodingWorkers, RefusedPacketStopsTheStreamAndSubmitSaysWhy) {
    ScriptedEncoder encoder;
    encoder.maxPauseMicroseconds = 300;
    RecordingDelivery delivery;
    delivery.refuseFrame = 5;
    delivery.refusal = hresultFromErrno(ENOSPC);
    ComPtr<CMemAllocator> allocator = committedAllocator(2);
    EncodingWorkers workers;
    ASSERT_EQ(S_OK, workers.start(encoder, delivery));
    HRESULT submitted = S_OK;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    for (std::int64_t frame = 0; submitted == S_OK && Clock::now() < deadline; ++frame)
        submitted = workers.submit(frameSample(allocator.get(), frame).get());
    EXPECT_EQ(hresultFromErrno(ENOSPC), submitted);
    workers.endOfStream();
    EXPECT_EQ(hresultFromErrno(ENOSPC), workers.stop(false));
    EXPECT_EQ(zeroTo(5), delivery.indices());
    EXPECT_TRUE(delivery.endsOfStream().empty());
    EXPECT_TRUE(everySampleBack(allocator.get(), 2));
    // The failure was reported once; a stream started afterwards is new.
    EXPECT_EQ(S_OK, workers.stop(false));
}

// "Send no more" (S_FALSE) from downstream is the end of the stream too.
TEST(EncodingWorkers, SendNoMoreFromDownstreamIsAFailure) {
    ScriptedEncoder encoder;
    RecordingDelivery delivery;
    delivery.refuseFrame = 0;
    delivery.refusal = S_FALSE;
    ComPtr<CMemAllocator> allocator = committedAllocator(2);
    EncodingWorkers workers;
    ASSERT_EQ(S_OK, workers.start(encoder, delivery));
    ASSERT_EQ(S_OK, workers.submit(frameSample(allocator.get(), 0).get()));
    workers.endOfStream();
    EXPECT_TRUE(failed(workers.stop(false)));
    EXPECT_TRUE(delivery.endsOfStream().empty());
}

// An encoder failing frame 3 stops the stream: frames after it are encoded
// perhaps, but never delivered, and the encoder's own code comes back.
TEST(EncodingWorkers, EncoderFailureStopsTheStream) {
    ScriptedEncoder encoder;
    encoder.failFrame = 3;
    encoder.failure = Status::failure(ErrorCode::kNoMemory, "scripted failure");
    encoder.maxPauseMicroseconds = 300;
    RecordingDelivery delivery;
    ComPtr<CMemAllocator> allocator = committedAllocator(4);
    EncodingWorkers workers;
    ASSERT_EQ(S_OK, workers.start(encoder, delivery));
    HRESULT submitted = S_OK;
    for (std::int64_t frame = 0; frame < 40 && submitted == S_OK; ++frame)
        submitted = workers.submit(frameSample(allocator.get(), frame).get());
    workers.endOfStream();
    EXPECT_EQ(E_OUTOFMEMORY, workers.stop(false));
    // Frame 2 may still be encoding when frame 3 fails; the stream ends then
    // and frame 2 is dropped with it (the movie is given up anyway).
    const std::vector<std::int64_t> delivered = delivery.indices();
    EXPECT_LE(delivered.size(), 3u);
    EXPECT_EQ(zeroTo(static_cast<std::int64_t>(delivered.size())), delivered);
    EXPECT_TRUE(delivery.endsOfStream().empty());
    EXPECT_TRUE(everySampleBack(allocator.get(), 4));
}

// Stopping without waiting drops what is queued: the slow encoder does not
// get through the queue, nothing ends the stream, and every sample returns
// to its pool.
TEST(EncodingWorkers, DiscardingStopDropsTheQueue) {
    ScriptedEncoder encoder;
    encoder.maxPauseMicroseconds = 40000;
    RecordingDelivery delivery;
    ComPtr<CMemAllocator> allocator = committedAllocator(20);
    EncodingWorkers workers;
    ASSERT_EQ(S_OK, workers.start(encoder, delivery));
    for (std::int64_t frame = 0; frame < 20; ++frame)
        ASSERT_EQ(S_OK, workers.submit(frameSample(allocator.get(), frame).get()));
    workers.endOfStream();
    EXPECT_EQ(S_OK, workers.stop(true));
    EXPECT_LT(delivery.indices().size(), 20u);
    EXPECT_TRUE(delivery.endsOfStream().empty());
    EXPECT_TRUE(everySampleBack(allocator.get(), 20));
    EXPECT_EQ(VFW_E_WRONG_STATE, workers.submit(frameSample(allocator.get(), 0).get()));
}

// Without start() there is no stream; after a stop a new one starts at frame 0.
TEST(EncodingWorkers, StreamsStartAtFrameZero) {
    ScriptedEncoder encoder;
    RecordingDelivery delivery;
    ComPtr<CMemAllocator> allocator = committedAllocator(2);
    EncodingWorkers workers;
    EXPECT_EQ(VFW_E_WRONG_STATE, workers.submit(frameSample(allocator.get(), 0).get()));
    EXPECT_EQ(S_OK, workers.stop(false));
    for (int stream = 0; stream < 2; ++stream) {
        ASSERT_EQ(S_OK, workers.start(encoder, delivery));
        for (std::int64_t frame = 0; frame < 3; ++frame)
            ASSERT_EQ(S_OK, workers.submit(frameSample(allocator.get(), frame).get()));
        workers.endOfStream();
        EXPECT_EQ(S_OK, workers.stop(false));
    }
    EXPECT_EQ((std::vector<std::int64_t>{0, 1, 2, 0, 1, 2}), delivery.indices());
    EXPECT_EQ((std::vector<std::int64_t>{3, 6}), delivery.endsOfStream());
}
