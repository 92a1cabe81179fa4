#include "components/prores_frame_encoder.h"

#include <algorithm>

#include "components/curve_transfer.h"
#include "components/lossless_jpeg_frame_encoder.h"
#include "platform/processors.h"

namespace {

// The codec keeps a picture and a packet for every frame thread.
constexpr int kMostProResThreads = 8;

}  // namespace

Status ProResFrameEncoder::open(const FrameLayout& layout, const EncoderChoices& choices) {
    // The frame headers name the transfer only when the curve is a plain power.
    // One frame thread for each processor the process may use.
    ProResThreading threading;
    threading.threads = std::clamp(platform::processorCount(), 1, kMostProResThreads);
    const Status opened =
        encoder_.open(layout.kind, layout.width, layout.height, choices.quality, layout.rateNumerator,
                      layout.rateDenominator, threading, lookUpCurveTransfer(choices.curveCode));
    if (!opened.ok()) return opened;
    rowBytes_ = layout.rowBytes;
    // The codec spends at most about 4 bytes a pixel even at its finest
    // quantiser on noise; twice that leaves room for any picture.
    maxBytes_ =
        static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.height) * 8 + (1u << 20);
    sinkResult_ = Status{};
    return {};
}

Status ProResFrameEncoder::outcome(Status encoded) const {
    if (!sinkResult_.ok()) return sinkResult_;
    return encoded;
}

Status ProResFrameEncoder::encode(int, const std::uint8_t* frame, std::int64_t, PacketSink& sink) {
    Status encoded = encoder_.encode(frame, rowBytes_, [this, &sink](const EncodedPacket& packet) {
        sinkResult_ = sink.put(packet.data.data(), packet.data.size(), packet.frameIndex);
        return sinkResult_.ok();
    });
    return outcome(std::move(encoded));
}

Status ProResFrameEncoder::flush(PacketSink& sink) {
    Status flushed = encoder_.flush([this, &sink](const EncodedPacket& packet) {
        sinkResult_ = sink.put(packet.data.data(), packet.data.size(), packet.frameIndex);
        return sinkResult_.ok();
    });
    return outcome(std::move(flushed));
}

std::unique_ptr<FrameEncoder> makeFrameEncoder(OutputFormat kind) {
    if (kind == OutputFormat::Raw) return std::make_unique<LosslessJpegFrameEncoder>();
    return std::make_unique<ProResFrameEncoder>();
}
