#include "media/base_pin.h"

#include <utility>

namespace {

// Enough for any pin that means it; a pin that never stops offering types
// cannot hang a connection.
constexpr int kMostTypesTried = 256;

// Refusals that say nothing beyond "not this type".
bool isPlainRefusal(HRESULT hr) {
    return hr == E_FAIL || hr == E_INVALIDARG || hr == VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT refusalOf(HRESULT checkResult) {
    return succeeded(checkResult) || isPlainRefusal(checkResult) ? VFW_E_TYPE_NOT_ACCEPTED : checkResult;
}

}  // namespace

CBasePin::CBasePin(CBaseFilter* filter, CritSec& lock, std::string name, PinDirection direction)
    : CUnknown(filter), lock_(lock), filter_(filter), name_(std::move(name)), direction_(direction) {}

CBasePin::~CBasePin() = default;

HRESULT CBasePin::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IPin::kIid) return returnInterface(static_cast<IPin*>(this), object);
    if (iid == IQualityControl::kIid) return returnInterface(static_cast<IQualityControl*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(iid, object);
}

HRESULT CBasePin::Connect(IPin* receivePin, const MediaType* type) {
    if (receivePin == nullptr) return E_POINTER;
    AutoLock hold(lock_);
    if (connected_) return VFW_E_ALREADY_CONNECTED;
    if (!filter_->isStopped()) return VFW_E_NOT_STOPPED;
    return agreeMediaType(receivePin, type);
}

HRESULT CBasePin::agreeMediaType(IPin* receivePin, const MediaType* pattern) {
    if (pattern != nullptr && !isPartiallySpecified(*pattern)) return attemptConnection(receivePin, *pattern);
    HRESULT failure = VFW_E_NO_ACCEPTABLE_TYPES;
    for (IPin* typeSource : {receivePin, static_cast<IPin*>(this)}) {
        const HRESULT hr = tryMediaTypes(receivePin, typeSource, pattern, &failure);
        if (succeeded(hr)) return hr;
    }
    return failure;
}

HRESULT CBasePin::tryMediaTypes(IPin* receivePin, IPin* typeSource, const MediaType* pattern,
                                HRESULT* failure) {
    for (int position = 0; position < kMostTypesTried; ++position) {
        MediaType candidate;
        if (typeSource->EnumMediaTypes(position, &candidate) != S_OK) break;
        if (pattern != nullptr && !matchesPartialType(candidate, *pattern)) continue;
        const HRESULT hr = attemptConnection(receivePin, candidate);
        if (succeeded(hr)) return hr;
        if (*failure == VFW_E_NO_ACCEPTABLE_TYPES && !isPlainRefusal(hr)) *failure = hr;
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT CBasePin::checkCandidate(IPin* peer, const MediaType& type) {
    const HRESULT hr = CheckConnect(peer);
    if (failed(hr)) {
        BreakConnect();
        return hr;
    }
    const HRESULT typeResult = CheckMediaType(type);
    if (typeResult != S_OK) {
        BreakConnect();
        return refusalOf(typeResult);
    }
    return S_OK;
}

HRESULT CBasePin::attemptConnection(IPin* receivePin, const MediaType& type) {
    HRESULT hr = checkCandidate(receivePin, type);
    if (failed(hr)) return hr;
    connected_ = ComPtr<IPin>(receivePin);
    hr = SetMediaType(type);
    if (succeeded(hr)) {
        hr = receivePin->ReceiveConnection(this, type);
        if (succeeded(hr)) {
            hr = CompleteConnect(receivePin);
            if (succeeded(hr)) return S_OK;
            receivePin->Disconnect();
        }
    }
    forgetConnection();
    return hr;
}

HRESULT CBasePin::ReceiveConnection(IPin* connector, const MediaType& type) {
    if (connector == nullptr) return E_POINTER;
    AutoLock hold(lock_);
    if (connected_) return VFW_E_ALREADY_CONNECTED;
    if (!filter_->isStopped()) return VFW_E_NOT_STOPPED;
    HRESULT hr = checkCandidate(connector, type);
    if (failed(hr)) return hr;
    connected_ = ComPtr<IPin>(connector);
    hr = SetMediaType(type);
    if (succeeded(hr)) {
        hr = CompleteConnect(connector);
        if (succeeded(hr)) return S_OK;
    }
    forgetConnection();
    return hr;
}

void CBasePin::forgetConnection() {
    connected_.reset();
    mediaType_ = MediaType{};
    BreakConnect();
}

HRESULT CBasePin::Disconnect() {
    AutoLock hold(lock_);
    if (!filter_->isStopped()) return VFW_E_NOT_STOPPED;
    if (!connected_) return S_FALSE;
    BreakConnect();
    connected_.reset();
    mediaType_ = MediaType{};
    return S_OK;
}

HRESULT CBasePin::ConnectedTo(ComPtr<IPin>* pin) {
    if (pin == nullptr) return E_POINTER;
    AutoLock hold(lock_);
    *pin = connected_;
    return connected_ ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT CBasePin::QueryPinInfo(PinInfo* info) {
    if (info == nullptr) return E_POINTER;
    info->filter = ComPtr<IBaseFilter>(filter_);
    info->direction = direction_;
    info->name = name_;
    return S_OK;
}

HRESULT CBasePin::QueryDirection(PinDirection* direction) {
    if (direction == nullptr) return E_POINTER;
    *direction = direction_;
    return S_OK;
}

HRESULT CBasePin::EnumMediaTypes(int position, MediaType* type) {
    if (type == nullptr) return E_POINTER;
    if (position < 0) return S_FALSE;
    AutoLock hold(lock_);
    return GetMediaType(position, type) == S_OK ? S_OK : S_FALSE;
}

HRESULT CBasePin::EndOfStream() {
    return S_OK;
}
HRESULT CBasePin::BeginFlush() {
    return E_UNEXPECTED;
}
HRESULT CBasePin::EndFlush() {
    return E_UNEXPECTED;
}

HRESULT CBasePin::Notify(IBaseFilter*, const Quality&) {
    return E_NOTIMPL;
}

HRESULT CBasePin::SetSink(IQualityControl* sink) {
    AutoLock hold(lock_);
    qualitySink_ = sink;
    return S_OK;
}

HRESULT CBasePin::Active() {
    return S_OK;
}
HRESULT CBasePin::Inactive() {
    return S_OK;
}
HRESULT CBasePin::Run(std::int64_t) {
    return S_OK;
}

HRESULT CBasePin::GetMediaType(int, MediaType*) {
    return VFW_S_NO_MORE_ITEMS;
}

HRESULT CBasePin::SetMediaType(const MediaType& type) {
    mediaType_ = type;
    return S_OK;
}

HRESULT CBasePin::CheckConnect(IPin* pin) {
    PinDirection other = direction_;
    const HRESULT hr = pin->QueryDirection(&other);
    if (failed(hr)) return hr;
    return other == direction_ ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT CBasePin::BreakConnect() {
    return S_OK;
}
HRESULT CBasePin::CompleteConnect(IPin*) {
    return S_OK;
}

bool CBasePin::isConnected() const {
    AutoLock hold(lock_);
    return static_cast<bool>(connected_);
}

MediaType CBasePin::connectionType() const {
    AutoLock hold(lock_);
    return mediaType_;
}
