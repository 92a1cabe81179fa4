#include "media/mem_allocator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace {

ComPtr<CMemAllocator> committedAllocator(std::int32_t buffers, std::int32_t bytes, std::int32_t alignment = 0,
                                         std::int32_t prefix = 0) {
    ComPtr<CMemAllocator> allocator = makeComObject<CMemAllocator>();
    AllocatorProperties granted;
    EXPECT_EQ(S_OK, allocator->SetProperties({buffers, bytes, alignment, prefix}, &granted));
    EXPECT_EQ(S_OK, allocator->Commit());
    return allocator;
}

std::uintptr_t address(const std::uint8_t* pointer) {
    return reinterpret_cast<std::uintptr_t>(pointer);
}

}  // namespace

TEST(MemAllocator, NeedsSizesAndACommitBeforeGivingSamples) {
    ComPtr<CMemAllocator> allocator = makeComObject<CMemAllocator>();
    ComPtr<IMediaSample> sample;
    EXPECT_EQ(VFW_E_SIZENOTSET, allocator->Commit());
    EXPECT_EQ(VFW_E_NOT_COMMITTED, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
    AllocatorProperties granted;
    EXPECT_EQ(VFW_E_BADALIGN, allocator->SetProperties({2, 100, 3, 0}, &granted));
    EXPECT_EQ(E_INVALIDARG, allocator->SetProperties({2, -1, 0, 0}, &granted));
    ASSERT_EQ(S_OK, allocator->SetProperties({2, 100, 0, 0}, &granted));
    EXPECT_EQ(2, granted.buffers);
    EXPECT_EQ(100, granted.bufferBytes);
    EXPECT_EQ(VFW_E_NOT_COMMITTED, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
    ASSERT_EQ(S_OK, allocator->Commit());
    EXPECT_EQ(VFW_E_ALREADY_COMMITTED, allocator->SetProperties({2, 100, 0, 0}, &granted));
    ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
    EXPECT_EQ(100, sample->GetSize());
    allocator->Decommit();
    EXPECT_EQ(VFW_E_BUFFERS_OUTSTANDING, allocator->SetProperties({2, 100, 0, 0}, &granted));
    sample.reset();
    EXPECT_EQ(S_OK, allocator->SetProperties({1, 50, 0, 0}, &granted));
}

TEST(MemAllocator, BuffersAreAlignedWithTheirPrefixInFront) {
    ComPtr<CMemAllocator> allocator = committedAllocator(3, 1000, 256, 16);
    ComPtr<IMediaSample> samples[3];
    for (ComPtr<IMediaSample>& sample : samples) {
        ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
        std::uint8_t* data = nullptr;
        ASSERT_EQ(S_OK, sample->GetPointer(&data));
        EXPECT_EQ(0u, address(data) % 256);
        // The prefix and the whole buffer are ours to write (checked by the
        // address sanitizer build).
        std::memset(data - 16, 0xAB, 16 + 1000);
    }
    ComPtr<CMemAllocator> plain = committedAllocator(1, 10);
    ComPtr<IMediaSample> sample;
    ASSERT_EQ(S_OK, plain->GetBuffer(&sample, nullptr, nullptr, 0));
    std::uint8_t* data = nullptr;
    sample->GetPointer(&data);
    EXPECT_EQ(0u, address(data) % 64);
}

TEST(MemAllocator, ASampleHeldElsewhereReturnsOnItsLastRelease) {
    ComPtr<CMemAllocator> allocator = committedAllocator(1, 16);
    ComPtr<IMediaSample> sample;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
    ComPtr<IMediaSample> heldDownstream = sample;
    sample.reset();
    ComPtr<IMediaSample> next;
    EXPECT_EQ(VFW_E_TIMEOUT, allocator->GetBuffer(&next, nullptr, nullptr, AM_GBF_NOWAIT));
    heldDownstream.reset();
    EXPECT_EQ(S_OK, allocator->GetBuffer(&next, nullptr, nullptr, AM_GBF_NOWAIT));
}

TEST(MemAllocator, GetBufferWaitsUntilAHeldSampleIsReleased) {
    ComPtr<CMemAllocator> allocator = committedAllocator(1, 16);
    ComPtr<IMediaSample> held;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&held, nullptr, nullptr, 0));

    std::atomic<bool> returned{false};
    HRESULT result = E_FAIL;
    std::thread waiter([&] {
        ComPtr<IMediaSample> sample;
        result = allocator->GetBuffer(&sample, nullptr, nullptr, 0);
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    held.reset();
    waiter.join();
    EXPECT_TRUE(returned.load());
    EXPECT_EQ(S_OK, result);
}

TEST(MemAllocator, DecommitWakesAWaiterWithNotCommitted) {
    ComPtr<CMemAllocator> allocator = committedAllocator(1, 16);
    ComPtr<IMediaSample> held;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&held, nullptr, nullptr, 0));

    HRESULT result = S_OK;
    std::thread waiter([&] {
        ComPtr<IMediaSample> sample;
        result = allocator->GetBuffer(&sample, nullptr, nullptr, 0);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(S_OK, allocator->Decommit());
    waiter.join();
    EXPECT_EQ(VFW_E_NOT_COMMITTED, result);

    // The held sample stays usable until it comes back; then the pool can be
    // committed again.
    std::uint8_t* data = nullptr;
    held->GetPointer(&data);
    std::memset(data, 1, 16);
    held.reset();
    ASSERT_EQ(S_OK, allocator->Commit());
    EXPECT_EQ(S_OK, allocator->GetBuffer(&held, nullptr, nullptr, AM_GBF_NOWAIT));
}

TEST(MemAllocator, OutlivesItsSamples) {
    ComPtr<IMediaSample> sample;
    {
        ComPtr<CMemAllocator> allocator = committedAllocator(2, 64);
        ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
        allocator->Decommit();
    }
    // The allocator is gone from our hands but not from the sample's.
    std::uint8_t* data = nullptr;
    sample->GetPointer(&data);
    std::memset(data, 7, 64);
    EXPECT_EQ(64, sample->GetActualDataLength());
    sample.reset();  // frees the memory and the allocator (checked by the leak sanitizer)
}

TEST(MemAllocator, AProducerAndAConsumerPassSamplesAcrossThreads) {
    ComPtr<CMemAllocator> allocator = committedAllocator(2, 256);
    std::mutex lock;
    std::condition_variable arrived;
    std::deque<ComPtr<IMediaSample>> queue;
    constexpr int kSamples = 500;

    std::thread consumer([&] {
        for (int index = 0; index < kSamples; ++index) {
            ComPtr<IMediaSample> sample;
            {
                std::unique_lock hold(lock);
                arrived.wait(hold, [&] { return !queue.empty(); });
                sample = std::move(queue.front());
                queue.pop_front();
            }
            std::uint8_t* data = nullptr;
            sample->GetPointer(&data);
            std::int64_t start = 0;
            std::int64_t stop = 0;
            ASSERT_EQ(S_OK, sample->GetTime(&start, &stop));
            ASSERT_EQ(index, start);
            ASSERT_EQ(static_cast<std::uint8_t>(index), data[255]);
        }
    });
    for (int index = 0; index < kSamples; ++index) {
        ComPtr<IMediaSample> sample;
        const std::int64_t start = index;
        const std::int64_t stop = index + 1;
        ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, &start, &stop, 0));
        std::uint8_t* data = nullptr;
        sample->GetPointer(&data);
        std::memset(data, index, 256);
        std::lock_guard hold(lock);
        queue.push_back(std::move(sample));
        arrived.notify_one();
    }
    consumer.join();
}
