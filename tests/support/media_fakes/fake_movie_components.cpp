#include "support/media_fakes/fake_movie_components.h"

#include <cstring>
#include <utility>

#include "media/component_registry.h"
#include "media/known_ids.h"

namespace media_fakes {

namespace {

std::string tagText(std::uint32_t tag) {
    std::string text(4, ' ');
    for (int index = 0; index < 4; ++index)
        text[static_cast<std::size_t>(index)] = static_cast<char>(tag >> (8 * index));
    return text;
}

MediaType encodedType() {
    MediaType type;
    type.majorType = MEDIATYPE_Video;
    type.subtype = fourccGuid(makeFourCC("fake"));
    type.formatType = FORMAT_None;
    return type;
}

MediaType aviStreamType() {
    MediaType type;
    type.majorType = MEDIATYPE_Stream;
    type.subtype = MEDIASUBTYPE_Avi;
    type.formatType = FORMAT_None;
    return type;
}

}  // namespace

RecordingEncoder::RecordingEncoder(Options options, EventLog* log, const Guid& clsid, bool offerSettings,
                                   bool offerMetadata)
    : FakeTransform(std::move(options), log, "encoder", clsid),
      classId_(clsid),
      offerSettings_(offerSettings),
      offerMetadata_(offerMetadata) {}

HRESULT RecordingEncoder::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (offerSettings_ && iid == IEncoderSettings::kIid) {
        return returnInterface(static_cast<IEncoderSettings*>(this), object);
    }
    if (offerMetadata_ && iid == IEncoderMetadata::kIid) {
        return returnInterface(static_cast<IEncoderMetadata*>(this), object);
    }
    return FakeTransform::NonDelegatingQueryInterface(iid, object);
}

HRESULT RecordingEncoder::SetQuality(std::int32_t quality) {
    std::lock_guard hold(recordLock_);
    settings_.push_back("quality " + std::to_string(quality));
    return S_OK;
}

HRESULT RecordingEncoder::SetOptionValue(std::int32_t value) {
    std::lock_guard hold(recordLock_);
    settings_.push_back("option " + std::to_string(value));
    return S_OK;
}

HRESULT RecordingEncoder::SetOptionFlagA(std::int32_t on) {
    std::lock_guard hold(recordLock_);
    settings_.push_back("flagA " + std::to_string(on));
    return S_OK;
}

HRESULT RecordingEncoder::SetOptionFlagB(std::int32_t on) {
    std::lock_guard hold(recordLock_);
    settings_.push_back("flagB " + std::to_string(on));
    return S_OK;
}

HRESULT RecordingEncoder::SetMetadata(std::uint32_t tag, std::int32_t type, std::uint32_t size,
                                      const void* value) {
    RecordedTag recorded;
    recorded.tag = tagText(tag);
    recorded.type = type;
    const auto* bytes = static_cast<const std::uint8_t*>(value);
    recorded.value.assign(bytes, bytes + size);
    log("tag " + recorded.tag);
    std::lock_guard hold(recordLock_);
    tags_.push_back(std::move(recorded));
    return S_OK;
}

std::vector<std::string> RecordingEncoder::settings() const {
    std::lock_guard hold(recordLock_);
    return settings_;
}

std::vector<RecordedTag> RecordingEncoder::tags() const {
    std::lock_guard hold(recordLock_);
    return tags_;
}

FakeAviMux::FakeAviMux(Options options, EventLog* log, bool offerInterleaving)
    : FakeTransform(std::move(options), log, "avi mux", CLSID_AviDest),
      offerInterleaving_(offerInterleaving) {}

HRESULT FakeAviMux::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (offerInterleaving_ && iid == IConfigInterleaving::kIid) {
        return returnInterface(static_cast<IConfigInterleaving*>(this), object);
    }
    return FakeTransform::NonDelegatingQueryInterface(iid, object);
}

HRESULT FakeAviMux::put_Mode(InterleavingMode mode) {
    log("interleave mode " + std::to_string(static_cast<int>(mode)));
    return S_OK;
}

