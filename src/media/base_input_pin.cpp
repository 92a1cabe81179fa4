#include "media/base_input_pin.h"

#include <utility>

#include "media/mem_allocator.h"

CBaseInputPin::CBaseInputPin(CBaseFilter* filter, CritSec& lock, std::string name)
    : CBasePin(filter, lock, std::move(name), PinDirection::Input) {}

HRESULT CBaseInputPin::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IMemInputPin::kIid) return returnInterface(static_cast<IMemInputPin*>(this), object);
    return CBasePin::NonDelegatingQueryInterface(iid, object);
}

HRESULT CBaseInputPin::GetAllocator(ComPtr<IMemAllocator>* allocator) {
    if (allocator == nullptr) return E_POINTER;
    AutoLock hold(lock_);
    if (!allocator_) {
        ComPtr<CMemAllocator> made = makeComObject<CMemAllocator>();
        if (!made) {
            allocator->reset();
            return E_OUTOFMEMORY;
        }
        allocator_ = made;
    }
    *allocator = allocator_;
    return S_OK;
}

HRESULT CBaseInputPin::NotifyAllocator(IMemAllocator* allocator, bool) {
    if (allocator == nullptr) return E_POINTER;
    AutoLock hold(lock_);
    allocator_ = ComPtr<IMemAllocator>(allocator);
    return S_OK;
}

HRESULT CBaseInputPin::GetAllocatorRequirements(AllocatorProperties*) {
    return E_NOTIMPL;
}

HRESULT CBaseInputPin::Receive(IMediaSample* sample) {
    if (sample == nullptr) return E_POINTER;
    return CheckStreaming();
}

HRESULT CBaseInputPin::CheckStreaming() const {
    if (filter()->isStopped()) return VFW_E_WRONG_STATE;
    if (isFlushing()) return S_FALSE;
    return S_OK;
}

HRESULT CBaseInputPin::BeginFlush() {
    flushing_.store(true, std::memory_order_release);
    return S_OK;
}

HRESULT CBaseInputPin::EndFlush() {
    flushing_.store(false, std::memory_order_release);
    return S_OK;
}

HRESULT CBaseInputPin::Inactive() {
    flushing_.store(false, std::memory_order_release);
    AutoLock hold(lock_);
    // A peer that sends no samples (a byte-stream connection) never gave one.
    if (!allocator_) return S_OK;
    return allocator_->Decommit();
}

HRESULT CBaseInputPin::BreakConnect() {
    if (allocator_) {
        allocator_->Decommit();
        allocator_.reset();
    }
    return S_OK;
}
