#include "raw/clip_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstdio>
#include <new>
#include <optional>

#include "platform/directory.h"

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

ClipOpenOutcome RawClipReader::open(const std::string& basePath, const std::string& nameInMessages) {
    close();
    basePath_ = basePath;
    trailerSearchCount_ = 0;
    nextContinuation_ = 0;

    openFailure_ = ClipOpenFailure{};
    std::string path = firstFilePath();
    std::string searched;  // the file before `path` whose end held no trailer
    int fileIndex = -1;
    std::optional<RawClipTrailer> found;
    for (;;) {
        if (!file_.open(path, platform::File::Access::Read)) {
            std::printf("%s file could not be opened\n", nameInMessages.c_str());
            openFailure_ = ClipOpenFailure{path, file_.lastError(), searched};
            return ClipOpenOutcome::EndRun;
        }
        const std::int64_t fileBytes = file_.seek(0, platform::File::Origin::End);
        if (fileBytes < 0) {
            std::printf("%s file could not be seeked\n", nameInMessages.c_str());
            file_.close();
            return ClipOpenOutcome::EndRun;
        }
        // A file too short to hold a trailer is treated like one without the magic.
        if (fileBytes >= static_cast<std::int64_t>(kRawClipTrailerBytes)) {
            const std::int64_t trailerOffset = fileBytes - static_cast<std::int64_t>(kRawClipTrailerBytes);
            if (file_.seek(trailerOffset, platform::File::Origin::Begin) < 0) {
                std::printf("%s file could not be seeked\n", nameInMessages.c_str());
                file_.close();
                return ClipOpenOutcome::EndRun;
            }
            std::array<std::uint8_t, kRawClipTrailerBytes> bytes{};
            if (file_.read(bytes.data(), bytes.size()) == static_cast<std::int64_t>(bytes.size()))
                found = parseRawClipTrailer(bytes);
            trailerOffset_ = trailerOffset;
        }
        if (found) break;
        if (trailerSearchCount_ >= kMaxContinuationFiles) {
            std::printf("Not an RAW file\n");
            file_.close();
            return ClipOpenOutcome::NotRawClip;
        }
        file_.close();
        fileIndex = trailerSearchCount_;
        searched = path;
        path = continuationPath(trailerSearchCount_);
        ++trailerSearchCount_;
    }

    trailer_ = *found;
    if (trailer_.version != kSupportedTrailerVersion) {
        std::printf("version %d\n", trailer_.version);
        file_.close();
        return ClipOpenOutcome::NotRawClip;
    }
    if (const TrailerProblem problem = findTrailerProblem(trailer_)) {
        std::printf(
            "%s: unreadable clip trailer, %s is %llu: %s\n", path.c_str(), trailerFieldName(problem.field),
            static_cast<unsigned long long>(trailerFieldValue(trailer_, problem.field)), problem.reason);
        file_.close();
        return ClipOpenOutcome::NotRawClip;
    }

    std::printf("%s\n", path.c_str());
    std::printf("%dx%d %d frames %d.%03d fps\n", static_cast<int>(trailer_.width),
                static_cast<int>(trailer_.height), static_cast<int>(trailer_.frameCount),
                static_cast<int>(trailer_.frameRateMilli / 1000),
                static_cast<int>(trailer_.frameRateMilli % 1000));
    normalizeGeometryCopies(trailer_);

    trailerFilePath_ = path;
    currentFilePath_ = path;
    trailerFileIndex_ = fileIndex;
    currentFileIndex_ = fileIndex;
    if (packedCapacity_ != trailer_.frameBytes) releasePackedBuffer();
    return ClipOpenOutcome::Ready;
}

ClipOpenOutcome RawClipReader::positionAtFirstFrame(const std::string& nameInMessages) {
    nextContinuation_ = 0;
    if (!isMultiFile()) {
        if (file_.seek(0, platform::File::Origin::Begin) < 0) {
            std::printf("%s file could not be seeked\n", nameInMessages.c_str());
            return ClipOpenOutcome::EndRun;
        }
    } else {
        file_.close();
        currentFilePath_ = firstFilePath();
        currentFileIndex_ = -1;
        if (!file_.open(currentFilePath_, platform::File::Access::Read)) {
            std::printf("wha happen?");
            return ClipOpenOutcome::EndRun;
        }
    }
    file_.adviseSequential();
    return ClipOpenOutcome::Ready;
}

