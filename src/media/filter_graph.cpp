#include "media/filter_graph.h"

#include <algorithm>
#include <cstdio>

CFilterGraph::CFilterGraph() = default;

CFilterGraph::~CFilterGraph() {
    AutoLock hold(lock_);
    stopLocked();
    for (Member& member : members_) {
        disconnectLocked(member.filter.get());
        member.filter->JoinFilterGraph(nullptr, std::string());
    }
    members_.clear();
}

HRESULT CFilterGraph::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IFilterGraph::kIid) return returnInterface(static_cast<IFilterGraph*>(this), object);
    if (iid == IGraphBuilder::kIid) return returnInterface(static_cast<IGraphBuilder*>(this), object);
    if (iid == IMediaControl::kIid) return returnInterface(static_cast<IMediaControl*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(iid, object);
}

int CFilterGraph::indexOfLocked(IBaseFilter* filter) const {
    for (std::size_t index = 0; index < members_.size(); ++index) {
        if (members_[index].filter.get() == filter) return static_cast<int>(index);
    }
    return -1;
}

bool CFilterGraph::nameTakenLocked(const std::string& name) const {
    return std::any_of(members_.begin(), members_.end(),
                       [&name](const Member& member) { return member.name == name; });
}

HRESULT CFilterGraph::AddFilter(IBaseFilter* filter, const std::string& name) {
    if (filter == nullptr) return E_POINTER;
    AutoLock hold(lock_);
    if (indexOfLocked(filter) >= 0) return E_INVALIDARG;
    std::string unique = name;
    HRESULT result = S_OK;
    for (int suffix = 1; nameTakenLocked(unique); ++suffix) {
        char number[16];
        std::snprintf(number, sizeof number, " %04d", suffix);
        unique = name + number;
        result = VFW_S_DUPLICATE_NAME;
    }
    const HRESULT hr = filter->JoinFilterGraph(static_cast<IFilterGraph*>(this), unique);
    if (failed(hr)) return hr;
    members_.push_back(Member{ComPtr<IBaseFilter>(filter), unique});
    return result;
}

HRESULT CFilterGraph::EnumFilters(int position, ComPtr<IBaseFilter>* filter) {
    if (filter == nullptr) return E_POINTER;
    AutoLock hold(lock_);
    if (position < 0 || static_cast<std::size_t>(position) >= members_.size()) {
        filter->reset();
        return S_FALSE;
    }
    *filter = members_[static_cast<std::size_t>(position)].filter;
    return S_OK;
}

HRESULT CFilterGraph::ConnectDirect(IPin* output, IPin* input, const MediaType* type) {
    if (output == nullptr || input == nullptr) return E_POINTER;
    AutoLock hold(lock_);
    if (state_ != FilterState::Stopped) return VFW_E_NOT_STOPPED;
    for (IPin* pin : {output, input}) {
        PinInfo info;
        const HRESULT hr = pin->QueryPinInfo(&info);
        if (failed(hr)) return hr;
        if (indexOfLocked(info.filter.get()) < 0) return VFW_E_NOT_IN_GRAPH;
    }
    PinDirection outputDirection = PinDirection::Input;
    PinDirection inputDirection = PinDirection::Output;
    output->QueryDirection(&outputDirection);
    input->QueryDirection(&inputDirection);
    if (outputDirection != PinDirection::Output || inputDirection != PinDirection::Input) {
        return VFW_E_INVALID_DIRECTION;
    }
    return output->Connect(input, type);
}

HRESULT CFilterGraph::Connect(IPin* output, IPin* input) {
    return ConnectDirect(output, input, nullptr);
}

HRESULT CFilterGraph::Disconnect(IPin* pin) {
    if (pin == nullptr) return E_POINTER;
    AutoLock hold(lock_);
    return pin->Disconnect();
}

void CFilterGraph::disconnectLocked(IBaseFilter* filter) {
    ComPtr<IPin> pin;
    for (int position = 0; filter->EnumPins(position, &pin) == S_OK; ++position) {
        ComPtr<IPin> peer;
        if (pin->ConnectedTo(&peer) == S_OK) {
            peer->Disconnect();
            pin->Disconnect();
        }
    }
}

