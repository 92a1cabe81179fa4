#include "support/media_fakes/fake_pins.h"

#include <utility>

namespace media_fakes {

FakeInputPin::FakeInputPin(CBaseFilter* filter, CritSec& lock, std::string name, PinTypes types,
                           Handlers handlers)
    : CBaseInputPin(filter, lock, std::move(name)),
      types_(std::move(types)),
      handlers_(std::move(handlers)) {}

HRESULT FakeInputPin::CheckMediaType(const MediaType& type) {
    if (!types_.accepts) return S_OK;
    return types_.accepts(type) ? S_OK : S_FALSE;
}

HRESULT FakeInputPin::GetMediaType(int position, MediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (static_cast<std::size_t>(position) >= types_.offered.size()) return VFW_S_NO_MORE_ITEMS;
    *type = types_.offered[static_cast<std::size_t>(position)];
    return S_OK;
}

HRESULT FakeInputPin::CompleteConnect(IPin* connector) {
    const HRESULT hr = CBaseInputPin::CompleteConnect(connector);
    if (succeeded(hr) && handlers_.connected) handlers_.connected();
    return hr;
}

HRESULT FakeInputPin::Receive(IMediaSample* sample) {
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    return handlers_.receive ? handlers_.receive(sample) : S_OK;
}

HRESULT FakeInputPin::EndOfStream() {
    const HRESULT hr = CheckStreaming();
    if (hr != S_OK) return hr;
    return handlers_.endOfStream ? handlers_.endOfStream() : S_OK;
}

HRESULT FakeInputPin::GetAllocatorRequirements(AllocatorProperties* properties) {
    if (!hasRequirements_) return E_NOTIMPL;
    *properties = requirements_;
    return S_OK;
}

void FakeInputPin::requireAllocator(const AllocatorProperties& requirements) {
    hasRequirements_ = true;
    requirements_ = requirements;
}

FakeOutputPin::FakeOutputPin(CBaseFilter* filter, CritSec& lock, std::string name, PinTypes types,
                             AllocatorProperties wanted, std::function<void()> connected)
    : CBaseOutputPin(filter, lock, std::move(name)),
      types_(std::move(types)),
      wanted_(wanted),
      connected_(std::move(connected)) {}

HRESULT FakeOutputPin::CheckMediaType(const MediaType& type) {
    if (!types_.accepts) return S_OK;
    return types_.accepts(type) ? S_OK : S_FALSE;
}

HRESULT FakeOutputPin::GetMediaType(int position, MediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (static_cast<std::size_t>(position) >= types_.offered.size()) return VFW_S_NO_MORE_ITEMS;
    *type = types_.offered[static_cast<std::size_t>(position)];
    return S_OK;
}

HRESULT FakeOutputPin::DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* request) {
    AutoLock hold(lock_);
    request->buffers = wanted_.buffers;
    request->bufferBytes = wanted_.bufferBytes;
    lastRequest_ = *request;
    AllocatorProperties granted;
    const HRESULT hr = allocator->SetProperties(*request, &granted);
    if (failed(hr)) return hr;
    lastGranted_ = granted;
    return granted.bufferBytes < request->bufferBytes ? E_FAIL : S_OK;
}

HRESULT FakeOutputPin::CompleteConnect(IPin* receivePin) {
    const HRESULT hr = CBaseOutputPin::CompleteConnect(receivePin);
    if (succeeded(hr) && connected_) connected_();
    return hr;
}

AllocatorProperties FakeOutputPin::lastRequest() const {
    AutoLock hold(lock_);
    return lastRequest_;
}

AllocatorProperties FakeOutputPin::lastGranted() const {
    AutoLock hold(lock_);
    return lastGranted_;
}

}  // namespace media_fakes