FrameReadOutcome RawClipReader::readFrame(std::span<std::uint16_t> bayerFrame) {
    const std::size_t frameBytes = trailer_.frameBytes;
    if (frameBytes == 0 || !file_.isOpen()) return FrameReadOutcome::ClipEnded;

    if (storesPlainSamples(trailer_)) {
        if (bayerFrame.size_bytes() < frameBytes) {
            assert(!"Bayer frame smaller than the clip's frames");
            return FrameReadOutcome::ClipEnded;
        }
        if (!readStream(reinterpret_cast<std::uint8_t*>(bayerFrame.data()), frameBytes))
            return FrameReadOutcome::ClipEnded;
        // Stored little-endian.
        if constexpr (std::endian::native == std::endian::big) {
            for (std::size_t i = 0; i < frameBytes / 2; ++i)
                bayerFrame[i] = static_cast<std::uint16_t>((bayerFrame[i] >> 8) | (bayerFrame[i] << 8));
        }
        return FrameReadOutcome::StoredSamples;
    }

    if (packedCapacity_ != frameBytes) {
        releasePackedBuffer();
        packedBuffer_.reset(new (std::nothrow) std::uint8_t[frameBytes]);
        if (!packedBuffer_) {
            std::printf("out of memory 1\n");
            return FrameReadOutcome::ClipEnded;
        }
        packedCapacity_ = frameBytes;
    }
    if (!readStream(packedBuffer_.get(), frameBytes)) return FrameReadOutcome::ClipEnded;
    return FrameReadOutcome::PackedFrame;
}

bool RawClipReader::readStream(std::uint8_t* destination, std::size_t count) {
    std::size_t got = readFromCurrentFile(destination, count);
    if (got == count) return true;
    // Frames that straddle two files are completed from the start of the next one.
    if (!isMultiFile() || inTrailerFile() || !file_.isOpen()) return false;
    if (!openNextContinuation()) return false;
    std::printf("\n%s\n", currentFilePath_.c_str());
    got += readFromCurrentFile(destination + got, count - got);
    return got == count;
}

std::size_t RawClipReader::readFromCurrentFile(std::uint8_t* destination, std::size_t count) {
    if (!file_.isOpen()) return 0;
    std::size_t wanted = count;
    if (inTrailerFile()) {
        // The trailer is not part of the frame stream.
        const std::int64_t position = file_.position();
        if (position < 0 || position >= trailerOffset_) return 0;
        wanted = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(count), trailerOffset_ - position));
    }
    const std::int64_t got = file_.read(destination, wanted);
    return got < 0 ? 0 : static_cast<std::size_t>(got);
}

bool RawClipReader::openNextContinuation() {
    file_.close();
    if (nextContinuation_ >= kMaxContinuationFiles) return false;
    currentFilePath_ = continuationPath(nextContinuation_);
    currentFileIndex_ = nextContinuation_;
    ++nextContinuation_;
    if (!file_.open(currentFilePath_, platform::File::Access::Read)) return false;
    file_.adviseSequential();
    return true;
}

bool RawClipReader::skipFrame() {
    if (!file_.isOpen()) return false;
    const std::int64_t before = file_.position();
    if (before < 0) return false;
    const std::int64_t after =
        file_.seek(static_cast<std::int64_t>(trailer_.frameBytes), platform::File::Origin::Current);
    if (after < 0) return false;
    if ((after >> 32) == (before >> 32) || !isMultiFile() || inTrailerFile())
        return !(inTrailerFile() && after >= trailerOffset_);
    // The frame ends in the next file. Files hold 2^32 - 1 bytes, so stream
    // position `after` of this file is (after - 2^32 + 1) in the next one.
    if (!openNextContinuation()) return false;
    std::printf("\nskip to %s\n", currentFilePath_.c_str());
    file_.seek((after & 0xFFFFFFFF) + 1, platform::File::Origin::Begin);
    return true;
}

bool RawClipReader::framesInCurrentFile(std::uint64_t frames) const {
    if (!isMultiFile() || inTrailerFile() || frames == 0) return true;
    const std::int64_t position = file_.position();
    const std::int64_t size = file_.size();
    if (position < 0 || size < position || trailer_.frameBytes == 0) return false;
    return static_cast<std::uint64_t>(size - position) / trailer_.frameBytes >= frames;
}

void RawClipReader::close() {
    file_.close();
}

void RawClipReader::releasePackedBuffer() {
    packedBuffer_.reset();
    packedCapacity_ = 0;
}
