#pragma once

#include <vector>

#include "components/frame_encoder.h"
#include "components/lossless_jpeg_encoder.h"

// RAW Bayer frames as lossless JPEG images, several frames at once: one
// worker for each processor the process may use, up to kMostWorkers, each
// with its own workspace and output buffer. The quality setting changes
// nothing: every sample comes back exactly. The frames of an archive each
// carry a comment with the frame's index and the checksum of its samples
// (archive/archive_format.h), worked out by the worker that encodes it, and
// restarts its scan every few rows.
class LosslessJpegFrameEncoder final : public FrameEncoder {
public:
    // Each worker holds an output buffer of the largest image a frame can make.
    static constexpr int kMostWorkers = 8;

    Status open(const FrameLayout& layout, const EncoderChoices& choices) override;
    const EncodedStreamInfo& streamInfo() const override { return info_; }
    std::size_t maxPacketBytes() const override { return maxBytes_; }
    int concurrentFrames() const override { return static_cast<int>(workers_.size()); }
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
    bool markFrames_ = false;
    int restartRows_ = 0;
    std::vector<Worker> workers_;
};
