#include "media/media_sample.h"

#include <cassert>

CMediaSample::CMediaSample(IMemAllocator* allocator, std::uint8_t* buffer, std::int32_t size)
    : allocator_(allocator), buffer_(buffer), size_(size), actualLength_(size) {}

HRESULT CMediaSample::QueryInterface(const Guid& iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == IUnknown::kIid) {
        AddRef();
        *object = static_cast<IUnknown*>(this);
        return S_OK;
    }
    if (iid == IMediaSample::kIid) {
        AddRef();
        *object = static_cast<IMediaSample*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

std::uint32_t CMediaSample::AddRef() {
    return count_.fetch_add(1, std::memory_order_relaxed) + 1;
}

std::uint32_t CMediaSample::Release() {
    const std::uint32_t before = count_.fetch_sub(1, std::memory_order_acq_rel);
    assert(before > 0 && "Release of a sample without a reference");
    if (before == 1) {
        // Nothing of this object may be touched after ReleaseBuffer: the
        // allocator may free the sample (and itself) there.
        IMemAllocator* allocator = allocator_;
        allocator->ReleaseBuffer(this);
    }
    return before - 1;
}

HRESULT CMediaSample::GetPointer(std::uint8_t** buffer) {
    if (buffer == nullptr) return E_POINTER;
    *buffer = buffer_;
    return S_OK;
}

std::int32_t CMediaSample::GetSize() {
    return size_;
}

HRESULT CMediaSample::GetTime(std::int64_t* start, std::int64_t* stop) {
    if (start == nullptr || stop == nullptr) return E_POINTER;
    if (!hasStart_) return VFW_E_SAMPLE_TIME_NOT_SET;
    *start = start_;
    if (!hasStop_) {
        *stop = start_ + 1;
        return VFW_S_NO_STOP_TIME;
    }
    *stop = stop_;
    return S_OK;
}

HRESULT CMediaSample::SetTime(const std::int64_t* start, const std::int64_t* stop) {
    hasStart_ = start != nullptr;
    hasStop_ = hasStart_ && stop != nullptr;
    start_ = hasStart_ ? *start : 0;
    stop_ = hasStop_ ? *stop : 0;
    return S_OK;
}

HRESULT CMediaSample::IsSyncPoint() {
    return syncPoint_ ? S_OK : S_FALSE;
}

HRESULT CMediaSample::SetSyncPoint(bool syncPoint) {
    syncPoint_ = syncPoint;
    return S_OK;
}

std::int32_t CMediaSample::GetActualDataLength() {
    return actualLength_;
}

HRESULT CMediaSample::SetActualDataLength(std::int32_t length) {
    if (length < 0) return E_INVALIDARG;
    if (length > size_) return VFW_E_BUFFER_OVERFLOW;
    actualLength_ = length;
    return S_OK;
}

void CMediaSample::prepareForUse(const std::int64_t* start, const std::int64_t* stop) {
    SetTime(start, stop);
    syncPoint_ = false;
    actualLength_ = size_;
}
