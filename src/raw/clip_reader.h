#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/status.h"
#include "raw/clip_frame_source.h"
#include "raw/clip_trailer.h"

// The path of one file of a clip: base + ".RAW" for index -1, base + ".Rnn"
// for continuation nn, in whatever letter case the file exists.
std::string clipFilePath(const std::string& basePath, int fileIndex);

// Reads one clip: base + ".RAW" and its continuations ".R00" .. ".R98", one
// byte stream of frames with the trailer at the end of the last file. Every
// file but the last holds exactly kContinuationFileBytes bytes. What it has
// to tell on the way goes to its observer.
//
// Frames that cannot be read are a failure, never a quiet end of the clip: a
// read or seek error, a file before the last that is shorter than
// kContinuationFileBytes, a continuation file that is gone, or a stream that
// ends before the frame count the trailer announces. The read that meets one
// answers ReadFailed (a failed skip makes the next read answer it), and
// failureMessage() says which file and which frames.
class RawClipReader final : public ClipFrameSource {
public:
    static constexpr std::int64_t kContinuationFileBytes = 4294967295;
    static constexpr int kMaxContinuationFiles = 99;

    // Told of every file entered and every skip into a file; may be null.
    void setObserver(ClipReadObserver* observer) override { observer_ = observer; }

    // Finds the trailer in base.RAW, then base.R00 .. base.R98, checks it and
    // normalises it. A failure is kBadInput when the files are no clip this
    // reader can read, kReadFailed when a file could not be opened or
    // seeked; openFailure() tells more.
    Status open(const std::string& basePath) override;
    // Moves to the first frame.
    Status positionAtFirstFrame() override;
    // Reads the next frame. Plain 16-bit frames go straight into bayerFrame,
    // which must hold at least width x height samples; packed frames go into
    // the reader's packed buffer, allocated once per frame size.
    FrameReadOutcome readFrame(std::span<std::uint16_t> bayerFrame) override;
    // Packed frames are read kPieceBytes at a time into a buffer that stays
    // in cache, each piece handed to the sink before the next is read: the
    // unpack then reads what the read has just written, and a large frame
    // does not go through memory twice.
    FrameReadOutcome readFrameInPieces(std::span<std::uint16_t> bayerFrame, PackedPieceSink& sink) override;
    static constexpr std::size_t kPieceBytes = 14 * 8192;
    // Passes over one frame without reading it. False once the stream has
    // ended or a failure was met: the next read then answers ClipEnded or
    // ReadFailed, so skipping can stop.
    bool skipFrame() override;
    // "<file>: <what went wrong>; frames <first> to <last> could not be read",
    // after a ReadFailed; <last> is the last frame the trailer announces
    // ("frames from <first> on" when the failure lies beyond it).
    const std::string& failureMessage() const override { return failureMessage_; }
    void close() override;
    // Frees the packed buffer; the next packed read allocates it again.
    void releasePackedBuffer() override;

    const RawClipTrailer& trailer() const override { return trailer_; }
    // What kept open() or positionAtFirstFrame() from succeeding.
    const ClipOpenFailure& openFailure() const override { return openFailure_; }
    bool isMultiFile() const { return trailerSearchCount_ > 0; }
    const std::string& trailerFilePath() const override { return trailerFilePath_; }
    const std::array<std::uint8_t, kRawClipTrailerBytes>& clipTrailerBytes() const override {
        return trailerBytes_;
    }
    std::string clipName() const override;
    std::vector<std::string> clipFileNames() const override;
    // The clip's files, the .RAW first, up to the one holding the trailer.
    std::vector<std::string> clipFiles() const;
    int storedPacking() const override;
    SensorWindow sensorWindow() const override { return {0, 0, trailer_.width, trailer_.height}; }
    const std::string& sourcePath() const override { return trailerFilePath_; }
    // The frame of the last PackedFrame read: frame-bytes long.
    std::span<const std::uint8_t> packedFrame() const override {
        return {packedBuffer_.get(), packedCapacity_};
    }
    const std::uint8_t* packedFrameData() const { return packedBuffer_.get(); }
    std::size_t packedFrameBytes() const { return packedCapacity_; }

private:
    std::string firstFilePath() const;
    std::string continuationPath(int index) const;
    enum class StreamRead { Complete, Ended, Failed };
    // Reads count bytes of the stream, going on in the next continuation file
    // when the current one runs out.
    StreamRead readStream(std::uint8_t* destination, std::size_t count);
    // Reads from the current file only, never into the trailer nor past the
    // stream's share of a continuation file; -1 after a failure.
    std::int64_t readFromCurrentFile(std::uint8_t* destination, std::size_t count);
    bool openNextContinuation();
    bool inTrailerFile() const { return currentFileIndex_ == trailerFileIndex_; }
    // The whole frames of the stream when every file before the trailer's is whole.
    std::uint64_t streamFrames() const;
    // Records why the clip cannot be opened and returns the failure.
    Status refuseOpen(ClipOpenFailure failure);
    // Records a failure at the current frame; false, for the caller to return.
    bool fail(const std::string& filePath, const std::string& what);
    // The end of the stream: a failure when the trailer announces more frames.
    FrameReadOutcome streamEnded();

    ClipReadObserver* observer_ = nullptr;
    std::string basePath_;
    platform::File file_;
    std::string currentFilePath_;
    RawClipTrailer trailer_;
    std::array<std::uint8_t, kRawClipTrailerBytes> trailerBytes_{};
    std::string trailerFilePath_;
    int trailerSearchCount_ = 0;  // continuation names tried while looking for the trailer
    int nextContinuation_ = 0;    // number of the next continuation file to open
    int currentFileIndex_ = -1;   // -1 for the .RAW file, n for .Rnn
    int trailerFileIndex_ = -1;
    std::int64_t trailerOffset_ = 0;  // where the trailer starts in its file: the stream ends there
    ClipOpenFailure openFailure_;
    std::unique_ptr<std::uint8_t[]> packedBuffer_;
    std::size_t packedCapacity_ = 0;
    std::unique_ptr<std::uint8_t[]> pieceBuffer_;  // kPieceBytes, once a frame is read in pieces
    std::uint64_t nextFrame_ = 0;  // index of the frame the next read or skip reaches
    bool failed_ = false;
    std::string failureMessage_;
};
