#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/file.h"
#include "platform/status.h"
#include "raw/clip_trailer.h"

// The path of one file of a clip: base + ".RAW" for index -1, base + ".Rnn"
// for continuation nn, in whatever letter case the file exists.
std::string clipFilePath(const std::string& basePath, int fileIndex);

// Why open() or positionAtFirstFrame() could not go on.
enum class ClipOpenProblem {
    None,
    CannotOpen,         // a file of the clip could not be opened
    CannotSeek,         // the clip's file could not be seeked
    CannotReopen,       // the clip's first file could not be opened again to read from its start
    NoTrailer,          // none of the clip's files ends in a trailer
    WrongVersion,       // the trailer is of another version
    UnreadableTrailer,  // the trailer's sizes cannot describe a readable clip
};

struct ClipOpenFailure {
    ClipOpenProblem problem = ClipOpenProblem::None;
    std::string path;  // the file concerned
    int error = 0;     // errno of the failed open or seek
    // When the trailer was being looked for in continuation files, the file
    // before `path`, whose end held no trailer; empty when `path` is the .RAW.
    std::string lastSearched;
    TrailerProblem trailerProblem;  // for UnreadableTrailer
};

// What reading a clip has to tell the user as it goes; the reader itself
// prints nothing.
class ClipReadObserver {
public:
    // Reading went on into the next file of the clip.
    virtual void enteredFile(const std::string& path) = 0;
    // A skip went on into the next file of the clip.
    virtual void skippedInto(const std::string& path) = 0;

protected:
    ~ClipReadObserver() = default;
};

enum class FrameReadOutcome {
    StoredSamples,  // the Bayer frame holds the frame's 16-bit samples as stored
    PackedFrame,    // packedFrame() holds the frame for the unpacker
    ClipEnded,      // the stream ran out with every frame the trailer announces read
    ReadFailed,     // frames were lost: failureMessage() names the file and the frames
    NoMemory,       // the packed buffer could not be had
};

// Reads one clip: base + ".RAW" and its continuations ".R00" .. ".R98", one
// byte stream of frames with the trailer at the end of the last file. Every
// file but the last holds exactly kContinuationFileBytes bytes. The clip's own
// messages go to standard output as the run's console text.
//
// Frames that cannot be read are a failure, never a quiet end of the clip: a
// read or seek error, a file before the last that is shorter than
// kContinuationFileBytes, a continuation file that is gone, or a stream that
// ends before the frame count the trailer announces. The read that meets one
// answers ReadFailed (a failed skip makes the next read answer it), and
// failureMessage() says which file and which frames.
class RawClipReader {
public:
    static constexpr std::int64_t kContinuationFileBytes = 4294967295;
    static constexpr int kMaxContinuationFiles = 99;

    // Told of every file entered and every skip into a file; may be null.
    void setObserver(ClipReadObserver* observer) { observer_ = observer; }

    // Finds the trailer in base.RAW, then base.R00 .. base.R98, checks it and
    // normalises it. A failure is kBadInput when the files are no clip this
    // reader can read, kReadFailed when a file could not be opened or
    // seeked; openFailure() tells more.
    Status open(const std::string& basePath);
    // Moves to the first frame.
    Status positionAtFirstFrame();
    // Reads the next frame. Plain 16-bit frames go straight into bayerFrame,
    // which must hold at least width x height samples; packed frames go into
    // the reader's packed buffer, allocated once per frame size.
    FrameReadOutcome readFrame(std::span<std::uint16_t> bayerFrame);
    // Passes over one frame without reading it. False once the stream has
    // ended or a failure was met: the next read then answers ClipEnded or
    // ReadFailed, so skipping can stop.
    bool skipFrame();
    // "<file>: <what went wrong>; frames <first> to <last> could not be read",
    // after a ReadFailed; <last> is the last frame the trailer announces
    // ("frames from <first> on" when the failure lies beyond it).
    const std::string& failureMessage() const { return failureMessage_; }
    void close();
    // Frees the packed buffer; the next packed read allocates it again.
    void releasePackedBuffer();

    const RawClipTrailer& trailer() const { return trailer_; }
    // What kept open() or positionAtFirstFrame() from succeeding.
    const ClipOpenFailure& openFailure() const { return openFailure_; }
    bool isMultiFile() const { return trailerSearchCount_ > 0; }
    const std::string& trailerFilePath() const { return trailerFilePath_; }
    // The frame of the last PackedFrame read: frame-bytes long.
    std::span<const std::uint8_t> packedFrame() const { return {packedBuffer_.get(), packedCapacity_}; }
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
    std::string trailerFilePath_;
    int trailerSearchCount_ = 0;  // continuation names tried while looking for the trailer
    int nextContinuation_ = 0;    // number of the next continuation file to open
    int currentFileIndex_ = -1;   // -1 for the .RAW file, n for .Rnn
    int trailerFileIndex_ = -1;
    std::int64_t trailerOffset_ = 0;  // where the trailer starts in its file: the stream ends there
    ClipOpenFailure openFailure_;
    std::unique_ptr<std::uint8_t[]> packedBuffer_;
    std::size_t packedCapacity_ = 0;
    std::uint64_t nextFrame_ = 0;  // index of the frame the next read or skip reaches
    bool failed_ = false;
    std::string failureMessage_;
};
