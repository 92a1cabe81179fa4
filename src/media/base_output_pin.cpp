#include "media/base_output_pin.h"

#include <utility>

#include "media/mem_allocator.h"

CBaseOutputPin::CBaseOutputPin(CBaseFilter* filter, CritSec& lock, std::string name)
    : CBasePin(filter, lock, std::move(name), PinDirection::Output) {}

HRESULT CBaseOutputPin::CheckConnect(IPin* pin) {
    const HRESULT hr = CBasePin::CheckConnect(pin);
    if (failed(hr)) return hr;
    return queryInterface(pin, &inputPin_);
}

HRESULT CBaseOutputPin::BreakConnect() {
    if (allocator_) {
        allocator_->Decommit();
        allocator_.reset();
    }
    inputPin_.reset();
    return S_OK;
}

HRESULT CBaseOutputPin::CompleteConnect(IPin*) {
    return DecideAllocator(inputPin_.get(), &allocator_);
}

HRESULT CBaseOutputPin::DecideAllocator(IMemInputPin* pin, ComPtr<IMemAllocator>* allocator) {
    if (pin == nullptr) return E_POINTER;
    AllocatorProperties requirements;
    // A pin without requirements leaves them at zero.
    pin->GetAllocatorRequirements(&requirements);
    if (requirements.alignment == 0) requirements.alignment = 1;

    // Sizes an allocator and hands it to the input pin; on failure it is let go.
    const auto settle = [&](HRESULT obtained) {
        HRESULT hr = obtained;
        if (succeeded(hr)) {
            AllocatorProperties request = requirements;
            hr = DecideBufferSize(allocator->get(), &request);
            if (succeeded(hr)) hr = pin->NotifyAllocator(allocator->get(), false);
        }
        if (failed(hr)) allocator->reset();
        return hr;
    };
    // The input pin's own allocator first, then one of ours.
    if (succeeded(settle(pin->GetAllocator(allocator)))) return S_OK;
    const HRESULT hr = settle(InitAllocator(allocator));
    return succeeded(hr) ? S_OK : hr;
}

HRESULT CBaseOutputPin::InitAllocator(ComPtr<IMemAllocator>* allocator) {
    ComPtr<CMemAllocator> made = makeComObject<CMemAllocator>();
    if (!made) return E_OUTOFMEMORY;
    *allocator = made;
    return S_OK;
}

HRESULT CBaseOutputPin::Active() {
    if (!allocator_) return VFW_E_NO_ALLOCATOR;
    return allocator_->Commit();
}

HRESULT CBaseOutputPin::Inactive() {
    if (!allocator_) return S_OK;
    return allocator_->Decommit();
}

HRESULT CBaseOutputPin::EndOfStream() {
    return E_UNEXPECTED;
}

HRESULT CBaseOutputPin::GetDeliveryBuffer(ComPtr<IMediaSample>* sample, const std::int64_t* start,
                                          const std::int64_t* stop, std::uint32_t flags) {
    if (sample == nullptr) return E_POINTER;
    if (!allocator_) {
        sample->reset();
        return VFW_E_NO_ALLOCATOR;
    }
    return allocator_->GetBuffer(sample, start, stop, flags);
}

HRESULT CBaseOutputPin::Deliver(IMediaSample* sample) {
    if (!inputPin_) return VFW_E_NOT_CONNECTED;
    return inputPin_->Receive(sample);
}

HRESULT CBaseOutputPin::DeliverEndOfStream() {
    IPin* peer = connectedPin();
    if (peer == nullptr) return VFW_E_NOT_CONNECTED;
    return peer->EndOfStream();
}

HRESULT CBaseOutputPin::DeliverBeginFlush() {
    IPin* peer = connectedPin();
    if (peer == nullptr) return VFW_E_NOT_CONNECTED;
    return peer->BeginFlush();
}

HRESULT CBaseOutputPin::DeliverEndFlush() {
    IPin* peer = connectedPin();
    if (peer == nullptr) return VFW_E_NOT_CONNECTED;
    return peer->EndFlush();
}
