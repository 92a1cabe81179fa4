#pragma once

#include <array>
#include <vector>

#include "components/frame_encoder.h"
#include "components/lossless_jpeg_encoder.h"

// RAW Bayer frames as lossless JPEG images, two frames at once: each worker
// has its own workspace and output buffer. The quality setting changes
// nothing: every sample comes back exactly.
class LosslessJpegFrameEncoder final : public FrameEncoder {
public:
    static constexpr int kWorkers = 2;

    Status open(const FrameLayout& layout, const EncoderChoices& choices) override;
    const EncodedStreamInfo& streamInfo() const override { return info_; }
    std::size_t maxPacketBytes() const override { return maxBytes_; }
    int concurrentFrames() const override { return kWorkers; }
    Status encode(int worker, const std::uint8_t* frame, std::int64_t frameIndex, PacketSink& sink) override;
    Status flush(PacketSink&) override { return {}; }

private:
    struct Worker {
        LosslessJpegWorkspace workspace;
        std::vector<std::uint8_t> output;
    };
    FrameLayout layout_;
    EncodedStreamInfo info_;
    std::size_t maxBytes_ = 0;
    std::array<Worker, kWorkers> workers_;
};
