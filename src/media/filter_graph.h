#pragma once

#include <string>
#include <vector>

#include "media/crit_sec.h"
#include "media/filter_interfaces.h"
#include "media/graph_interfaces.h"
#include "media/unknown.h"

// The graph manager (CLSID_FilterGraph): holds the filters added to it,
// connects pins directly, and drives the filters' states together.
//
// Order of state changes. A filter is upstream of another when one of its
// output pins is connected to one of the other's input pins. Pause and Run go
// downstream first, so every filter is ready before anything upstream can
// send to it. Stop goes upstream first: the source stops sending, then each
// filter in turn finishes what it holds into the next one, which is still
// running (the stop contract of IBaseFilter). So Stop returns only when every
// delivered sample and the end-of-stream have reached the last filter and
// that filter has finished (the file is complete). Every filter is stopped
// even after a failure; Stop's result is the first failure reported.
//
// A Pause or Run that a filter refuses stops the whole graph again and
// returns the refusal.
//
// Releasing the graph stops it, breaks every connection and lets the filters
// go; filters keep only a plain pointer to the graph.
class CFilterGraph final : public CUnknown, public IGraphBuilder, public IMediaControl {
public:
    CFilterGraph();
    ~CFilterGraph() override;

    HRESULT AddFilter(IBaseFilter* filter, const std::string& name) override;
    HRESULT EnumFilters(int position, ComPtr<IBaseFilter>* filter) override;
    HRESULT ConnectDirect(IPin* output, IPin* input, const MediaType* type) override;
    HRESULT Disconnect(IPin* pin) override;

    HRESULT Connect(IPin* output, IPin* input) override;

    HRESULT Run() override;
    HRESULT Pause() override;
    HRESULT Stop() override;

protected:
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;

private:
    struct Member {
        ComPtr<IBaseFilter> filter;
        std::string name;
    };

    int indexOfLocked(IBaseFilter* filter) const;
    bool nameTakenLocked(const std::string& name) const;
    std::vector<IBaseFilter*> upstreamFirstLocked() const;
    HRESULT pauseLocked();
    HRESULT stopLocked();
    void disconnectLocked(IBaseFilter* filter);

    mutable CritSec lock_;
    std::vector<Member> members_;  // in the order added
    FilterState state_ = FilterState::Stopped;
};
