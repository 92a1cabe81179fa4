#pragma once

#include <memory>

#include "components/byte_sink.h"
#include "components/movie_mux_filter.h"
#include "media/base_output_pin.h"
#include "media/sink_interfaces.h"

class CAviMux;

// The AVI multiplexer's output, "AVI Out": the file's bytes as a byte stream,
// each sample stamped with the byte offset where it goes (start) and where it
// ends (stop). Every write is answered when the file writer has written it.
class CAviMuxOutput final : public CBaseOutputPin, public IByteSink {
public:
    CAviMuxOutput(CAviMux* owner, CritSec& lock);

    HRESULT CheckMediaType(const MediaType& type) override;
    HRESULT GetMediaType(int position, MediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, AllocatorProperties* request) override;

    // Sends up to one buffer of bytes; a negative errno when they could not be written.
    std::int64_t writeAt(std::int64_t offset, const std::uint8_t* bytes, std::size_t count) override;
};

// "AVI Mux": writes the stream into an AVI file whose bytes go to a file
// writer through its output pin. It takes the interleaving settings; a movie
// of one video stream has nothing to interleave.
class CAviMux final : public CMovieMux, public IConfigInterleaving {
public:
    CAviMux();

    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int n) override;

    HRESULT put_Mode(InterleavingMode mode) override;
    HRESULT put_Interleaving(const std::int64_t* interleave, const std::int64_t* preroll) override;

protected:
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;
    HRESULT openMovie() override;
    IByteSink& movieBytes() override { return *output_; }
    HRESULT closeMovie(bool complete) override;

private:
    std::unique_ptr<CAviMuxOutput> output_;
};
