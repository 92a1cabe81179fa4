#include "encode/gen_filter.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

CGenFilter::CGenFilter() : CBaseFilter(filterLock_, GUID_NULL) {}

CGenFilter::~CGenFilter() = default;

CBasePin* CGenFilter::GetPin(int n) {
    AutoLock hold(filterLock_);
    if (n != 0) return nullptr;
    if (!output_) output_.reset(new (std::nothrow) CGenOutput(this, pinLock_));
    return output_.get();
}

void CGenFilter::setFormat(const FrameFormat& format, std::int64_t frameDuration) {
    AutoLock hold(filterLock_);
    format_ = format;
    frameDuration_ = frameDuration;
    nextStart_ = 0;
}

std::int64_t CGenFilter::nextStart() const {
    AutoLock hold(stateLock());
    return nextStart_;
}

HRESULT CGenFilter::DeliverFrame(const void* frame, std::int32_t pitch) {
    if (!isActive()) return E_INVALIDARG;
    if (frame == nullptr) return E_POINTER;
    if (pitch <= 0) return E_INVALIDARG;
    CGenOutput* pin = static_cast<CGenOutput*>(GetPin(0));
    if (pin == nullptr) return E_OUTOFMEMORY;

    ComPtr<IMediaSample> sample;
    HRESULT hr = pin->GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
    if (failed(hr)) return hr;
    std::uint8_t* data = nullptr;
    sample->GetPointer(&data);
    if (data == nullptr) return E_FAIL;

    AutoLock hold(filterLock_);
    const std::size_t imageBytes = pin->imageBytes();
    if (format_.height <= 0 || imageBytes == 0 || static_cast<std::size_t>(sample->GetSize()) < imageBytes) {
        return E_FAIL;
    }
    if (data != frame) {
        const std::size_t rows = static_cast<std::size_t>(format_.height);
        const std::size_t rowLength = imageBytes / rows;
        const std::size_t sourcePitch = static_cast<std::size_t>(pitch);
        const std::size_t copied = std::min(rowLength, sourcePitch);
        const auto* source = static_cast<const std::uint8_t*>(frame);
        for (std::size_t row = 0; row < rows; ++row) {
            std::uint8_t* target = data + row * rowLength;
            std::memcpy(target, source + row * sourcePitch, copied);
            if (copied < rowLength) std::memset(target + copied, 0, rowLength - copied);
        }
    }
    std::int64_t start = nextStart_;
    std::int64_t stop = nextStart_ + frameDuration_;
    sample->SetTime(&start, &stop);
    nextStart_ = stop;
    sample->SetSyncPoint(true);
    hr = pin->Deliver(sample.get());
    sample.reset();
    return hr;
}

HRESULT CGenFilter::EndStream() {
    CBasePin* pin = nullptr;
    {
        AutoLock hold(filterLock_);
        pin = output_.get();
    }
    if (pin == nullptr || !pin->isConnected()) return S_OK;
    return static_cast<CGenOutput*>(pin)->DeliverEndOfStream();
}
