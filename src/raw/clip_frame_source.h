#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/status.h"
#include "raw/clip_trailer.h"

// Why open() or positionAtFirstFrame() could not go on.
enum class ClipOpenProblem {
    None,
    CannotOpen,         // a file of the clip could not be opened
    CannotSeek,         // the clip's file could not be seeked
    CannotReopen,       // the clip's first file could not be opened again to read from its start
    NoTrailer,          // none of the clip's files ends in a trailer
    WrongVersion,       // the trailer is of another version
    UnreadableTrailer,  // the trailer's sizes cannot describe a readable clip
    NotAnArchive,       // a movie that is no camera archive of this program
};

struct ClipOpenFailure {
    ClipOpenProblem problem = ClipOpenProblem::None;
    std::string path;  // the file concerned
    int error = 0;     // errno of the failed open or seek
    // When the trailer was being looked for in continuation files, the file
    // before `path`, whose end held no trailer; empty when `path` is the .RAW.
    std::string lastSearched;
    TrailerProblem trailerProblem;  // for UnreadableTrailer
    std::string reason;             // for NotAnArchive: why not
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
    PiecesTaken,    // the packed frame went to the piece sink as it was read
    ClipEnded,      // the stream ran out with every frame the trailer announces read
    ReadFailed,     // frames were lost: failureMessage() names the file and the frames
    NoMemory,       // the packed buffer could not be had
    RawSamples,     // the Bayer frame holds the samples as the clip stores them (storedPacking())
};

// Takes a packed frame piece by piece as it is read, while each piece is
// still in cache, instead of the whole frame once it is all in memory.
class PackedPieceSink {
public:
    // The frame's bytes from offset on; pieces come in order, and every piece
    // but the last holds a whole number of 14-byte groups.
    virtual void takePiece(std::span<const std::uint8_t> piece, std::size_t offset) = 0;

protected:
    ~PackedPieceSink() = default;
};

// "frames 3 to 9 could not be read": the frames a failure at frame `next` of
// a clip whose trailer announces `announced` frames loses ("frames from 3
// on" past the announced count).
std::string lostFramesText(std::uint64_t next, std::uint64_t announced);

// Where a source's frames lie in the clip's own frames: an archive may keep
// a window of them.
struct SensorWindow {
    int left = 0;
    int top = 0;
    int sensorWidth = 0;
    int sensorHeight = 0;
};

// Where the frames of a clip come from: the clip itself (RawClipReader), or a
// camera archive of it. Both tell the same trailer and give the same frames
// in the same order; an archive gives them as RawSamples.
class ClipFrameSource {
public:
    virtual ~ClipFrameSource() = default;

    // Told of every file entered and every skip into a file; may be null.
    virtual void setObserver(ClipReadObserver* observer) = 0;
    // Opens the clip (its base path, without ".RAW") or the archive (its
    // path). A failure is kBadInput when the files are no clip (or archive)
    // that can be read, kReadFailed when a file could not be opened or
    // seeked; openFailure() tells more.
    virtual Status open(const std::string& path) = 0;
    virtual const ClipOpenFailure& openFailure() const = 0;
    // The clip's trailer; for an archive of a window of the clip's frames,
    // with that window's size as the frame size.
    virtual const RawClipTrailer& trailer() const = 0;
    // The file the report names: the clip's file holding the trailer, or the archive.
    virtual const std::string& trailerFilePath() const = 0;
    virtual const std::string& sourcePath() const = 0;
    // How the RawSamples of readFrame are stored: 14, 12, or 16 for stored
    // 16-bit samples (raw/unpack.h).
    virtual int storedPacking() const = 0;
    virtual SensorWindow sensorWindow() const = 0;
    // The clip's trailer exactly as it holds it, its .RAW file's name and the
    // names of its files (the .RAW first), for an archive of it.
    virtual const std::array<std::uint8_t, kRawClipTrailerBytes>& clipTrailerBytes() const = 0;
    virtual std::string clipName() const = 0;
    virtual std::vector<std::string> clipFileNames() const = 0;

    virtual Status positionAtFirstFrame() = 0;
    virtual FrameReadOutcome readFrame(std::span<std::uint16_t> bayerFrame) = 0;
    // As readFrame, except that a packed frame goes to the sink as it is read
    // (PiecesTaken) rather than into packedFrame().
    virtual FrameReadOutcome readFrameInPieces(std::span<std::uint16_t> bayerFrame, PackedPieceSink& sink) {
        const FrameReadOutcome read = readFrame(bayerFrame);
        if (read != FrameReadOutcome::PackedFrame) return read;
        sink.takePiece(packedFrame(), 0);
        return FrameReadOutcome::PiecesTaken;
    }
    // Passes over one frame without reading it. False once the frames have
    // ended or a failure was met: the next read then tells which.
    virtual bool skipFrame() = 0;
    // After ReadFailed: which file, what went wrong, which frames are lost.
    virtual const std::string& failureMessage() const = 0;
    // The frame of the last PackedFrame read.
    virtual std::span<const std::uint8_t> packedFrame() const = 0;
    virtual void releasePackedBuffer() = 0;
    virtual void close() = 0;
};
