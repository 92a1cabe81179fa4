#pragma once

#include <atomic>
#include <cstdint>

#include "encode/encoder_interfaces.h"
#include "media/base_output_pin.h"
#include "media/crit_sec.h"

class CGenFilter;

// The frame source's one output pin, "Output". It offers one media type (the
// frame type of its filter's output kind), accepts any video type described
// by a VideoInfo or VideoInfo2 block, and asks for two buffers of the image
// size.
class CGenOutput final : public CBaseOutputPin, public IFrameRateSource {
public:
    CGenOutput(CGenFilter* owner, CritSec& pinLock);

    // S_OK for the video major type with a VideoInfo or VideoInfo2 format
    // block long enough for its header, whatever the subtype; else S_FALSE.
    HRESULT CheckMediaType(const MediaType& type) override;
    // Position 0: the frame type (E_FAIL while the size is unknown). Below 0:
    // E_INVALIDARG; above 0: VFW_S_NO_MORE_ITEMS.
    HRESULT GetMediaType(int position, MediaType* type) override;
    HRESULT SetMediaType(const MediaType& type) override;
    // Two buffers of the agreed type's image size, alignment and prefix as the
    // input pin asked. A failure of SetProperties is returned unchanged; a
    // granted buffer smaller than asked gives E_FAIL.
    HRESULT DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* request) override;
    // Quality messages are of no use to a source fed by the caller: S_OK.
    HRESULT Notify(IBaseFilter* sender, const Quality& quality) override;
    // The rate the filter was set up with, exactly.
    HRESULT GetFrameRate(std::int32_t* numerator, std::int32_t* denominator) override;

    // The image size of the agreed type, from its own bitmap header; 0 when
    // not connected.
    std::uint32_t imageBytes() const { return imageBytes_.load(std::memory_order_acquire); }

protected:
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;

private:
    CGenFilter* const owner_;
    std::atomic<std::uint32_t> imageBytes_{0};
};
