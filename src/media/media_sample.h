#pragma once

#include <atomic>
#include <cstdint>

#include "media/stream_interfaces.h"

// A sample of an allocator's pool: a view of one buffer of the allocator's
// memory plus the times and flags of what it carries. Its count is its own;
// when the last reference goes the sample returns itself to the allocator
// (ReleaseBuffer) instead of being deleted. The allocator owns it.
class CMediaSample final : public IMediaSample {
public:
    CMediaSample(IMemAllocator* allocator, std::uint8_t* buffer, std::int32_t size);
    CMediaSample(const CMediaSample&) = delete;
    CMediaSample& operator=(const CMediaSample&) = delete;

    HRESULT QueryInterface(const Guid& iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    HRESULT GetPointer(std::uint8_t** buffer) override;
    std::int32_t GetSize() override;
    HRESULT GetTime(std::int64_t* start, std::int64_t* stop) override;
    HRESULT SetTime(const std::int64_t* start, const std::int64_t* stop) override;
    HRESULT IsSyncPoint() override;
    HRESULT SetSyncPoint(bool syncPoint) override;
    std::int32_t GetActualDataLength() override;
    HRESULT SetActualDataLength(std::int32_t length) override;

    // For the allocator, while the sample is in its pool: clears the flags,
    // sets the times, makes the whole buffer the data length.
    void prepareForUse(const std::int64_t* start, const std::int64_t* stop);

private:
    IMemAllocator* allocator_;
    std::uint8_t* buffer_;
    std::int32_t size_;
    std::atomic<std::uint32_t> count_{0};

    std::int32_t actualLength_;
    std::int64_t start_ = 0;
    std::int64_t stop_ = 0;
    bool hasStart_ = false;
    bool hasStop_ = false;
    bool syncPoint_ = false;
};
