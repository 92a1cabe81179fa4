#pragma once

#include "components/frame_encoder.h"
#include "components/prores_picture_encoder.h"

// RGB 4:4:4 and YUV 4:2:2 pictures as ProRes frames. One frame at a time
// enters the codec, whose own frame threads encode two at once; the packets
// leave in frame order, a frame or two behind.
class ProResFrameEncoder final : public FrameEncoder {
public:
    Status open(const FrameLayout& layout, const EncoderChoices& choices) override;
    const EncodedStreamInfo& streamInfo() const override { return encoder_.streamInfo(); }
    std::size_t maxPacketBytes() const override { return maxBytes_; }
    int concurrentFrames() const override { return 1; }
    Status encode(int worker, const std::uint8_t* frame, std::int64_t frameIndex, PacketSink& sink) override;
    Status flush(PacketSink& sink) override;

private:
    // A packet the sink refused says why the movie stopped.
    Status outcome(Status encoded) const;

    ProResPictureEncoder encoder_;
    std::size_t rowBytes_ = 0;
    std::size_t maxBytes_ = 0;
    Status sinkResult_;
};
