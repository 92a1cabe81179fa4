#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "media/media_sample.h"
#include "media/stream_interfaces.h"
#include "media/unknown.h"

// An allocator with a fixed number of buffers in one block of memory. Every
// data pointer is aligned to 64 bytes or to the asked alignment when larger,
// with the asked prefix bytes in front of it.
//
// GetBuffer blocks while every buffer is held: that is the flow control
// between a producer and a slower consumer. A sample held downstream (a
// reference added) returns to the pool on its last Release. Decommit wakes
// blocked callers with VFW_E_NOT_COMMITTED and frees the memory once every
// sample is back; samples still held stay valid until then. Each sample out
// of the pool holds a reference on the allocator, so the allocator outlives
// them. Safe to use from any number of threads.
class CMemAllocator final : public CUnknown, public IMemAllocator {
public:
    CMemAllocator();
    ~CMemAllocator() override;

    HRESULT SetProperties(const AllocatorProperties& request, AllocatorProperties* actual) override;
    HRESULT GetProperties(AllocatorProperties* properties) override;
    HRESULT Commit() override;
    HRESULT Decommit() override;
    HRESULT GetBuffer(ComPtr<IMediaSample>* sample, const std::int64_t* start, const std::int64_t* stop,
                      std::uint32_t flags) override;
    HRESULT ReleaseBuffer(IMediaSample* sample) override;

protected:
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;

private:
    HRESULT allocateLocked();
    void freeLocked();
    bool allSamplesBackLocked() const { return freeSamples_.size() == samples_.size(); }

    std::mutex lock_;
    std::condition_variable sampleReturned_;
    AllocatorProperties properties_;
    bool propertiesSet_ = false;
    bool committed_ = false;
    std::uint8_t* memory_ = nullptr;
    std::size_t memoryAlignment_ = 0;
    std::vector<std::unique_ptr<CMediaSample>> samples_;
    std::vector<CMediaSample*> freeSamples_;
};
