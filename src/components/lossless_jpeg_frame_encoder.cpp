#include "components/lossless_jpeg_frame_encoder.h"

#include <new>

bool LosslessJpegFrameEncoder::open(const FrameLayout& layout, const EncoderChoices&, std::string* reason) {
    if (layout.kind != FrameKind::Bayer || layout.rowBytes % 2 != 0 ||
        layout.rowBytes / 2 < static_cast<std::size_t>(layout.width)) {
        *reason = "lossless JPEG takes Bayer frames of 16-bit samples only";
        return false;
    }
    maxBytes_ = losslessJpegMaxBytes(layout.width, layout.height);
    if (maxBytes_ == 0) {
        *reason = "a lossless JPEG image is at most 65535 samples wide and high";
        return false;
    }
    layout_ = layout;
    info_ = EncodedStreamInfo{};
    info_.codecId = AV_CODEC_ID_MJPEG;
    info_.codecTag = 0;
    info_.width = layout.width;
    info_.height = layout.height;
    info_.bitsPerCodedSample = 16;
    info_.rateNumerator = layout.rateNumerator;
    info_.rateDenominator = layout.rateDenominator;
    return true;
}

HRESULT LosslessJpegFrameEncoder::encode(int worker, const std::uint8_t* frame, std::int64_t frameIndex,
                                         PacketSink& sink) {
    if (worker < 0 || worker >= kWorkers) return E_INVALIDARG;
    Worker& own = workers_[static_cast<std::size_t>(worker)];
    if (own.output.size() < maxBytes_) {
        try {
            own.output.resize(maxBytes_);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    // Sample rows are padded to 4 bytes, so the stride is whole samples.
    const LosslessJpegResult result =
        encodeLosslessJpeg(reinterpret_cast<const std::uint16_t*>(frame), layout_.rowBytes / 2, layout_.width,
                           layout_.height, own.workspace, own.output.data(), own.output.size());
    if (result.status != LosslessJpegStatus::Ok) return E_FAIL;
    return sink.put(own.output.data(), result.bytes, frameIndex);
}
