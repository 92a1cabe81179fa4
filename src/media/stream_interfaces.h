#pragma once

#include <cstdint>

#include "media/com_ptr.h"
#include "media/known_ids.h"
#include "media/result_codes.h"
#include "media/unknown.h"

// The interfaces that move data: samples, the allocator they come from, and
// the input pin that receives them.

// One buffer of data with its times (100-ns units) and flags. The allocator
// owns the memory; a sample goes back to its pool when its last reference is
// released, so a filter that keeps a sample simply holds a reference.
struct IMediaSample : virtual IUnknown {
    static constexpr Guid kIid = IID_IMediaSample;

    // The start of the buffer's data (aligned as the allocator was asked).
    virtual HRESULT GetPointer(std::uint8_t** buffer) = 0;
    // Bytes the buffer can hold.
    virtual std::int32_t GetSize() = 0;
    // S_OK with both times; VFW_S_NO_STOP_TIME with the start only (the stop
    // is then start + 1); VFW_E_SAMPLE_TIME_NOT_SET when none was set.
    virtual HRESULT GetTime(std::int64_t* start, std::int64_t* stop) = 0;
    // A null start clears both times; a null stop sets the start only.
    virtual HRESULT SetTime(const std::int64_t* start, const std::int64_t* stop) = 0;
    // S_OK when set, S_FALSE when not.
    virtual HRESULT IsSyncPoint() = 0;
    virtual HRESULT SetSyncPoint(bool syncPoint) = 0;
    // Bytes of valid data; a new sample starts with the whole buffer.
    virtual std::int32_t GetActualDataLength() = 0;
    // VFW_E_BUFFER_OVERFLOW beyond the buffer's size, E_INVALIDARG below 0.
    virtual HRESULT SetActualDataLength(std::int32_t length) = 0;
};

// Buffer counts and sizes agreed between an output pin and an input pin.
struct AllocatorProperties {
    std::int32_t buffers = 0;      // number of samples in the pool
    std::int32_t bufferBytes = 0;  // bytes of each sample's buffer
    std::int32_t alignment = 0;    // the data pointer's alignment, a power of two (0: no wish)
    std::int32_t prefixBytes = 0;  // bytes reserved before each data pointer
};

// GetBuffer flag: fail with VFW_E_TIMEOUT rather than wait for a free buffer.
inline constexpr std::uint32_t AM_GBF_NOWAIT = 4;

// A pool of samples of one size. Properties are set while decommitted; Commit
// makes the memory, Decommit lets it go once every sample has come back.
struct IMemAllocator : virtual IUnknown {
    static constexpr Guid kIid = IID_IMemAllocator;

    // VFW_E_ALREADY_COMMITTED while committed, VFW_E_BUFFERS_OUTSTANDING while
    // samples are still out, VFW_E_BADALIGN for an alignment that is not a
    // power of two, E_INVALIDARG for negative or too large sizes. actual
    // receives what was granted.
    virtual HRESULT SetProperties(const AllocatorProperties& request, AllocatorProperties* actual) = 0;
    virtual HRESULT GetProperties(AllocatorProperties* properties) = 0;
    // VFW_E_SIZENOTSET before SetProperties; E_OUTOFMEMORY when the memory
    // cannot be had.
    virtual HRESULT Commit() = 0;
    // Wakes every caller waiting in GetBuffer (they get VFW_E_NOT_COMMITTED).
    virtual HRESULT Decommit() = 0;
    // Waits while every sample is held; VFW_E_NOT_COMMITTED when not committed
    // (or decommitted while waiting). The sample comes with one reference, its
    // flags clear, the given times (either may be null) and its whole buffer
    // as the data length.
    virtual HRESULT GetBuffer(ComPtr<IMediaSample>* sample, const std::int64_t* start,
                              const std::int64_t* stop, std::uint32_t flags) = 0;
    // Called by a sample when its last reference goes.
    virtual HRESULT ReleaseBuffer(IMediaSample* sample) = 0;
};

// The input side of a sample connection.
struct IMemInputPin : virtual IUnknown {
    static constexpr Guid kIid = IID_IMemInputPin;

    // The allocator this pin would like used (its own, made on demand).
    virtual HRESULT GetAllocator(ComPtr<IMemAllocator>* allocator) = 0;
    // The allocator the output pin chose; the samples will come from it.
    virtual HRESULT NotifyAllocator(IMemAllocator* allocator, bool readOnly) = 0;
    // The alignment, prefix or counts this pin needs; E_NOTIMPL when none.
    virtual HRESULT GetAllocatorRequirements(AllocatorProperties* properties) = 0;
    // One sample. S_OK: send more; S_FALSE: send no more; a failure: the
    // stream has failed (the code says why).
    virtual HRESULT Receive(IMediaSample* sample) = 0;
};
