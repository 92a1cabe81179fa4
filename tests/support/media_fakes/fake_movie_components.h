#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encode/encoder_interfaces.h"
#include "media/com_ptr.h"
#include "media/sink_interfaces.h"
#include "support/media_fakes/event_log.h"
#include "support/media_fakes/fake_filters.h"

// Stand-ins for the movie components (encoder, multiplexers, file writer),
// registered under their real class ids for as long as a FakeMovieComponents
// lives. They record every call the encoding graph makes on them.

namespace media_fakes {

// A tag as the encoder received it.
struct RecordedTag {
    std::string tag;  // the four characters
    std::int32_t type = 0;
    std::vector<std::uint8_t> value;
};

class RecordingEncoder final : public FakeTransform, public IEncoderSettings, public IEncoderMetadata {
public:
    RecordingEncoder(Options options, EventLog* log, const Guid& clsid, bool offerSettings,
                     bool offerMetadata);

    HRESULT SetQuality(std::int32_t quality) override;
    HRESULT SetOptionValue(std::int32_t value) override;
    HRESULT SetOptionFlagA(std::int32_t on) override;
    HRESULT SetOptionFlagB(std::int32_t on) override;
    HRESULT SetMetadata(std::uint32_t tag, std::int32_t type, std::uint32_t size, const void* value) override;

    Guid classId() const { return classId_; }
    // "quality 4", "option 0", "flagA 1", "flagB 1", in call order.
    std::vector<std::string> settings() const;
    std::vector<RecordedTag> tags() const;

protected:
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;

private:
    const Guid classId_;
    const bool offerSettings_;
    const bool offerMetadata_;
    mutable std::mutex recordLock_;
    std::vector<std::string> settings_;
    std::vector<RecordedTag> tags_;
};

class FakeAviMux final : public FakeTransform, public IConfigInterleaving {
public:
    FakeAviMux(Options options, EventLog* log, bool offerInterleaving);

    HRESULT put_Mode(InterleavingMode mode) override;
    HRESULT put_Interleaving(const std::int64_t* interleave, const std::int64_t* preroll) override;

protected:
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;

private:
    const bool offerInterleaving_;
};

// The file writer, and the MOV multiplexer, which is its own file sink.
class FakeFileSink final : public FakeSink, public IFileSinkFilter2 {
public:
    FakeFileSink(Options options, EventLog* log, std::string label, const Guid& clsid,
                 HRESULT setFileNameResult);

    HRESULT SetFileName(const std::string& path, const MediaType* type) override;
    HRESULT SetMode(std::uint32_t flags) override;

    // The name and mode it was given last.
    const std::string& path() const { return path_; }
    std::uint32_t mode() const { return mode_; }

protected:
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;

private:
    const HRESULT setFileNameResult_;
    std::string path_;
    std::uint32_t mode_ = 0;
};

struct FakeMovieOptions {
    bool registerEncoders = true;
    bool registerAviMux = true;
    bool registerFileWriter = true;
    bool registerQtMux = true;
    bool encoderThreaded = true;
    int encoderDelayMilliseconds = 0;
    bool encoderOffersSettings = true;
    bool encoderOffersMetadata = true;
    bool aviMuxOffersInterleaving = true;
    HRESULT encoderStopResult = S_OK;
    HRESULT multiplexerStopResult = S_OK;  // AVI Mux and QT Mux
    HRESULT fileWriterStopResult = S_OK;
    HRESULT setFileNameResult = S_OK;
};

// Registers the fakes in its constructor and removes them in its destructor.
// Every object made is kept here for the test to look at.
class FakeMovieComponents {
public:
    explicit FakeMovieComponents(FakeMovieOptions options = {});
    ~FakeMovieComponents();
    FakeMovieComponents(const FakeMovieComponents&) = delete;
    FakeMovieComponents& operator=(const FakeMovieComponents&) = delete;

    EventLog log;
    std::vector<ComPtr<RecordingEncoder>> encoders;
    std::vector<ComPtr<FakeAviMux>> aviMuxes;
    std::vector<ComPtr<FakeFileSink>> fileWriters;
    std::vector<ComPtr<FakeFileSink>> qtMuxes;

    // Anything made at all.
    bool madeAnything() const;

private:
    const FakeMovieOptions options_;
};

}  // namespace media_fakes
