#include "components/avi_mux_filter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "media/known_ids.h"

namespace {

constexpr std::int32_t kStreamBuffers = 2;
constexpr std::int32_t kStreamBufferBytes = 1 << 20;

}  // namespace

CAviMuxOutput::CAviMuxOutput(CAviMux* owner, CritSec& lock) : CBaseOutputPin(owner, lock, "AVI Out") {}

HRESULT CAviMuxOutput::CheckMediaType(const MediaType& type) {
    return type.majorType == MEDIATYPE_Stream ? S_OK : S_FALSE;
}

HRESULT CAviMuxOutput::GetMediaType(int position, MediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    *type = MediaType{};
    type->majorType = MEDIATYPE_Stream;
    type->subtype = MEDIASUBTYPE_Avi;
    type->formatType = FORMAT_None;
    return S_OK;
}

HRESULT CAviMuxOutput::DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* request) {
    request->buffers = kStreamBuffers;
    request->bufferBytes = kStreamBufferBytes;
    AllocatorProperties granted;
    const HRESULT hr = allocator->SetProperties(*request, &granted);
    if (failed(hr)) return hr;
    return granted.bufferBytes < 1 ? E_FAIL : S_OK;
}

std::int64_t CAviMuxOutput::writeAt(std::int64_t offset, const std::uint8_t* bytes, std::size_t count) {
    if (count == 0) return 0;
    const std::int64_t end =
        offset + static_cast<std::int64_t>(std::min<std::size_t>(count, kStreamBufferBytes));
    ComPtr<IMediaSample> sample;
    HRESULT hr = GetDeliveryBuffer(&sample, &offset, &end, 0);
    std::uint8_t* buffer = nullptr;
    if (succeeded(hr)) hr = sample->GetPointer(&buffer);
    if (failed(hr) || buffer == nullptr) return -EIO;
    const std::size_t chunk = std::min<std::size_t>(static_cast<std::size_t>(end - offset),
                                                    static_cast<std::size_t>(sample->GetSize()));
    std::memcpy(buffer, bytes, chunk);
    sample->SetActualDataLength(static_cast<std::int32_t>(chunk));
    const std::int64_t chunkEnd = offset + static_cast<std::int64_t>(chunk);
    sample->SetTime(&offset, &chunkEnd);
    hr = Deliver(sample.get());
    if (hr != S_OK) {
        const int error = errnoFromHresult(hr);
        return -(error > 0 ? error : EIO);
    }
    return static_cast<std::int64_t>(chunk);
}

CAviMux::CAviMux()
    : CMovieMux(CLSID_AviDest, MovieContainer::Avi),
      output_(std::make_unique<CAviMuxOutput>(this, pinLock_)) {}

CBasePin* CAviMux::GetPin(int n) {
    if (n == 0) return input_.get();
    if (n == 1) return output_.get();
    return nullptr;
}

HRESULT CAviMux::openMovie() {
    // Called with the movie's lock held, which must never be taken before
    // the pins' lock (a connection takes them the other way round). The
    // connection cannot change while the graph changes state, so it is read
    // without the pins' lock, as the streaming path reads it.
    return output_->connectedPin() != nullptr ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT CAviMux::closeMovie(bool complete) {
    // The file writer completes its file only when the end-of-stream follows the last byte.
    if (!complete) return S_OK;
    return output_->DeliverEndOfStream();
}

// A movie of one video stream has nothing to interleave: every frame goes to
// the file as it comes, whatever the mode and times.
HRESULT CAviMux::put_Mode(InterleavingMode) {
    return S_OK;
}

HRESULT CAviMux::put_Interleaving(const std::int64_t*, const std::int64_t*) {
    return S_OK;
}

HRESULT CAviMux::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IConfigInterleaving::kIid)
        return returnInterface(static_cast<IConfigInterleaving*>(this), object);
    return CMovieMux::NonDelegatingQueryInterface(iid, object);
}
