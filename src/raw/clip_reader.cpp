#include "raw/clip_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <utility>

#include "platform/directory.h"
#include "raw/trailer_at_end.h"

std::string clipFilePath(const std::string& basePath, int fileIndex) {
    if (fileIndex < 0) return platform::findFileIgnoringCase(basePath + ".RAW");
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".R%02d", fileIndex);
    return platform::findFileIgnoringCase(basePath + suffix);
}

std::string RawClipReader::firstFilePath() const {
    return clipFilePath(basePath_, -1);
}

std::string RawClipReader::continuationPath(int index) const {
    return clipFilePath(basePath_, index);
}

Status RawClipReader::refuseOpen(ClipOpenFailure failure) {
    openFailure_ = std::move(failure);
    const ClipOpenFailure& refused = openFailure_;
    switch (refused.problem) {
        case ClipOpenProblem::NoTrailer:
            return Status::failure(ErrorCode::kBadInput, "no RAW trailer at the end of the clip's files");
        case ClipOpenProblem::WrongVersion:
            return Status::failure(ErrorCode::kBadInput,
                                   refused.path + ": trailer version " + std::to_string(trailer_.version));
        case ClipOpenProblem::UnreadableTrailer:
            return Status::failure(ErrorCode::kBadInput, refused.path + ": unreadable clip trailer");
        case ClipOpenProblem::CannotOpen:
        case ClipOpenProblem::CannotReopen:
            return Status::failure(ErrorCode::kReadFailed, "cannot open " + refused.path, refused.error);
        case ClipOpenProblem::CannotSeek:
        case ClipOpenProblem::NotAnArchive:
        case ClipOpenProblem::None:
            break;
    }
    return Status::failure(ErrorCode::kReadFailed, "cannot seek in " + refused.path, refused.error);
}

Status RawClipReader::open(const std::string& basePath) {
    close();
    basePath_ = basePath;
    trailerSearchCount_ = 0;
    nextContinuation_ = 0;

    openFailure_ = ClipOpenFailure{};
    failed_ = false;
    failureMessage_.clear();

    std::string path = firstFilePath();
    std::string searched;  // the file before `path` whose end held no trailer
    int fileIndex = -1;
    TrailerAtEnd found;
    for (;;) {
        if (!file_.open(path, platform::File::Access::Read))
            return refuseOpen({ClipOpenProblem::CannotOpen, path, file_.lastError(), searched, {}, {}});
        found = readTrailerAtEnd(file_);
        if (found.seekFailed) {
            const int error = file_.lastError();
            file_.close();
            return refuseOpen({ClipOpenProblem::CannotSeek, path, error, {}, {}, {}});
        }
        if (found.trailer) break;
        if (trailerSearchCount_ >= kMaxContinuationFiles) {
            file_.close();
            return refuseOpen({ClipOpenProblem::NoTrailer, path, 0, searched, {}, {}});
        }
        file_.close();
        fileIndex = trailerSearchCount_;
        searched = path;
        path = continuationPath(trailerSearchCount_);
        ++trailerSearchCount_;
    }
    trailerOffset_ = found.offset;

    trailer_ = *found.trailer;
    trailerBytes_ = found.bytes;
    if (trailer_.version != kSupportedTrailerVersion) {
        file_.close();
        return refuseOpen({ClipOpenProblem::WrongVersion, path, 0, {}, {}, {}});
    }
    if (const TrailerProblem problem = findTrailerProblem(trailer_)) {
        file_.close();
        return refuseOpen({ClipOpenProblem::UnreadableTrailer, path, 0, {}, problem, {}});
    }
    normalizeGeometryCopies(trailer_);

    trailerFilePath_ = path;
    currentFilePath_ = path;
    trailerFileIndex_ = fileIndex;
    currentFileIndex_ = fileIndex;
    if (packedCapacity_ != trailer_.frameBytes) releasePackedBuffer();
    return {};
}

int RawClipReader::storedPacking() const {
    return storesPlainSamples(trailer_) ? 16 : trailer_.packing;
}

