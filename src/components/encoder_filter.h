#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "components/encoder_pins.h"
#include "components/encoding_workers.h"
#include "components/frame_encoder.h"
#include "encode/encoder_interfaces.h"
#include "media/base_filter.h"
#include "timing/movie_tag.h"

// The movie encoder ("Tavrix Encoder"). Made under one of two classes: the
// RAW Bayer class takes Bayer frames and writes lossless JPEG, the picture
// class takes RGB 4:4:4 or YUV 4:2:2 pictures and writes ProRes. It keeps the
// settings and every tag it is sent (before its pins connect), encodes on
// threads of its own and hands the multiplexer the compressed frames in
// order. An ARCV tag makes the movie a camera archive, whose lossless JPEG
// frames carry their index and checksum.
//
// Stop keeps the graph's stop contract: after an end-of-stream it returns
// only when every frame and the end-of-stream have gone to the multiplexer;
// without one (an abandoned movie) it drops what it holds.
class CEncoderFilter final : public CBaseFilter,
                             public IEncoderSettings,
                             public IEncoderMetadata,
                             public IComponentMessages {
public:
    explicit CEncoderFilter(const Guid& clsid);
    ~CEncoderFilter() override;

    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int n) override;
    HRESULT Pause() override;
    HRESULT Stop() override;

    HRESULT SetQuality(std::int32_t quality) override;
    HRESULT SetOptionValue(std::int32_t value) override;
    HRESULT SetOptionFlagA(std::int32_t on) override;
    HRESULT SetOptionFlagB(std::int32_t on) override;
    HRESULT SetMetadata(std::uint32_t tag, std::int32_t type, std::uint32_t size, const void* value) override;
    HRESULT TakeMessages(std::vector<std::string>* messages) override;

    // For the pins.
    bool takesKind(OutputFormat kind) const;
    HRESULT openEncoder(const FrameLayout& layout);
    void closeEncoder();
    // The open encoder, or null; set and cleared only while stopped.
    FrameEncoder* encoder() const { return encoder_.get(); }
    std::vector<MovieTag> tags() const;
    HRESULT submitFrame(IMediaSample* sample) { return workers_.submit(sample); }
    void endOfStream();
    // 100-ns start time of a frame, for the samples' time stamps.
    std::int64_t frameTime(std::int64_t frameIndex) const;

protected:
    HRESULT NonDelegatingQueryInterface(const Guid& iid, void** object) override;

private:
    CritSec stateLock_;
    CritSec pinLock_;
    const bool takesBayer_;
    std::unique_ptr<CEncoderInputPin> input_;
    std::unique_ptr<CEncoderOutputPin> output_;

    mutable std::mutex settingsLock_;  // settings, tags and messages
    std::int32_t quality_ = 4;
    std::int32_t optionValue_ = 0;
    bool optionFlagA_ = true;
    bool optionFlagB_ = false;
    std::vector<MovieTag> tags_;
    std::vector<std::string> messages_;

    std::unique_ptr<FrameEncoder> encoder_;
    FrameLayout layout_;
    std::atomic<bool> endOfStream_{false};
    // Last, so its threads end before anything they use goes.
    EncodingWorkers workers_;
};
