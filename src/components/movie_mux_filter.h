#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "components/encoded_stream_source.h"
#include "components/movie_muxer.h"
#include "encode/encoder_interfaces.h"
#include "media/base_filter.h"
#include "media/base_input_pin.h"

class CMovieMux;

// A multiplexer's input, "Input": compressed frames from an encoder that
// says what they are through IEncodedStream.
class CMovieMuxInput final : public CBaseInputPin {
public:
    CMovieMuxInput(CMovieMux* owner, CritSec& lock);

    HRESULT CheckMediaType(const MediaType& type) override;
    HRESULT CheckConnect(IPin* pin) override;
    HRESULT CompleteConnect(IPin* connector) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;

private:
    CMovieMux* const owner_;
};

// What the AVI and QT multiplexers share: one stream of compressed frames
// written by a MovieMuxer, with the tags the encoder received. The header is
// written with the first frame. Stop completes the movie when the
// end-of-stream came and nothing failed, and gives it up otherwise; its
// result is the movie's first failure, write failures carrying their errno.
class CMovieMux : public CBaseFilter, public IComponentMessages {
public:
    HRESULT Pause() override;
    HRESULT Stop() override;
    HRESULT TakeMessages(std::vector<std::string>* messages) override;

    // For the input pin.
    void streamConnected(const EncodedStreamInfo& info, std::vector<MovieTag> tags);
    HRESULT writeFrame(const std::uint8_t* data, std::size_t bytes);
    void endOfStream();

protected:
    CMovieMux(const Guid& clsid, MovieContainer container);
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;

    // Where the movie's bytes go, made ready when the graph pauses.
    virtual HRESULT openMovie() = 0;
    virtual IByteSink& movieBytes() = 0;
    // After the trailer was written (complete) or a failure (not complete).
    virtual HRESULT closeMovie(bool complete) = 0;

    CritSec stateLock_;
    CritSec pinLock_;
    std::unique_ptr<CMovieMuxInput> input_;

private:
    HRESULT fail(const Status& failure);
    HRESULT finishMovie();

    const MovieContainer container_;
    std::mutex movieLock_;  // the muxer and what it has written
    std::optional<EncodedStreamInfo> stream_;
    std::vector<MovieTag> tags_;
    std::unique_ptr<MovieMuxer> muxer_;
    bool headerWritten_ = false;
    std::int64_t framesWritten_ = 0;
    bool endOfStream_ = false;
    HRESULT failure_ = S_OK;
    std::vector<std::string> messages_;
};
