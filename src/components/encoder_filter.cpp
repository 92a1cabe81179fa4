#include "components/encoder_filter.h"

#include <cstring>
#include <new>

#include "archive/archive_format.h"
#include "media/known_ids.h"
#include "timing/tag_value_text.h"

namespace {

// The curve code the pictures went through, from the ECRV tag.
std::uint32_t readCurveCode(const std::vector<MovieTag>& tags) {
    for (const MovieTag& tag : tags) {
        if (tag.tag != makeTagCode("ECRV") || tag.value.size() != 4) continue;
        std::uint32_t code = 0;
        for (int byte = 3; byte >= 0; --byte) code = code << 8 | tag.value[static_cast<std::size_t>(byte)];
        return code;
    }
    return 0;
}

// An archive's movie says so with its ARCV tag, whatever the value.
bool isArchive(const std::vector<MovieTag>& tags) {
    for (const MovieTag& tag : tags)
        if (tag.tag == makeTagCode(kTagArchiveVersion)) return true;
    return false;
}

}  // namespace

CEncoderFilter::CEncoderFilter(const Guid& clsid)
    : CBaseFilter(stateLock_, clsid),
      takesBayer_(clsid == CLSID_RawBayerEncoder),
      input_(std::make_unique<CEncoderInputPin>(this, pinLock_)),
      output_(std::make_unique<CEncoderOutputPin>(this, pinLock_)) {}

CEncoderFilter::~CEncoderFilter() {
    workers_.stop(true);
}

CBasePin* CEncoderFilter::GetPin(int n) {
    if (n == 0) return input_.get();
    if (n == 1) return output_.get();
    return nullptr;
}

bool CEncoderFilter::takesKind(OutputFormat kind) const {
    return takesBayer_ ? kind == OutputFormat::Raw : kind != OutputFormat::Raw;
}

HRESULT CEncoderFilter::openEncoder(const FrameLayout& layout) {
    std::unique_ptr<FrameEncoder> encoder;
    try {
        encoder = makeFrameEncoder(layout.kind);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    EncoderChoices choices;
    {
        std::lock_guard<std::mutex> lock(settingsLock_);
        choices.quality = quality_;
        choices.curveCode = readCurveCode(tags_);
        choices.markArchiveFrames = isArchive(tags_);
    }
    if (const Status opened = encoder->open(layout, choices); !opened.ok()) {
        std::lock_guard<std::mutex> lock(settingsLock_);
        messages_.push_back("the encoder cannot take " + std::to_string(layout.width) + "x" +
                            std::to_string(layout.height) + " frames: " + opened.message());
        return E_FAIL;
    }
    encoder_ = std::move(encoder);
    layout_ = layout;
    return S_OK;
}

void CEncoderFilter::closeEncoder() {
    workers_.stop(true);
    encoder_.reset();
}

std::vector<MovieTag> CEncoderFilter::tags() const {
    std::lock_guard<std::mutex> lock(settingsLock_);
    return tags_;
}

void CEncoderFilter::endOfStream() {
    endOfStream_.store(true, std::memory_order_release);
    workers_.endOfStream();
}

std::int64_t CEncoderFilter::frameTime(std::int64_t frameIndex) const {
    if (layout_.rateNumerator <= 0) return 0;
    return frameIndex * 10000000 * layout_.rateDenominator / layout_.rateNumerator;
}

HRESULT CEncoderFilter::Pause() {
    // The threads start with the stream; a filter that is not connected has none.
    const bool starting = isStopped() && encoder_ != nullptr && output_->isConnected();
    if (starting) {
        endOfStream_.store(false, std::memory_order_release);
        const HRESULT hr = workers_.start(*encoder_, *output_);
        if (failed(hr)) return hr;
    }
    const HRESULT hr = CBaseFilter::Pause();
    if (failed(hr) && starting) workers_.stop(true);
    return hr;
}

HRESULT CEncoderFilter::Stop() {
    // Without an end-of-stream the movie is being abandoned: what is queued is dropped.
    const bool complete = endOfStream_.exchange(false, std::memory_order_acq_rel);
    const HRESULT drained = workers_.stop(!complete);
    const HRESULT stopped = CBaseFilter::Stop();
    return failed(drained) ? drained : stopped;
}

HRESULT CEncoderFilter::SetQuality(std::int32_t quality) {
    std::lock_guard<std::mutex> lock(settingsLock_);
    quality_ = quality;
    return S_OK;
}

HRESULT CEncoderFilter::SetOptionValue(std::int32_t value) {
    std::lock_guard<std::mutex> lock(settingsLock_);
    optionValue_ = value;
    return S_OK;
}

HRESULT CEncoderFilter::SetOptionFlagA(std::int32_t on) {
    std::lock_guard<std::mutex> lock(settingsLock_);
    optionFlagA_ = on != 0;
    return S_OK;
}

HRESULT CEncoderFilter::SetOptionFlagB(std::int32_t on) {
    std::lock_guard<std::mutex> lock(settingsLock_);
    optionFlagB_ = on != 0;
    return S_OK;
}

HRESULT CEncoderFilter::SetMetadata(std::uint32_t tag, std::int32_t type, std::uint32_t size,
                                    const void* value) {
    if (size > 0 && value == nullptr) return E_POINTER;
    try {
        MovieTag record;
        record.tag = tag;
        record.type = type;
        record.value.resize(size);
        if (size > 0) std::memcpy(record.value.data(), value, size);
        std::lock_guard<std::mutex> lock(settingsLock_);
        tags_.push_back(std::move(record));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CEncoderFilter::TakeMessages(std::vector<std::string>* messages) {
    if (messages == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> lock(settingsLock_);
    messages->insert(messages->end(), messages_.begin(), messages_.end());
    messages_.clear();
    return S_OK;
}

HRESULT CEncoderFilter::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IEncoderSettings::kIid) return returnInterface(static_cast<IEncoderSettings*>(this), object);
    if (iid == IEncoderMetadata::kIid) return returnInterface(static_cast<IEncoderMetadata*>(this), object);
    if (iid == IComponentMessages::kIid)
        return returnInterface(static_cast<IComponentMessages*>(this), object);
    return CBaseFilter::NonDelegatingQueryInterface(iid, object);
}