HRESULT FakeAviMux::put_Interleaving(const std::int64_t* interleave, const std::int64_t* preroll) {
    const std::int64_t interleaveTime = interleave != nullptr ? *interleave : -1;
    const std::int64_t prerollTime = preroll != nullptr ? *preroll : -1;
    log("interleave " + std::to_string(interleaveTime) + " preroll " + std::to_string(prerollTime));
    return S_OK;
}

FakeFileSink::FakeFileSink(Options options, EventLog* log, std::string label, const Guid& clsid,
                           HRESULT setFileNameResult)
    : FakeSink(std::move(options), log, std::move(label), clsid), setFileNameResult_(setFileNameResult) {}

HRESULT FakeFileSink::NonDelegatingQueryInterface(const Guid& iid, void** object) {
    if (iid == IFileSinkFilter2::kIid) return returnInterface(static_cast<IFileSinkFilter2*>(this), object);
    if (iid == IFileSinkFilter::kIid) return returnInterface(static_cast<IFileSinkFilter*>(this), object);
    return FakeSink::NonDelegatingQueryInterface(iid, object);
}

HRESULT FakeFileSink::SetFileName(const std::string& path, const MediaType*) {
    log("file " + path);
    path_ = path;
    return setFileNameResult_;
}

HRESULT FakeFileSink::SetMode(std::uint32_t flags) {
    log("mode " + std::to_string(flags));
    mode_ = flags;
    return S_OK;
}

FakeMovieComponents::FakeMovieComponents(FakeMovieOptions options) : options_(options) {
    if (options_.registerEncoders) {
        for (const Guid& clsid : {CLSID_RawBayerEncoder, CLSID_PictureEncoder}) {
            registerComponentClass(clsid, [this, clsid]() -> IUnknown* {
                FakeTransform::Options encoder;
                encoder.outputType = encodedType();
                encoder.threaded = options_.encoderThreaded;
                encoder.delayMilliseconds = options_.encoderDelayMilliseconds;
                encoder.stopResult = options_.encoderStopResult;
                encoders.push_back(makeComObject<RecordingEncoder>(std::move(encoder), &log, clsid,
                                                                   options_.encoderOffersSettings,
                                                                   options_.encoderOffersMetadata));
                return static_cast<IBaseFilter*>(encoders.back().get());
            });
        }
    }
    if (options_.registerAviMux) {
        registerComponentClass(CLSID_AviDest, [this]() -> IUnknown* {
            FakeTransform::Options mux;
            mux.outputType = aviStreamType();
            mux.stopResult = options_.multiplexerStopResult;
            aviMuxes.push_back(
                makeComObject<FakeAviMux>(std::move(mux), &log, options_.aviMuxOffersInterleaving));
            return static_cast<IBaseFilter*>(aviMuxes.back().get());
        });
    }
    if (options_.registerFileWriter) {
        registerComponentClass(CLSID_FileWriter, [this]() -> IUnknown* {
            FakeSink::Options writer;
            writer.stopResult = options_.fileWriterStopResult;
            fileWriters.push_back(makeComObject<FakeFileSink>(std::move(writer), &log, "file writer",
                                                              CLSID_FileWriter, options_.setFileNameResult));
            return static_cast<IBaseFilter*>(fileWriters.back().get());
        });
    }
    if (options_.registerQtMux) {
        registerComponentClass(CLSID_QtMux, [this]() -> IUnknown* {
            FakeSink::Options mux;
            mux.stopResult = options_.multiplexerStopResult;
            qtMuxes.push_back(makeComObject<FakeFileSink>(std::move(mux), &log, "qt mux", CLSID_QtMux,
                                                          options_.setFileNameResult));
            return static_cast<IBaseFilter*>(qtMuxes.back().get());
        });
    }
}

FakeMovieComponents::~FakeMovieComponents() {
    for (const Guid& clsid :
         {CLSID_RawBayerEncoder, CLSID_PictureEncoder, CLSID_AviDest, CLSID_FileWriter, CLSID_QtMux}) {
        unregisterComponentClass(clsid);
    }
}

bool FakeMovieComponents::madeAnything() const {
    return !encoders.empty() || !aviMuxes.empty() || !fileWriters.empty() || !qtMuxes.empty();
}

}  // namespace media_fakes
