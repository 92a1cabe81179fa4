#pragma once

#include "components/frame_encoder.h"
#include "components/prores_picture_encoder.h"

// RGB 4:4:4 and YUV 4:2:2 pictures as ProRes frames. One frame at a time
// enters the codec, whose own frame threads encode two at once; the packets
// leave in frame order, a frame or two behind.
class ProResFrameEncoder final : public FrameEncoder {
public:
    bool open(const FrameLayout& layout, const EncoderChoices& choices, std::string* reason) override;
    const EncodedStreamInfo& streamInfo() const override { return encoder_.streamInfo(); }
    std::size_t maxPacketBytes() const override { return maxBytes_; }
    int concurrentFrames() const override { return 1; }
    HRESULT encode(int worker, const std::uint8_t* frame, std::int64_t frameIndex, PacketSink& sink) override;
    HRESULT flush(PacketSink& sink) override;

private:
    HRESULT outcome(bool done) const;

    ProResPictureEncoder encoder_;
    std::size_t rowBytes_ = 0;
    std::size_t maxBytes_ = 0;
    HRESULT sinkResult_ = S_OK;
};
