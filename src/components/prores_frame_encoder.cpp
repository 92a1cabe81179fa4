#include "components/prores_frame_encoder.h"

#include "components/curve_transfer.h"
#include "components/lossless_jpeg_frame_encoder.h"

bool ProResFrameEncoder::open(const FrameLayout& layout, const EncoderChoices& choices, std::string* reason) {
    if (layout.kind == FrameKind::Bayer) {
        *reason = "ProRes takes pictures, not Bayer frames";
        return false;
    }
    const PictureKind kind = layout.kind == FrameKind::Rgb444 ? PictureKind::Rgb444 : PictureKind::Yuv422;
    // The frame headers name the transfer only when the curve is a plain power.
    if (!encoder_.open(kind, layout.width, layout.height, choices.quality, layout.rateNumerator,
                       layout.rateDenominator, ProResThreading{}, transferForCurveCode(choices.curveCode))) {
        *reason = encoder_.error();
        return false;
    }
    rowBytes_ = layout.rowBytes;
    // The codec spends at most about 4 bytes a pixel even at its finest
    // quantiser on noise; twice that leaves room for any picture.
    maxBytes_ =
        static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.height) * 8 + (1u << 20);
    sinkResult_ = S_OK;
    return true;
}

HRESULT ProResFrameEncoder::outcome(bool done) const {
    // A packet the sink refused says why the movie stopped.
    if (failed(sinkResult_)) return sinkResult_;
    return done ? S_OK : E_FAIL;
}

HRESULT ProResFrameEncoder::encode(int, const std::uint8_t* frame, std::int64_t, PacketSink& sink) {
    const bool encoded = encoder_.encode(frame, rowBytes_, [this, &sink](const EncodedPacket& packet) {
        sinkResult_ = sink.put(packet.data.data(), packet.data.size(), packet.frameIndex);
        return succeeded(sinkResult_);
    });
    return outcome(encoded);
}

HRESULT ProResFrameEncoder::flush(PacketSink& sink) {
    const bool flushed = encoder_.flush([this, &sink](const EncodedPacket& packet) {
        sinkResult_ = sink.put(packet.data.data(), packet.data.size(), packet.frameIndex);
        return succeeded(sinkResult_);
    });
    return outcome(flushed);
}

std::unique_ptr<FrameEncoder> makeFrameEncoder(FrameKind kind) {
    if (kind == FrameKind::Bayer) return std::make_unique<LosslessJpegFrameEncoder>();
    return std::make_unique<ProResFrameEncoder>();
}
