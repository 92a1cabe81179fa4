#include "components/encoder_pins.h"

#include <cstring>
#include <limits>

#include "components/encoder_filter.h"
#include "media/known_ids.h"
#include "media/video_info.h"

namespace {

constexpr std::int32_t kOutputBuffers = 2;
constexpr std::int32_t kBufferAlignment = 64;

// The frame rate as the time per frame says it, when the source cannot say
// it exactly: 24000/1001 and the other rates of whole thousandths are found
// again from their rounded times.
bool recoverRateFromFrameTime(std::int64_t frameTime, int* numerator, int* denominator) {
    if (frameTime <= 0) return false;
    for (const int base : {1, 1001, 1000}) {
        const double rate = 1e7 * base / static_cast<double>(frameTime);
        const long long whole = static_cast<long long>(rate + 0.5);
        if (whole <= 0 || whole > std::numeric_limits<int>::max()) continue;
        const long long again = static_cast<long long>(1e7 * base / static_cast<double>(whole) + 0.5);
        if (again == frameTime) {
            *numerator = static_cast<int>(whole);
            *denominator = base;
            return true;
        }
    }
    if (frameTime > std::numeric_limits<int>::max()) return false;
    *numerator = 10000000;
    *denominator = static_cast<int>(frameTime);
    return true;
}

}  // namespace

std::optional<FrameLayout> readFrameLayout(const MediaType& type) {
    if (type.majorType != MEDIATYPE_Video) return std::nullopt;
    if (type.formatType != FORMAT_VideoInfo && type.formatType != FORMAT_VideoInfo2) return std::nullopt;
    const std::optional<BitmapInfoHeader> bitmap = readBitmapHeaderOfType(type);
    if (!bitmap || bitmap->width <= 0 || bitmap->height <= 0) return std::nullopt;
    // A four-character subtype keeps its code in the first field.
    if (type.subtype != fourccGuid(type.subtype.data1)) return std::nullopt;
    const std::optional<OutputFormat> kind =
        toOutputFormat(FramePixelFormat{type.subtype.data1, bitmap->compression, bitmap->bitCount});
    if (!kind) return std::nullopt;
    FrameLayout layout;
    layout.kind = *kind;
    layout.width = bitmap->width;
    layout.height = bitmap->height;
    // Rows are padded to 4 bytes; the picture must fill the stated image size.
    const std::uint64_t rowBytes =
        ((static_cast<std::uint64_t>(bitmap->width) * bitmap->bitCount + 31) / 8) & ~3ull;
    if (rowBytes * static_cast<std::uint64_t>(bitmap->height) != bitmap->sizeImage) return std::nullopt;
    layout.rowBytes = static_cast<std::size_t>(rowBytes);
    return layout;
}

Guid makeEncodedSubtype(const EncodedStreamInfo& info) {
    if (info.codecTag != 0) return fourccGuid(info.codecTag);
    return fourccGuid(makeFourCC("MJPG"));
}

CEncoderInputPin::CEncoderInputPin(CEncoderFilter* owner, CritSec& lock)
    : CBaseInputPin(owner, lock, "Input"), owner_(owner) {}

HRESULT CEncoderInputPin::CheckMediaType(const MediaType& type) {
    const std::optional<FrameLayout> layout = readFrameLayout(type);
    if (!layout || !owner_->takesKind(layout->kind)) return S_FALSE;
    return S_OK;
}

HRESULT CEncoderInputPin::CompleteConnect(IPin* connector) {
    HRESULT hr = CBaseInputPin::CompleteConnect(connector);
    if (failed(hr)) return hr;
    const MediaType type = connectionType();
    std::optional<FrameLayout> layout = readFrameLayout(type);
    if (!layout) return VFW_E_TYPE_NOT_ACCEPTED;
    ComPtr<IPin> source(connector);
    std::int32_t numerator = 0, denominator = 0;
    const ComPtr<IFrameRateSource> rate = source.as<IFrameRateSource>();
    if (!rate || failed(rate->GetFrameRate(&numerator, &denominator))) {
        const std::optional<VideoInfoHeader> info = readVideoInfoHeader(type.format);
        if (!info || !recoverRateFromFrameTime(info->avgTimePerFrame, &numerator, &denominator))
            return VFW_E_TYPE_NOT_ACCEPTED;
    }
    layout->rateNumerator = numerator;
    layout->rateDenominator = denominator;
    hr = owner_->openEncoder(*layout);
    if (failed(hr)) return hr;
    layout_ = layout;
    return S_OK;
}

