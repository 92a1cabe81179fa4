#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "components/encoded_stream_source.h"
#include "components/encoding_workers.h"
#include "components/frame_encoder.h"
#include "media/base_input_pin.h"
#include "media/base_output_pin.h"

class CEncoderFilter;

// The frame layout a frame source's media type describes, when it is one of
// the three the encoders take: "BYR4" at 16 bits, "RG48" at 48 bits, or
// subtype "YU63" with compression "YU64" at 32 bits, top row first, in a
// VideoInfo or VideoInfo2 block. The rate is left at 0.
std::optional<FrameLayout> readFrameLayout(const MediaType& type);

// The encoder's input, "Input": takes the frame type of its encoder's class
// and queues each sample for the encoding threads.
class CEncoderInputPin final : public CBaseInputPin {
public:
    CEncoderInputPin(CEncoderFilter* owner, CritSec& lock);

    HRESULT CheckMediaType(const MediaType& type) override;
    // Opens the encoder for the agreed frames, at the source's exact rate.
    HRESULT CompleteConnect(IPin* connector) override;
    HRESULT BreakConnect() override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;

private:
    CEncoderFilter* const owner_;
    std::optional<FrameLayout> layout_;
};

// The encoder's output, "Output": compressed frames for a multiplexer, which
// learns what they are through IEncodedStream.
class CEncoderOutputPin final : public CBaseOutputPin, public IEncodedStream, public FrameDelivery {
public:
    CEncoderOutputPin(CEncoderFilter* owner, CritSec& lock);

    HRESULT CheckMediaType(const MediaType& type) override;
    // Position 0 once the input is connected: video of the codec's four
    // characters, no format block.
    HRESULT GetMediaType(int position, MediaType* type) override;
    // Two buffers, each as large as the encoder's largest frame.
    HRESULT DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* request) override;

    HRESULT GetStreamInfo(EncodedStreamInfo* info) override;
    HRESULT GetTags(std::vector<MovieTag>* tags) override;

    HRESULT deliverPacket(const std::uint8_t* data, std::size_t bytes, std::int64_t frameIndex) override;
    HRESULT deliverEndOfStream() override;

protected:
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;

private:
    CEncoderFilter* const owner_;
};

// The media subtype of an encoded stream: its codec tag, or "MJPG" for
// lossless JPEG, as a four-character subtype.
Guid makeEncodedSubtype(const EncodedStreamInfo& info);
