#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "archive/archive_reader.h"
#include "raw/clip_frame_source.h"

// The frames of a camera archive, given as the clip itself gives them: the
// clip's trailer (with the archived window's size as the frame size), and
// every frame's samples as the clip stores them (RawSamples). Every frame is
// checked against the index and checksum it carries; a frame that does not
// match, or frames missing before the count the trailer announces, are a read
// failure, as frames lost from a clip are.
class ArchiveFrameSource final : public ClipFrameSource {
public:
    void setObserver(ClipReadObserver*) override {}  // an archive is one file
    Status open(const std::string& path) override;
    const ClipOpenFailure& openFailure() const override { return openFailure_; }
    const RawClipTrailer& trailer() const override { return trailer_; }
    const std::string& trailerFilePath() const override { return path_; }
    const std::string& sourcePath() const override { return path_; }
    int storedPacking() const override { return reader_.info().packing(); }
    SensorWindow sensorWindow() const override {
        const ArchiveInfo& info = reader_.info();
        return {info.left, info.top, info.trailer.width, info.trailer.height};
    }

    Status positionAtFirstFrame() override;
    FrameReadOutcome readFrame(std::span<std::uint16_t> bayerFrame) override;
    bool skipFrame() override;
    const std::string& failureMessage() const override { return failureMessage_; }
    std::span<const std::uint8_t> packedFrame() const override { return {}; }
    void releasePackedBuffer() override {}
    void close() override { reader_.close(); }

    const std::array<std::uint8_t, kRawClipTrailerBytes>& clipTrailerBytes() const override {
        return reader_.info().trailerBytes;
    }
    std::string clipName() const override { return reader_.info().clipName; }
    std::vector<std::string> clipFileNames() const override { return reader_.info().clipFiles; }

    const ArchiveInfo& info() const { return reader_.info(); }

private:
    // Records a failure at the current frame; false, for the caller to return.
    bool fail(const std::string& what);

    ArchiveReader reader_;
    RawClipTrailer trailer_;
    std::string path_;
    ClipOpenFailure openFailure_;
    std::uint64_t nextFrame_ = 0;
    bool failed_ = false;
    std::string failureMessage_;
};

// The trailer a clip's archive develops by: the clip's, with the archived
// window's size as the frame size and the frame bytes its packing gives them.
RawClipTrailer archiveFrameTrailer(const ArchiveInfo& info);
