#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "components/encoded_stream.h"
#include "components/prores_settings.h"
#include "media/output_format.h"
#include "platform/status.h"

// How the codec spreads its work. Two frame threads encode two frames at once for about
// the processor time per frame of one thread, so two free cores nearly double the rate.
// Slice threads are kept for comparison: with this codec the second one stays idle.
struct ProResThreading {
    int threads = 2;
    bool sliceThreads = false;
};

// Encodes the pictures of one movie, one call per frame, into ProRes frames: 4:2:2
// pictures as 422 Proxy, LT, standard or HQ, RGB pictures as 4444 or 4444 XQ after a
// BT.709 conversion to limited-range Y'CbCr. Every frame carries the colour description
// (BT.709 matrix, limited range; primaries unspecified, since the pictures are camera RGB;
// the transfer the caller names, unspecified unless the tone curve is a plain power), so
// decoders read the matrix from the frame itself. Not thread-safe: one caller at a time.
class ProResPictureEncoder {
public:
    // Takes each packet as it leaves the codec, in frame order; false stops the encoder
    // (encode or flush then fails).
    using PacketSink = std::function<bool(const EncodedPacket&)>;

    ProResPictureEncoder();
    ~ProResPictureEncoder();
    ProResPictureEncoder(const ProResPictureEncoder&) = delete;
    ProResPictureEncoder& operator=(const ProResPictureEncoder&) = delete;

    // Opens the codec for width x height pictures of one kind (Yuv422 or Rgb444) at
    // quality 1 to 5 (clamped) and frames per second rateNumerator / rateDenominator; every
    // frame header and the stream name `transfer` as the pictures' transfer characteristic.
    // The failure says why it cannot. Opening again starts a new stream.
    Status open(OutputFormat kind, int width, int height, int quality, int rateNumerator, int rateDenominator,
                ProResThreading threading = {},
                AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED);

    // The stream as the multiplexer needs it; filled by a successful open.
    const EncodedStreamInfo& streamInfo() const;
    const ProResSettings& settings() const;

    // The bytes of one packed input row: 4 x width for 4:2:2, 6 x width for RGB.
    std::size_t packedRowBytes() const;

    // Encodes one picture whose rows start rowBytes apart (at least packedRowBytes(),
    // even, the picture 16-bit aligned); bytes beyond the packed row are not read. Packets
    // that are ready go to the sink; with frame threads the first ones come a frame or two
    // later. Fails when the encoder is not open, the input is unusable, the codec fails or
    // the sink refuses a packet, and says which; a stream that failed stays failed.
    Status encode(const std::uint8_t* rows, std::size_t rowBytes, const PacketSink& sink);

    // Ends the stream: every frame still in the codec goes to the sink. After it, encode
    // fails until the next open.
    Status flush(const PacketSink& sink);

    std::int64_t framesSubmitted() const;
    // Picture buffers made so far: they are reused, so the count stops at the number of
    // frames the codec holds at once (about one per thread, plus one).
    std::size_t pictureBuffers() const;
    std::int64_t packetsDelivered() const;

private:
    struct Codec;
    std::unique_ptr<Codec> codec_;
};
