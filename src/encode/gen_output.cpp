#include "encode/gen_output.h"

#include <cstdint>
#include <limits>
#include <optional>

#include "encode/gen_filter.h"
#include "media/known_ids.h"
#include "media/video_info.h"

namespace {

constexpr std::int32_t kBuffersAsked = 2;

// The picture size a type's bitmap header states, when it is usable as a
// buffer size.
std::optional<std::uint32_t> statedImageBytes(const MediaType& type) {
    const std::optional<BitmapInfoHeader> bitmap = readBitmapHeaderOfType(type);
    if (!bitmap || bitmap->sizeImage == 0 ||
        bitmap->sizeImage > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return bitmap->sizeImage;
}

}  // namespace

CGenOutput::CGenOutput(CGenFilter* owner, CritSec& pinLock)
    : CBaseOutputPin(owner, pinLock, "Output"), owner_(owner) {}

HRESULT CGenOutput::CheckMediaType(const MediaType& type) {
    if (type.majorType != MEDIATYPE_Video) return S_FALSE;
    if (type.formatType != FORMAT_VideoInfo && type.formatType != FORMAT_VideoInfo2) return S_FALSE;
    // A block too short for its header would leave the buffer size unknown.
    if (!readBitmapHeaderOfType(type)) return S_FALSE;
    return S_OK;
}

HRESULT CGenOutput::GetMediaType(int position, MediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    return makeFrameMediaType(owner_->format(), type);
}

HRESULT CGenOutput::SetMediaType(const MediaType& type) {
    const HRESULT hr = CBaseOutputPin::SetMediaType(type);
    if (failed(hr)) return hr;
    imageBytes_.store(statedImageBytes(type).value_or(0), std::memory_order_release);
    return S_OK;
}

HRESULT CGenOutput::DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* request) {
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    AutoLock hold(lock_);
    const std::optional<std::uint32_t> imageSize = statedImageBytes(mediaType_);
    if (!imageSize) return E_FAIL;
    request->buffers = kBuffersAsked;
    request->bufferBytes = static_cast<std::int32_t>(*imageSize);
    AllocatorProperties granted;
    const HRESULT hr = allocator->SetProperties(*request, &granted);
    if (failed(hr)) return hr;
    if (granted.bufferBytes < request->bufferBytes) return E_FAIL;
    return S_OK;
}

HRESULT CGenOutput::Notify(IBaseFilter*, const Quality&) {
    return S_OK;
}

HRESULT CGenOutput::GetFrameRate(std::int32_t* numerator, std::int32_t* denominator) {
    if (numerator == nullptr || denominator == nullptr) return E_POINTER;
    const FrameFormat& format = owner_->format();
    if (format.rateNumerator <= 0 || format.rateDenominator <= 0) return E_FAIL;
    *numerator = format.rateNumerator;
    *denominator = format.rateDenominator;
    return S_OK;
}

HRESULT CGenOutput::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IFrameRateSource::kIid) return returnInterface(static_cast<IFrameRateSource*>(this), object);
    return CBaseOutputPin::NonDelegatingQueryInterface(iid, object);
}
