#pragma once

#include <functional>
#include <string>
#include <vector>

#include "media/base_input_pin.h"
#include "media/base_output_pin.h"
#include "media/media_type.h"

namespace media_fakes {

// The types a fake pin prefers (its GetMediaType list) and the ones it
// accepts (all, when no test is given).
struct PinTypes {
    std::vector<MediaType> offered;
    std::function<bool(const MediaType&)> accepts;
};

// An input pin that hands what it receives to its filter's functions, and
// tells its filter when a connection completes.
class FakeInputPin final : public CBaseInputPin {
public:
    struct Handlers {
        std::function<HRESULT(IMediaSample*)> receive;
        std::function<HRESULT()> endOfStream;
        std::function<void()> connected;
    };

    FakeInputPin(CBaseFilter* filter, CritSec& lock, std::string name, PinTypes types, Handlers handlers);

    HRESULT CheckMediaType(const MediaType& type) override;
    HRESULT GetMediaType(int position, MediaType* type) override;
    HRESULT CompleteConnect(IPin* connector) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;
    HRESULT GetAllocatorRequirements(AllocatorProperties* properties) override;

    // Alignment and prefix asked of the allocator; none by default.
    void requireAllocator(const AllocatorProperties& requirements);

private:
    PinTypes types_;
    Handlers handlers_;
    bool hasRequirements_ = false;
    AllocatorProperties requirements_;
};

// An output pin with a fixed buffer wish; its type list may follow another
// pin's connection (a transform offers what its input got).
class FakeOutputPin final : public CBaseOutputPin {
public:
    FakeOutputPin(CBaseFilter* filter, CritSec& lock, std::string name, PinTypes types,
                  AllocatorProperties wanted, std::function<void()> connected);

    HRESULT CheckMediaType(const MediaType& type) override;
    HRESULT GetMediaType(int position, MediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* request) override;
    HRESULT CompleteConnect(IPin* receivePin) override;

    // What DecideBufferSize was last given and granted.
    AllocatorProperties lastRequest() const;
    AllocatorProperties lastGranted() const;

private:
    PinTypes types_;
    AllocatorProperties wanted_;
    std::function<void()> connected_;
    AllocatorProperties lastRequest_;
    AllocatorProperties lastGranted_;
};

}  // namespace media_fakes
