#include "media/base_filter.h"

#include "media/base_pin.h"

CBaseFilter::CBaseFilter(CritSec& stateLock, const Guid& clsid) : stateLock_(stateLock), clsid_(clsid) {}

CBaseFilter::~CBaseFilter() = default;

HRESULT CBaseFilter::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IBaseFilter::kIid) return returnInterface(static_cast<IBaseFilter*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(iid, object);
}

HRESULT CBaseFilter::GetClassID(Guid* clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = clsid_;
    return S_OK;
}

HRESULT CBaseFilter::Stop() {
    AutoLock hold(stateLock_);
    HRESULT result = S_OK;
    if (state() != FilterState::Stopped) {
        const int count = GetPinCount();
        for (int index = 0; index < count; ++index) {
            CBasePin* pin = GetPin(index);
            if (pin == nullptr || !pin->isConnected()) continue;
            const HRESULT hr = pin->Inactive();
            if (failed(hr) && succeeded(result)) result = hr;
        }
    }
    state_.store(FilterState::Stopped, std::memory_order_release);
    return result;
}

HRESULT CBaseFilter::Pause() {
    AutoLock hold(stateLock_);
    if (state() == FilterState::Stopped) {
        const int count = GetPinCount();
        for (int index = 0; index < count; ++index) {
            CBasePin* pin = GetPin(index);
            if (pin == nullptr || !pin->isConnected()) continue;
            const HRESULT hr = pin->Active();
            if (failed(hr)) {
                deactivatePins(index);
                return hr;
            }
        }
    }
    state_.store(FilterState::Paused, std::memory_order_release);
    return S_OK;
}

HRESULT CBaseFilter::Run(std::int64_t start) {
    AutoLock hold(stateLock_);
    if (state() == FilterState::Stopped) {
        const HRESULT hr = Pause();
        if (failed(hr)) return hr;
    }
    if (state() != FilterState::Running) {
        const int count = GetPinCount();
        for (int index = 0; index < count; ++index) {
            CBasePin* pin = GetPin(index);
            if (pin == nullptr || !pin->isConnected()) continue;
            const HRESULT hr = pin->Run(start);
            if (failed(hr)) return hr;
        }
    }
    state_.store(FilterState::Running, std::memory_order_release);
    return S_OK;
}

void CBaseFilter::deactivatePins(int count) {
    for (int index = 0; index < count; ++index) {
        CBasePin* pin = GetPin(index);
        if (pin != nullptr && pin->isConnected()) pin->Inactive();
    }
}

HRESULT CBaseFilter::EnumPins(int position, ComPtr<IPin>* pin) {
    if (pin == nullptr) return E_POINTER;
    pin->reset();
    if (position < 0 || position >= GetPinCount()) return S_FALSE;
    CBasePin* found = GetPin(position);
    if (found == nullptr) return S_FALSE;
    *pin = ComPtr<IPin>(found);
    return S_OK;
}

HRESULT CBaseFilter::JoinFilterGraph(IFilterGraph* graph, const std::string& name) {
    AutoLock hold(stateLock_);
    name_ = graph != nullptr ? name : std::string();
    return S_OK;
}

std::string CBaseFilter::name() const {
    AutoLock hold(stateLock_);
    return name_;
}
