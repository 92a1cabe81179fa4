#include "components/movie_mux_filter.h"

#include <utility>

#include "media/known_ids.h"
#include "media/result_status.h"

CMovieMuxInput::CMovieMuxInput(CMovieMux* owner, CritSec& lock)
    : CBaseInputPin(owner, lock, "Input"), owner_(owner) {}

HRESULT CMovieMuxInput::CheckMediaType(const MediaType& type) {
    return type.majorType == MEDIATYPE_Video ? S_OK : S_FALSE;
}

HRESULT CMovieMuxInput::CheckConnect(IPin* pin) {
    const HRESULT hr = CBaseInputPin::CheckConnect(pin);
    if (failed(hr)) return hr;
    // Only an encoder that says what its frames are can be written.
    return ComPtr<IPin>(pin).as<IEncodedStream>() ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CMovieMuxInput::CompleteConnect(IPin* connector) {
    HRESULT hr = CBaseInputPin::CompleteConnect(connector);
    if (failed(hr)) return hr;
    const ComPtr<IEncodedStream> stream = ComPtr<IPin>(connector).as<IEncodedStream>();
    if (!stream) return VFW_E_TYPE_NOT_ACCEPTED;
    EncodedStreamInfo info;
    std::vector<MovieTag> tags;
    hr = stream->GetStreamInfo(&info);
    if (succeeded(hr)) hr = stream->GetTags(&tags);
    if (failed(hr)) return hr;
    owner_->streamConnected(info, std::move(tags));
    return S_OK;
}

HRESULT CMovieMuxInput::Receive(IMediaSample* sample) {
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    std::uint8_t* data = nullptr;
    if (failed(sample->GetPointer(&data)) || data == nullptr) return E_FAIL;
    const std::int32_t bytes = sample->GetActualDataLength();
    if (bytes <= 0) return E_INVALIDARG;
    return owner_->writeFrame(data, static_cast<std::size_t>(bytes));
}

HRESULT CMovieMuxInput::EndOfStream() {
    owner_->endOfStream();
    return S_OK;
}

CMovieMux::CMovieMux(const Guid& clsid, MovieContainer container)
    : CBaseFilter(stateLock_, clsid),
      input_(std::make_unique<CMovieMuxInput>(this, pinLock_)),
      container_(container) {}

void CMovieMux::streamConnected(const EncodedStreamInfo& info, std::vector<MovieTag> tags) {
    std::lock_guard<std::mutex> lock(movieLock_);
    stream_ = info;
    tags_ = std::move(tags);
}

HRESULT CMovieMux::fail(const Status& failure) {
    if (succeeded(failure_)) {
        failure_ = resultFromStatus(failure);
        // A write failure is the caller's to report, by the file's name.
        if (failure.code() != ErrorCode::kWriteFailed)
            messages_.push_back("the movie could not be made: " + failure.message());
    }
    return failure_;
}

HRESULT CMovieMux::Pause() {
    if (isStopped()) {
        std::lock_guard<std::mutex> lock(movieLock_);
        if (!stream_) return VFW_E_NOT_CONNECTED;
        const HRESULT hr = openMovie();
        if (failed(hr)) return hr;
        muxer_ = std::make_unique<MovieMuxer>(container_, movieBytes());
        headerWritten_ = false;
        framesWritten_ = 0;
        endOfStream_ = false;
        failure_ = S_OK;
    }
    return CBaseFilter::Pause();
}

HRESULT CMovieMux::writeFrame(const std::uint8_t* data, std::size_t bytes) {
    std::lock_guard<std::mutex> lock(movieLock_);
    if (failed(failure_)) return failure_;
    if (!muxer_) return VFW_E_WRONG_STATE;
    if (!headerWritten_) {
        const Status header = muxer_->writeHeader(*stream_, tags_);
        if (!header.ok()) return fail(header);
        headerWritten_ = true;
    }
    const Status written = muxer_->writePacket(std::span<const std::uint8_t>(data, bytes), framesWritten_);
    if (!written.ok()) return fail(written);
    ++framesWritten_;
    return S_OK;
}

void CMovieMux::endOfStream() {
    std::lock_guard<std::mutex> lock(movieLock_);
    endOfStream_ = true;
}

HRESULT CMovieMux::finishMovie() {
    if (!muxer_) return S_OK;
    bool complete = endOfStream_ && succeeded(failure_);
    if (complete && !headerWritten_) {
        const Status header = muxer_->writeHeader(*stream_, tags_);
        if (!header.ok()) fail(header);
        headerWritten_ = header.ok();
    }
    complete = complete && headerWritten_;
    if (complete) {
        const Status trailer = muxer_->writeTrailer();
        if (!trailer.ok()) {
            fail(trailer);
            complete = false;
        }
    }
    for (const std::string& warning : muxer_->warnings()) messages_.push_back(warning);
    const HRESULT closed = closeMovie(complete);
    if (complete && failed(closed) && succeeded(failure_)) failure_ = closed;
    muxer_.reset();
    return std::exchange(failure_, S_OK);
}

HRESULT CMovieMux::Stop() {
    HRESULT result = S_OK;
    if (isActive()) {
        std::lock_guard<std::mutex> lock(movieLock_);
        result = finishMovie();
    }
    const HRESULT stopped = CBaseFilter::Stop();
    return failed(result) ? result : stopped;
}

HRESULT CMovieMux::TakeMessages(std::vector<std::string>* messages) {
    if (messages == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> lock(movieLock_);
    messages->insert(messages->end(), messages_.begin(), messages_.end());
    messages_.clear();
    return S_OK;
}

HRESULT CMovieMux::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IComponentMessages::kIid)
        return returnInterface(static_cast<IComponentMessages*>(this), object);
    return CBaseFilter::NonDelegatingQueryInterface(iid, object);
}
