#include "components/file_writer_filter.h"

#include <utility>

#include "media/known_ids.h"
#include "media/result_status.h"

CFileWriterInput::CFileWriterInput(CFileWriter* owner, CritSec& lock)
    : CBaseInputPin(owner, lock, "in"), owner_(owner) {}

HRESULT CFileWriterInput::CheckMediaType(const MediaType& type) {
    return type.majorType == MEDIATYPE_Stream ? S_OK : S_FALSE;
}

HRESULT CFileWriterInput::Receive(IMediaSample* sample) {
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    std::int64_t start = 0, stop = 0;
    if (failed(sample->GetTime(&start, &stop)) || start < 0) return E_INVALIDARG;
    std::uint8_t* data = nullptr;
    if (failed(sample->GetPointer(&data)) || data == nullptr) return E_FAIL;
    const std::int32_t bytes = sample->GetActualDataLength();
    if (bytes < 0) return E_INVALIDARG;
    return owner_->writeBytes(start, data, static_cast<std::size_t>(bytes));
}

HRESULT CFileWriterInput::EndOfStream() {
    owner_->endOfStream();
    return S_OK;
}

CFileWriter::CFileWriter()
    : CBaseFilter(stateLock_, CLSID_FileWriter), input_(std::make_unique<CFileWriterInput>(this, pinLock_)) {}

HRESULT CFileWriter::Pause() {
    if (isStopped()) {
        if (name_.path().empty()) return E_FAIL;
        std::lock_guard<std::mutex> lock(fileLock_);
        endOfStream_ = false;
        failure_ = resultFromStatus(file_.create(name_.path()));
        if (failed(failure_)) return std::exchange(failure_, S_OK);
    }
    return CBaseFilter::Pause();
}

HRESULT CFileWriter::writeBytes(std::int64_t offset, const std::uint8_t* bytes, std::size_t count) {
    std::lock_guard<std::mutex> lock(fileLock_);
    if (failed(failure_)) return failure_;
    while (count > 0) {
        const std::int64_t written = file_.writeAt(offset, bytes, count);
        if (written <= 0) {
            failure_ = hresultFromErrno(written < 0 ? static_cast<int>(-written) : EIO);
            return failure_;
        }
        offset += written;
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
    return S_OK;
}

void CFileWriter::endOfStream() {
    std::lock_guard<std::mutex> lock(fileLock_);
    endOfStream_ = true;
}

HRESULT CFileWriter::Stop() {
    HRESULT result = S_OK;
    if (isActive()) {
        std::lock_guard<std::mutex> lock(fileLock_);
        // The multiplexer sends the end-of-stream only after its last byte.
        if (endOfStream_ && succeeded(failure_))
            result = resultFromStatus(file_.commit());
        else
            file_.abandon();
        if (failed(failure_)) result = failure_;
        endOfStream_ = false;
        failure_ = S_OK;
    }
    const HRESULT stopped = CBaseFilter::Stop();
    return failed(result) ? result : stopped;
}

HRESULT CFileWriter::SetFileName(const std::string& path, const MediaType*) {
    return name_.setFileName(path, isStopped());
}

HRESULT CFileWriter::SetMode(std::uint32_t flags) {
    return name_.setMode(flags);
}

HRESULT CFileWriter::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IFileSinkFilter::kIid || iid == IFileSinkFilter2::kIid)
        return returnInterface(static_cast<IFileSinkFilter2*>(this), object);
    return CBaseFilter::NonDelegatingQueryInterface(iid, object);
}