HRESULT CEncoderInputPin::BreakConnect() {
    owner_->closeEncoder();
    layout_.reset();
    return CBaseInputPin::BreakConnect();
}

HRESULT CEncoderInputPin::Receive(IMediaSample* sample) {
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    if (!layout_ ||
        sample->GetActualDataLength() < static_cast<std::int64_t>(layout_->rowBytes) * layout_->height)
        return E_INVALIDARG;
    return owner_->submitFrame(sample);
}

HRESULT CEncoderInputPin::EndOfStream() {
    owner_->endOfStream();
    return S_OK;
}

CEncoderOutputPin::CEncoderOutputPin(CEncoderFilter* owner, CritSec& lock)
    : CBaseOutputPin(owner, lock, "Output"), owner_(owner) {}

HRESULT CEncoderOutputPin::CheckMediaType(const MediaType& type) {
    const FrameEncoder* encoder = owner_->encoder();
    if (encoder == nullptr) return VFW_E_NOT_CONNECTED;
    if (type.majorType != MEDIATYPE_Video || type.subtype != makeEncodedSubtype(encoder->streamInfo()))
        return S_FALSE;
    return S_OK;
}

HRESULT CEncoderOutputPin::GetMediaType(int position, MediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    const FrameEncoder* encoder = owner_->encoder();
    if (encoder == nullptr) return E_FAIL;
    *type = MediaType{};
    type->majorType = MEDIATYPE_Video;
    type->subtype = makeEncodedSubtype(encoder->streamInfo());
    type->fixedSizeSamples = false;
    type->temporalCompression = false;
    type->formatType = FORMAT_None;
    return S_OK;
}

HRESULT CEncoderOutputPin::DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* request) {
    const FrameEncoder* encoder = owner_->encoder();
    if (encoder == nullptr) return E_FAIL;
    const std::size_t largest = encoder->maxPacketBytes();
    if (largest == 0 || largest > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return E_OUTOFMEMORY;
    request->buffers = kOutputBuffers;
    request->bufferBytes = static_cast<std::int32_t>(largest);
    if (request->alignment < kBufferAlignment) request->alignment = kBufferAlignment;
    AllocatorProperties granted;
    const HRESULT hr = allocator->SetProperties(*request, &granted);
    if (failed(hr)) return hr;
    if (granted.bufferBytes < request->bufferBytes || granted.buffers < 1) return E_FAIL;
    return S_OK;
}

HRESULT CEncoderOutputPin::GetStreamInfo(EncodedStreamInfo* info) {
    if (info == nullptr) return E_POINTER;
    const FrameEncoder* encoder = owner_->encoder();
    if (encoder == nullptr) return VFW_E_NOT_CONNECTED;
    *info = encoder->streamInfo();
    return S_OK;
}

HRESULT CEncoderOutputPin::GetTags(std::vector<MovieTag>* tags) {
    if (tags == nullptr) return E_POINTER;
    *tags = owner_->tags();
    return S_OK;
}

HRESULT CEncoderOutputPin::deliverPacket(const std::uint8_t* data, std::size_t bytes,
                                         std::int64_t frameIndex) {
    const std::int64_t start = owner_->frameTime(frameIndex);
    const std::int64_t stop = owner_->frameTime(frameIndex + 1);
    ComPtr<IMediaSample> sample;
    HRESULT hr = GetDeliveryBuffer(&sample, &start, &stop, 0);
    if (failed(hr)) return hr;
    std::uint8_t* buffer = nullptr;
    hr = sample->GetPointer(&buffer);
    if (failed(hr)) return hr;
    if (buffer == nullptr || bytes > static_cast<std::size_t>(sample->GetSize())) return E_FAIL;
    std::memcpy(buffer, data, bytes);
    hr = sample->SetActualDataLength(static_cast<std::int32_t>(bytes));
    if (failed(hr)) return hr;
    sample->SetSyncPoint(true);
    return Deliver(sample.get());
}

HRESULT CEncoderOutputPin::deliverEndOfStream() {
    return DeliverEndOfStream();
}

HRESULT CEncoderOutputPin::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IEncodedStream::kIid) return returnInterface(static_cast<IEncodedStream*>(this), object);
    return CBaseOutputPin::NonDelegatingQueryInterface(iid, object);
}
