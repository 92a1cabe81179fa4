#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "components/encoded_stream.h"
#include "media/output_format.h"
#include "platform/status.h"

// The frames an encoder is handed, one whole frame a sample.
struct FrameLayout {
    OutputFormat kind = OutputFormat::Raw;
    int width = 0;
    int height = 0;
    std::size_t rowBytes = 0;  // distance between rows in a sample, at least the row's bytes
    int rateNumerator = 0;     // frames per second, exactly
    int rateDenominator = 0;
};

struct EncoderChoices {
    int quality = 4;              // the -q value as given
    std::uint32_t curveCode = 0;  // the tone curve the pictures went through
    // The movie is a camera archive (it has an ARCV tag): every lossless JPEG
    // frame carries its index and the checksum of its samples.
    bool markArchiveFrames = false;
};

// Where an encoder's compressed frames go, in frame order.
class PacketSink {
public:
    // One compressed frame. A failure means the movie cannot go on.
    virtual Status put(const std::uint8_t* data, std::size_t bytes, std::int64_t frameIndex) = 0;

protected:
    ~PacketSink() = default;
};

// Turns frames into compressed frames. encode() may run on several threads
// at once, one frame each, when concurrentFrames() says so; each thread has
// its own worker number. Packets reach the sink in frame order: an encoder
// that holds frames back (frame threads) hands them out later, and flush()
// hands out the rest at the end. A packet the sink refused fails the call
// with the sink's own failure.
class FrameEncoder {
public:
    virtual ~FrameEncoder() = default;

    // Gets ready for frames of this layout; the failure says why it cannot.
    virtual Status open(const FrameLayout& layout, const EncoderChoices& choices) = 0;
    // Known once open() succeeded.
    virtual const EncodedStreamInfo& streamInfo() const = 0;
    // The most bytes one compressed frame can take.
    virtual std::size_t maxPacketBytes() const = 0;
    virtual int concurrentFrames() const = 0;
    virtual Status encode(int worker, const std::uint8_t* frame, std::int64_t frameIndex,
                          PacketSink& sink) = 0;
    virtual Status flush(PacketSink& sink) = 0;
};

// The encoder for a kind of frame: lossless JPEG for Bayer frames, ProRes for pictures.
std::unique_ptr<FrameEncoder> makeFrameEncoder(OutputFormat kind);
