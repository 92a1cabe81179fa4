#include "components/lossless_jpeg_frame_encoder.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string>

#include "archive/archive_format.h"
#include "archive/crc32c.h"
#include "platform/processors.h"

namespace {

// The longest comment a frame of an archive can carry.
const std::size_t kMostMarkBytes =
    archiveFrameComment({std::numeric_limits<std::uint64_t>::max(), 0xFFFFFFFFu}).size();

}  // namespace

Status LosslessJpegFrameEncoder::open(const FrameLayout& layout, const EncoderChoices& choices) {
    if (layout.kind != OutputFormat::Raw || layout.rowBytes % 2 != 0 ||
        layout.rowBytes / 2 < static_cast<std::size_t>(layout.width))
        return Status::failure(ErrorCode::kUnsupported,
                               "lossless JPEG takes Bayer frames of 16-bit samples only");
    markFrames_ = choices.markArchiveFrames;
    // An archive's frames restart every few rows, so that a reader can decode
    // several intervals at once; the RAW movie's stay one interval.
    restartRows_ = markFrames_ ? losslessJpegMostRestartRows(layout.width) : 0;
    maxBytes_ =
        losslessJpegMaxBytes(layout.width, layout.height, markFrames_ ? kMostMarkBytes : 0, restartRows_);
    if (maxBytes_ == 0)
        return Status::failure(ErrorCode::kUnsupported,
                               "a lossless JPEG image is at most 65535 samples wide and high");
    layout_ = layout;
    workers_.clear();
    workers_.resize(static_cast<std::size_t>(std::clamp(platform::processorCount(), 1, kMostWorkers)));
    info_ = EncodedStreamInfo{};
    info_.codecId = AV_CODEC_ID_MJPEG;
    info_.codecTag = 0;
    info_.width = layout.width;
    info_.height = layout.height;
    info_.bitsPerCodedSample = 16;
    info_.rateNumerator = layout.rateNumerator;
    info_.rateDenominator = layout.rateDenominator;
    return {};
}

Status LosslessJpegFrameEncoder::encode(int worker, const std::uint8_t* frame, std::int64_t frameIndex,
                                        PacketSink& sink) {
    if (worker < 0 || static_cast<std::size_t>(worker) >= workers_.size())
        return Status::failure(ErrorCode::kBadInput, "no encoding worker " + std::to_string(worker));
    Worker& own = workers_[static_cast<std::size_t>(worker)];
    if (own.output.size() < maxBytes_) {
        try {
            own.output.resize(maxBytes_);
        } catch (const std::bad_alloc&) {
            return Status::failure(ErrorCode::kNoMemory, "no memory for a lossless JPEG image");
        }
    }
    // Sample rows are padded to 4 bytes, so the stride is whole samples.
    const auto* samples = reinterpret_cast<const std::uint16_t*>(frame);
    const std::size_t strideSamples = layout_.rowBytes / 2;
    std::string mark;
    LosslessJpegOptions options;
    options.restartRows = restartRows_;
    if (markFrames_) {
        mark = archiveFrameComment({static_cast<std::uint64_t>(frameIndex),
                                    frameChecksum(samples, layout_.width, layout_.height, strideSamples)});
        options.comment = mark;
    }
    const Result<std::size_t> bytes =
        encodeLosslessJpeg(samples, strideSamples, layout_.width, layout_.height, own.workspace,
                           own.output.data(), own.output.size(), options);
    // The frame was checked when the encoder opened: a refusal now is the encoder's own failure.
    if (!bytes.ok()) return Status::failure(ErrorCode::kFailed, bytes.status().message());
    return sink.put(own.output.data(), bytes.value(), frameIndex);
}
