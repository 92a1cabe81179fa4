#pragma once

#include <cstdint>
#include <string>

#include "media/base_pin.h"
#include "media/stream_interfaces.h"

// An output pin that delivers samples to an IMemInputPin.
//
// On connection it decides the allocator (DecideAllocator): the input pin's
// allocator when it offers one, else a new CMemAllocator (InitAllocator); in
// both cases the subclass sets the sizes in DecideBufferSize, and the input
// pin is told the choice with NotifyAllocator. The allocator is committed when
// the filter pauses (Active) and decommitted when it stops (Inactive).
//
// GetDeliveryBuffer, Deliver and DeliverEndOfStream are the streaming path:
// they may be called from any thread while the filter is active, and take no
// lock.
class CBaseOutputPin : public CBasePin {
public:
    HRESULT CheckConnect(IPin* pin) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT Active() override;
    HRESULT Inactive() override;
    HRESULT EndOfStream() override;

    // Sets the buffer count and size on the allocator (SetProperties) from
    // request, which holds what the input pin asked for (alignment, prefix).
    virtual HRESULT DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* request) = 0;
    virtual HRESULT DecideAllocator(IMemInputPin* pin, ComPtr<IMemAllocator>* allocator);
    virtual HRESULT InitAllocator(ComPtr<IMemAllocator>* allocator);

    // An empty sample from the allocator; blocks while all are held
    // downstream. VFW_E_NO_ALLOCATOR when the pin is not connected.
    virtual HRESULT GetDeliveryBuffer(ComPtr<IMediaSample>* sample, const std::int64_t* start,
                                      const std::int64_t* stop, std::uint32_t flags);
    // The connected input pin's Receive, its result unchanged.
    virtual HRESULT Deliver(IMediaSample* sample);
    // The connected pin's EndOfStream, its result unchanged.
    virtual HRESULT DeliverEndOfStream();
    virtual HRESULT DeliverBeginFlush();
    virtual HRESULT DeliverEndFlush();

    // The allocator of the connection (null when not connected); no reference.
    IMemAllocator* allocator() const { return allocator_.get(); }

protected:
    CBaseOutputPin(CBaseFilter* filter, CritSec& lock, std::string name);

private:
    ComPtr<IMemAllocator> allocator_;
    ComPtr<IMemInputPin> inputPin_;
};