std::vector<IBaseFilter*> CFilterGraph::upstreamFirstLocked() const {
    const std::size_t count = members_.size();
    std::vector<std::vector<std::size_t>> downstream(count);
    std::vector<int> upstreamCount(count, 0);
    for (std::size_t index = 0; index < count; ++index) {
        ComPtr<IPin> pin;
        for (int position = 0; members_[index].filter->EnumPins(position, &pin) == S_OK; ++position) {
            PinDirection direction = PinDirection::Input;
            pin->QueryDirection(&direction);
            ComPtr<IPin> peer;
            if (direction != PinDirection::Output || pin->ConnectedTo(&peer) != S_OK) continue;
            PinInfo info;
            if (failed(peer->QueryPinInfo(&info))) continue;
            const int next = indexOfLocked(info.filter.get());
            if (next < 0 || static_cast<std::size_t>(next) == index) continue;
            downstream[index].push_back(static_cast<std::size_t>(next));
            ++upstreamCount[static_cast<std::size_t>(next)];
        }
    }
    // Filters with nothing left upstream go first, in the order they were
    // added; a cycle (which no sound graph has) falls back to that order.
    std::vector<IBaseFilter*> order;
    std::vector<bool> placed(count, false);
    while (order.size() < count) {
        std::size_t chosen = count;
        for (std::size_t index = 0; index < count; ++index) {
            if (!placed[index] && upstreamCount[index] == 0) {
                chosen = index;
                break;
            }
        }
        if (chosen == count) {
            chosen =
                static_cast<std::size_t>(std::find(placed.begin(), placed.end(), false) - placed.begin());
        }
        placed[chosen] = true;
        order.push_back(members_[chosen].filter.get());
        for (std::size_t next : downstream[chosen]) --upstreamCount[next];
    }
    return order;
}

HRESULT CFilterGraph::pauseLocked() {
    std::vector<IBaseFilter*> order = upstreamFirstLocked();
    HRESULT result = S_OK;
    for (auto filter = order.rbegin(); filter != order.rend(); ++filter) {
        const HRESULT hr = (*filter)->Pause();
        if (failed(hr)) {
            stopLocked();
            return hr;
        }
        if (hr != S_OK) result = hr;
    }
    state_ = FilterState::Paused;
    return result;
}

HRESULT CFilterGraph::stopLocked() {
    HRESULT result = S_OK;
    for (IBaseFilter* filter : upstreamFirstLocked()) {
        const HRESULT hr = filter->Stop();
        if (failed(hr) && succeeded(result)) result = hr;
    }
    state_ = FilterState::Stopped;
    return result;
}

HRESULT CFilterGraph::Run() {
    AutoLock hold(lock_);
    if (state_ == FilterState::Running) return S_OK;
    HRESULT result = S_OK;
    if (state_ == FilterState::Stopped) {
        result = pauseLocked();
        if (failed(result)) return result;
    }
    std::vector<IBaseFilter*> order = upstreamFirstLocked();
    for (auto filter = order.rbegin(); filter != order.rend(); ++filter) {
        const HRESULT hr = (*filter)->Run(0);
        if (failed(hr)) {
            stopLocked();
            return hr;
        }
        if (hr != S_OK) result = hr;
    }
    state_ = FilterState::Running;
    return result;
}

HRESULT CFilterGraph::Pause() {
    AutoLock hold(lock_);
    if (state_ == FilterState::Paused) return S_OK;
    if (state_ == FilterState::Stopped) return pauseLocked();
    std::vector<IBaseFilter*> order = upstreamFirstLocked();
    for (auto filter = order.rbegin(); filter != order.rend(); ++filter) {
        const HRESULT hr = (*filter)->Pause();
        if (failed(hr)) {
            stopLocked();
            return hr;
        }
    }
    state_ = FilterState::Paused;
    return S_OK;
}

HRESULT CFilterGraph::Stop() {
    AutoLock hold(lock_);
    return stopLocked();
}
