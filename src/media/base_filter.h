#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "media/crit_sec.h"
#include "media/filter_interfaces.h"
#include "media/unknown.h"

class CBasePin;

// The common part of every filter: the run state under a lock the subclass
// gives, its name in the graph it is in, and the pins the subclass provides
// through GetPinCount and GetPin.
//
// Pause from stopped activates every connected pin (an output pin commits its
// allocator); Stop deactivates them (allocators decommitted). A filter with
// threads of its own overrides Stop to keep the stop contract of IBaseFilter:
// it first lets its threads finish and deliver everything it was given, then
// calls CBaseFilter::Stop. It must not hold the state lock while it waits for
// a thread that might take it.
//
// The state is readable from any thread without the lock (state(),
// isStopped()); it changes only under the state lock.
class CBaseFilter : public CUnknown, public IBaseFilter {
public:
    ~CBaseFilter() override;

    HRESULT GetClassID(Guid* clsid) override;
    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Run(std::int64_t start) override;
    HRESULT EnumPins(int position, ComPtr<IPin>* pin) override;
    HRESULT JoinFilterGraph(IFilterGraph* graph, const std::string& name) override;

    virtual int GetPinCount() = 0;
    // The pin at index n, or null; no reference is added (the filter owns its
    // pins and a pin's count is the filter's).
    virtual CBasePin* GetPin(int n) = 0;

    FilterState state() const { return state_.load(std::memory_order_acquire); }
    bool isStopped() const { return state() == FilterState::Stopped; }
    bool isActive() const { return state() != FilterState::Stopped; }
    // The name it has in its graph; empty out of a graph.
    std::string name() const;

protected:
    CBaseFilter(CritSec& stateLock, const Guid& clsid);
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;
    CritSec& stateLock() const { return stateLock_; }

private:
    // Inactive on the connected pins below count, after a failed activation.
    void deactivatePins(int count);

    CritSec& stateLock_;
    const Guid clsid_;
    std::atomic<FilterState> state_{FilterState::Stopped};
    std::string name_;
};
