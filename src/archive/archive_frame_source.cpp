#include "archive/archive_frame_source.h"

#include <algorithm>
#include <cstdio>

#include "platform/processors.h"

namespace {

// Bits a sample of each packing takes in a clip's frames.
std::uint64_t packedBits(int packing) {
    if (packing == kPacking14) return 14;
    if (packing == kPacking12) return 10;
    return 16;
}

std::string hex8(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
    return text;
}

}  // namespace

RawClipTrailer archiveFrameTrailer(const ArchiveInfo& info) {
    RawClipTrailer trailer = info.trailer;
    trailer.width = static_cast<std::uint16_t>(info.width);
    trailer.height = static_cast<std::uint16_t>(info.height);
    const std::uint64_t samples = std::uint64_t{trailer.width} * trailer.height;
    trailer.frameBytes = static_cast<std::uint32_t>(samples * packedBits(info.packing()) / 8);
    normalizeGeometryCopies(trailer);
    return trailer;
}

Status ArchiveFrameSource::open(const std::string& path) {
    path_ = path;
    openFailure_ = ClipOpenFailure{};
    failed_ = false;
    failureMessage_.clear();
    nextFrame_ = 0;
    // While one frame is decoded the pool makes the picture of the one before
    // on every processor: decoding threads beyond half of them only take
    // turns with its workers (on two cores a helper cost 5 to 10%).
    reader_.setDecodeThreads(std::max(1, platform::processorCount() / 2));
    const Status opened = reader_.open(path);
    if (!opened.ok()) {
        openFailure_.path = path;
        openFailure_.error = opened.systemError();
        if (opened.code() == ErrorCode::kBadInput || opened.code() == ErrorCode::kUnsupported) {
            openFailure_.problem = ClipOpenProblem::NotAnArchive;
            openFailure_.reason = opened.message();
        } else {
            openFailure_.problem = ClipOpenProblem::CannotOpen;
        }
        return opened;
    }
    trailer_ = archiveFrameTrailer(reader_.info());
    return {};
}

Status ArchiveFrameSource::positionAtFirstFrame() {
    nextFrame_ = 0;
    failed_ = false;
    failureMessage_.clear();
    const Status rewound = reader_.rewind();
    if (!rewound.ok()) {
        openFailure_ = ClipOpenFailure{};
        openFailure_.problem = ClipOpenProblem::CannotSeek;
        openFailure_.path = path_;
        openFailure_.error = rewound.systemError();
    }
    return rewound;
}

bool ArchiveFrameSource::fail(const std::string& what) {
    failed_ = true;
    failureMessage_ = path_ + ": " + what + "; " + lostFramesText(nextFrame_, trailer_.frameCount);
    return false;
}

FrameReadOutcome ArchiveFrameSource::readFrame(std::span<std::uint16_t> bayerFrame) {
    if (failed_) return FrameReadOutcome::ReadFailed;
    const std::size_t samples = std::size_t{trailer_.width} * trailer_.height;
    if (bayerFrame.size() < samples) return FrameReadOutcome::ClipEnded;
    ArchiveFrame frame;
    if (const Status read = reader_.readFrame(bayerFrame.data(), trailer_.width, &frame); !read.ok()) {
        fail(read.message());
        return FrameReadOutcome::ReadFailed;
    }
    if (frame.ended) {
        if (nextFrame_ >= trailer_.frameCount) return FrameReadOutcome::ClipEnded;
        fail("the archive holds " + std::to_string(nextFrame_) + " frames of the " +
             std::to_string(trailer_.frameCount) + " its clip has");
        return FrameReadOutcome::ReadFailed;
    }
    const std::string frameName = "frame " + std::to_string(nextFrame_);
    if (!frame.mark) {
        fail(frameName + " carries no archive mark");
        return FrameReadOutcome::ReadFailed;
    }
    if (frame.mark->index != nextFrame_) {
        fail(frameName + " is marked as frame " + std::to_string(frame.mark->index));
        return FrameReadOutcome::ReadFailed;
    }
    if (frame.mark->checksum != frame.checksum) {
        fail(frameName + " does not match its checksum (it carries " + hex8(frame.mark->checksum) +
             ", its samples give " + hex8(frame.checksum) + ")");
        return FrameReadOutcome::ReadFailed;
    }
    ++nextFrame_;
    return FrameReadOutcome::RawSamples;
}

bool ArchiveFrameSource::skipFrame() {
    if (failed_) return false;
    bool ended = false;
    if (const Status skipped = reader_.skipFrame(&ended); !skipped.ok()) return fail(skipped.message());
    if (ended) return false;
    ++nextFrame_;
    return true;
}
