#pragma once

#include <atomic>
#include <string>

#include "media/base_pin.h"
#include "media/stream_interfaces.h"

// An input pin that receives samples. It offers its own CMemAllocator (made
// on demand) and remembers the allocator the output pin settles on.
//
// Subclasses override Receive and EndOfStream, calling the base first: the
// base Receive refuses samples while the filter is stopped
// (VFW_E_WRONG_STATE) and drops them while flushing (S_FALSE). Receive may be
// called on the upstream filter's thread, and blocking in it is how a filter
// holds back a producer that runs ahead.
class CBaseInputPin : public CBasePin, public IMemInputPin {
public:
    HRESULT GetAllocator(ComPtr<IMemAllocator>* allocator) override;
    HRESULT NotifyAllocator(IMemAllocator* allocator, bool readOnly) override;
    // No requirements: E_NOTIMPL.
    HRESULT GetAllocatorRequirements(AllocatorProperties* properties) override;
    HRESULT Receive(IMediaSample* sample) override;

    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT Inactive() override;
    HRESULT BreakConnect() override;

    bool isFlushing() const { return flushing_.load(std::memory_order_acquire); }

protected:
    CBaseInputPin(CBaseFilter* filter, CritSec& lock, std::string name);
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;

    // S_OK while samples may flow, VFW_E_WRONG_STATE when the filter is
    // stopped, S_FALSE while flushing.
    HRESULT CheckStreaming() const;

private:
    ComPtr<IMemAllocator> allocator_;
    std::atomic<bool> flushing_{false};
};