namespace {

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string RawClipReader::clipName() const {
    return fileNameOf(firstFilePath());
}

std::vector<std::string> RawClipReader::clipFileNames() const {
    std::vector<std::string> names;
    for (const std::string& file : clipFiles()) names.push_back(fileNameOf(file));
    return names;
}

std::vector<std::string> RawClipReader::clipFiles() const {
    std::vector<std::string> files{firstFilePath()};
    for (int index = 0; index <= trailerFileIndex_; ++index) files.push_back(continuationPath(index));
    return files;
}

Status RawClipReader::positionAtFirstFrame() {
    nextContinuation_ = 0;
    nextFrame_ = 0;
    failed_ = false;
    failureMessage_.clear();
    if (!isMultiFile()) {
        if (file_.seek(0, platform::File::Origin::Begin) < 0)
            return refuseOpen({ClipOpenProblem::CannotSeek, currentFilePath_, file_.lastError(), {}, {}, {}});
    } else {
        file_.close();
        currentFilePath_ = firstFilePath();
        currentFileIndex_ = -1;
        if (!file_.open(currentFilePath_, platform::File::Access::Read))
            return refuseOpen(
                {ClipOpenProblem::CannotReopen, currentFilePath_, file_.lastError(), {}, {}, {}});
    }
    file_.adviseSequential();
    return {};
}

std::uint64_t RawClipReader::streamFrames() const {
    const std::uint64_t filesBefore = static_cast<std::uint64_t>(trailerFileIndex_ + 1);
    const std::uint64_t streamBytes = filesBefore * static_cast<std::uint64_t>(kContinuationFileBytes) +
                                      static_cast<std::uint64_t>(trailerOffset_);
    return trailer_.frameBytes == 0 ? 0 : streamBytes / trailer_.frameBytes;
}

std::string lostFramesText(std::uint64_t next, std::uint64_t announced) {
    // The frames lost run to the last one the trailer announces; past it the
    // clip has no count to name.
    std::string frames;
    if (announced > next + 1)
        frames = "frames " + std::to_string(next) + " to " + std::to_string(announced - 1);
    else if (announced == next + 1)
        frames = "frame " + std::to_string(next);
    else
        frames = "frames from " + std::to_string(next) + " on";
    return frames + " could not be read";
}

bool RawClipReader::fail(const std::string& filePath, const std::string& what) {
    failed_ = true;
    failureMessage_ = filePath + ": " + what + "; " + lostFramesText(nextFrame_, trailer_.frameCount);
    return false;
}

FrameReadOutcome RawClipReader::streamEnded() {
    if (nextFrame_ >= trailer_.frameCount) return FrameReadOutcome::ClipEnded;
    fail(trailerFilePath_, "the trailer announces " + std::to_string(trailer_.frameCount) +
                               " frames but the clip holds " + std::to_string(streamFrames()));
    return FrameReadOutcome::ReadFailed;
}

FrameReadOutcome RawClipReader::readFrame(std::span<std::uint16_t> bayerFrame) {
    if (failed_) return FrameReadOutcome::ReadFailed;
    const std::size_t frameBytes = trailer_.frameBytes;
    if (frameBytes == 0 || !file_.isOpen()) return FrameReadOutcome::ClipEnded;

    std::uint8_t* destination = nullptr;
    if (storesPlainSamples(trailer_)) {
        if (bayerFrame.size_bytes() < frameBytes) {
            assert(!"Bayer frame smaller than the clip's frames");
            return FrameReadOutcome::ClipEnded;
        }
        destination = reinterpret_cast<std::uint8_t*>(bayerFrame.data());
    } else {
        if (packedCapacity_ != frameBytes) {
            releasePackedBuffer();
            packedBuffer_.reset(new (std::nothrow) std::uint8_t[frameBytes]);
            if (!packedBuffer_) return FrameReadOutcome::NoMemory;
            packedCapacity_ = frameBytes;
        }
        destination = packedBuffer_.get();
    }

    const StreamRead read = readStream(destination, frameBytes);
    if (read == StreamRead::Failed) return FrameReadOutcome::ReadFailed;
    if (read == StreamRead::Ended) return streamEnded();
    ++nextFrame_;
    if (!storesPlainSamples(trailer_)) return FrameReadOutcome::PackedFrame;
    // Stored little-endian.
    if constexpr (std::endian::native == std::endian::big) {
        for (std::size_t i = 0; i < frameBytes / 2; ++i)
            bayerFrame[i] = static_cast<std::uint16_t>((bayerFrame[i] >> 8) | (bayerFrame[i] << 8));
    }
    return FrameReadOutcome::StoredSamples;
}

FrameReadOutcome RawClipReader::readFrameInPieces(std::span<std::uint16_t> bayerFrame, PackedPieceSink& sink) {
    const std::size_t frameBytes = trailer_.frameBytes;
    if (failed_ || frameBytes == 0 || !file_.isOpen() || storesPlainSamples(trailer_))
        return readFrame(bayerFrame);
    if (!pieceBuffer_) {
        pieceBuffer_.reset(new (std::nothrow) std::uint8_t[kPieceBytes]);
        if (!pieceBuffer_) return FrameReadOutcome::NoMemory;
    }
    for (std::size_t offset = 0; offset < frameBytes; offset += kPieceBytes) {
        const std::size_t count = std::min(kPieceBytes, frameBytes - offset);
        const StreamRead read = readStream(pieceBuffer_.get(), count);
        if (read == StreamRead::Failed) return FrameReadOutcome::ReadFailed;
        if (read == StreamRead::Ended) return streamEnded();
        sink.takePiece({pieceBuffer_.get(), count}, offset);
    }
    ++nextFrame_;
    return FrameReadOutcome::PiecesTaken;
}

RawClipReader::StreamRead RawClipReader::readStream(std::uint8_t* destination, std::size_t count) {
    std::size_t got = 0;
    for (;;) {
        const std::int64_t piece = readFromCurrentFile(destination + got, count - got);
        if (piece < 0) return StreamRead::Failed;
        got += static_cast<std::size_t>(piece);
        if (got == count) return StreamRead::Complete;
        if (!isMultiFile() || inTrailerFile()) return StreamRead::Ended;
        // A file before the trailer's ran out: it must hold its whole share of the stream.
        const std::int64_t fileBytes = file_.size();
        if (fileBytes < kContinuationFileBytes) {
            fail(currentFilePath_, "the file holds " + std::to_string(fileBytes) + " bytes where " +
                                       std::to_string(kContinuationFileBytes) + " were expected");
            return StreamRead::Failed;
        }
        // Frames that straddle two files are completed from the start of the next one.
        if (!openNextContinuation()) return StreamRead::Failed;
        if (observer_) observer_->enteredFile(currentFilePath_);
    }
}

std::int64_t RawClipReader::readFromCurrentFile(std::uint8_t* destination, std::size_t count) {
    if (!file_.isOpen()) return 0;
    const std::int64_t position = file_.position();
    if (position < 0) {
        fail(currentFilePath_, "its read position is lost: " + std::string(std::strerror(file_.lastError())));
        return -1;
    }
    // The trailer is not part of the frame stream, nor is anything a
    // continuation file holds beyond its share.
    const std::int64_t streamEnd = inTrailerFile() ? trailerOffset_ : kContinuationFileBytes;
    if (position >= streamEnd) return 0;
    const std::size_t wanted = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(count), streamEnd - position));
    std::int64_t got = file_.read(destination, wanted);
    // A short read is the end of the file only when nothing more comes: an
    // error after some bytes shows on the next read.
    if (got >= 0 && static_cast<std::size_t>(got) < wanted) {
        const std::int64_t more = file_.read(destination + got, wanted - static_cast<std::size_t>(got));
        got = more < 0 ? -1 : got + more;
    }
    if (got < 0) {
        fail(currentFilePath_, "read error: " + std::string(std::strerror(file_.lastError())));
        return -1;
    }
    return got;
}

