#include "media/mem_allocator.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <new>

namespace {

constexpr std::size_t kMinimumAlignment = 64;

bool isPowerOfTwo(std::int32_t value) {
    return value > 0 && (value & (value - 1)) == 0;
}

std::uint64_t roundUp(std::uint64_t value, std::uint64_t multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

}  // namespace

CMemAllocator::CMemAllocator() = default;

CMemAllocator::~CMemAllocator() {
    // Every sample out of the pool holds a reference on us, so none is out.
    assert(allSamplesBackLocked());
    freeLocked();
}

HRESULT CMemAllocator::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IMemAllocator::kIid) return returnInterface(static_cast<IMemAllocator*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(iid, object);
}

HRESULT CMemAllocator::SetProperties(const AllocatorProperties& request, AllocatorProperties* actual) {
    if (actual == nullptr) return E_POINTER;
    std::lock_guard hold(lock_);
    if (committed_) return VFW_E_ALREADY_COMMITTED;
    if (!allSamplesBackLocked()) return VFW_E_BUFFERS_OUTSTANDING;
    if (request.buffers < 0 || request.bufferBytes < 0 || request.prefixBytes < 0 || request.alignment < 0) {
        return E_INVALIDARG;
    }
    const std::int32_t alignment = request.alignment == 0 ? 1 : request.alignment;
    if (!isPowerOfTwo(alignment)) return VFW_E_BADALIGN;
    // New sizes take effect with the next Commit.
    freeLocked();
    properties_ = request;
    properties_.alignment = alignment;
    propertiesSet_ = true;
    *actual = properties_;
    return S_OK;
}

HRESULT CMemAllocator::GetProperties(AllocatorProperties* properties) {
    if (properties == nullptr) return E_POINTER;
    std::lock_guard hold(lock_);
    *properties = properties_;
    return S_OK;
}

HRESULT CMemAllocator::Commit() {
    std::lock_guard hold(lock_);
    if (committed_) return S_OK;
    if (!propertiesSet_ || properties_.buffers <= 0 || properties_.bufferBytes <= 0) return VFW_E_SIZENOTSET;
    // Decommitted with samples still out: the memory is still there, and
    // those samples simply come back to a live pool.
    if (memory_ == nullptr) {
        const HRESULT hr = allocateLocked();
        if (failed(hr)) return hr;
    }
    committed_ = true;
    return S_OK;
}

HRESULT CMemAllocator::Decommit() {
    std::lock_guard hold(lock_);
    if (!committed_) return S_OK;
    committed_ = false;
    if (allSamplesBackLocked()) freeLocked();
    sampleReturned_.notify_all();
    return S_OK;
}

HRESULT CMemAllocator::GetBuffer(ComPtr<IMediaSample>* sample, const std::int64_t* start,
                                 const std::int64_t* stop, std::uint32_t flags) {
    if (sample == nullptr) return E_POINTER;
    sample->reset();
    CMediaSample* taken = nullptr;
    {
        std::unique_lock hold(lock_);
        for (;;) {
            if (!committed_) return VFW_E_NOT_COMMITTED;
            if (!freeSamples_.empty()) break;
            if ((flags & AM_GBF_NOWAIT) != 0) return VFW_E_TIMEOUT;
            sampleReturned_.wait(hold);
        }
        taken = freeSamples_.back();
        freeSamples_.pop_back();
        taken->prepareForUse(start, stop);
        AddRef();  // the sample's hold on us, given back in ReleaseBuffer
    }
    taken->AddRef();
    sample->attach(taken);
    return S_OK;
}

HRESULT CMemAllocator::ReleaseBuffer(IMediaSample* sample) {
    {
        std::lock_guard hold(lock_);
        const auto ours = std::find_if(samples_.begin(), samples_.end(), [sample](const auto& candidate) {
            return static_cast<IMediaSample*>(candidate.get()) == sample;
        });
        if (ours == samples_.end()) return E_INVALIDARG;
        freeSamples_.push_back(ours->get());
        if (!committed_ && allSamplesBackLocked()) freeLocked();
        sampleReturned_.notify_one();
    }
    // May delete this allocator: nothing of it is touched afterwards.
    Release();
    return S_OK;
}

HRESULT CMemAllocator::allocateLocked() {
    const std::uint64_t alignment =
        std::max<std::uint64_t>(kMinimumAlignment, static_cast<std::uint64_t>(properties_.alignment));
    const std::uint64_t prefix = roundUp(static_cast<std::uint64_t>(properties_.prefixBytes), alignment);
    const std::uint64_t stride =
        prefix + roundUp(static_cast<std::uint64_t>(properties_.bufferBytes), alignment);
    const auto count = static_cast<std::uint64_t>(properties_.buffers);
    if (stride > std::numeric_limits<std::size_t>::max() / count) return E_OUTOFMEMORY;
    const std::uint64_t total = stride * count;

    auto* memory = static_cast<std::uint8_t*>(
        ::operator new[](static_cast<std::size_t>(total), std::align_val_t{alignment}, std::nothrow));
    if (memory == nullptr) return E_OUTOFMEMORY;
    memory_ = memory;
    memoryAlignment_ = static_cast<std::size_t>(alignment);
    samples_.reserve(static_cast<std::size_t>(count));
    freeSamples_.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t index = 0; index < count; ++index) {
        std::uint8_t* data = memory_ + index * stride + prefix;
        samples_.push_back(std::make_unique<CMediaSample>(this, data, properties_.bufferBytes));
        freeSamples_.push_back(samples_.back().get());
    }
    return S_OK;
}

void CMemAllocator::freeLocked() {
    assert(allSamplesBackLocked());
    freeSamples_.clear();
    samples_.clear();
    if (memory_ != nullptr) {
        ::operator delete[](memory_, std::align_val_t{memoryAlignment_});
        memory_ = nullptr;
    }
}