bool RawClipReader::openNextContinuation() {
    file_.close();
    if (nextContinuation_ >= kMaxContinuationFiles)
        return fail(currentFilePath_, "the clip runs on past its last continuation file");
    currentFilePath_ = continuationPath(nextContinuation_);
    currentFileIndex_ = nextContinuation_;
    ++nextContinuation_;
    if (!file_.open(currentFilePath_, platform::File::Access::Read))
        return fail(currentFilePath_,
                    "the file cannot be opened: " + std::string(std::strerror(file_.lastError())));
    file_.adviseSequential();
    return true;
}

bool RawClipReader::skipFrame() {
    if (failed_ || !file_.isOpen()) return false;
    const std::int64_t before = file_.position();
    if (before < 0)
        return fail(currentFilePath_,
                    "its read position is lost: " + std::string(std::strerror(file_.lastError())));
    const std::int64_t after =
        file_.seek(static_cast<std::int64_t>(trailer_.frameBytes), platform::File::Origin::Current);
    if (after < 0)
        return fail(currentFilePath_, "seek error: " + std::string(std::strerror(file_.lastError())));
    ++nextFrame_;
    if ((after >> 32) == (before >> 32) || !isMultiFile() || inTrailerFile())
        return !(inTrailerFile() && after >= trailerOffset_);
    // The frame ends in the next file. Files hold 2^32 - 1 bytes, so stream
    // position `after` of this file is (after - 2^32 + 1) in the next one.
    if (!openNextContinuation()) return false;
    if (observer_) observer_->skippedInto(currentFilePath_);
    if (file_.seek((after & 0xFFFFFFFF) + 1, platform::File::Origin::Begin) < 0)
        return fail(currentFilePath_, "seek error: " + std::string(std::strerror(file_.lastError())));
    return true;
}

void RawClipReader::close() {
    file_.close();
}

void RawClipReader::releasePackedBuffer() {
    packedBuffer_.reset();
    packedCapacity_ = 0;
}
