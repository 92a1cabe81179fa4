#include "archive/archive_reader.h"

#include "archive/crc32c.h"
#include "media/component_registry.h"

// A first form of the wrapper, for the program side to build against while
// the component is made.
ArchiveReader::ArchiveReader() = default;

ArchiveReader::~ArchiveReader() {
    close();
}

Status ArchiveReader::open(const std::string& path) {
    close();
    path_ = path;
    info_ = ArchiveInfo{};
    if (failed(createInstance(CLSID_ArchiveReader, &component_)))
        return Status::failure(ErrorCode::kUnsupported, "no archive reader is registered");
    if (failed(component_->Open(path)))
        return Status::failure(ErrorCode::kBadInput, component_->LastMessage());
    std::map<std::string, std::string> tags;
    if (failed(component_->GetTags(&tags)))
        return Status::failure(ErrorCode::kBadInput, component_->LastMessage());
    Result<ArchiveInfo> info = archiveInfoFromTags(tags);
    if (!info.ok()) return info.status();
    info_ = std::move(info).value();
    return {};
}

Status ArchiveReader::readFrame(std::uint16_t* bayer, std::size_t strideSamples, ArchiveFrame* frame) {
    *frame = ArchiveFrame{};
    if (!component_) return Status::failure(ErrorCode::kFailed, "no archive is open");
    ArchiveFrameRead read;
    const HRESULT result = component_->ReadFrame(bayer, strideSamples, info_.width, info_.height, &read);
    if (failed(result)) return Status::failure(ErrorCode::kBadInput, component_->LastMessage());
    if (result == S_FALSE) {
        frame->ended = true;
        return {};
    }
    if (read.width != info_.width || read.height != info_.height)
        return Status::failure(ErrorCode::kBadInput,
                               "a frame is " + std::to_string(read.width) + "x" +
                                   std::to_string(read.height) + ", not the archive's " +
                                   std::to_string(info_.width) + "x" + std::to_string(info_.height));
    if (read.marked) frame->mark = read.mark;
    frame->checksum = frameChecksum(bayer, read.width, read.height, strideSamples);
    return {};
}

Status ArchiveReader::skipFrame(bool* ended) {
    *ended = false;
    if (!component_) return Status::failure(ErrorCode::kFailed, "no archive is open");
    const HRESULT result = component_->SkipFrame();
    if (failed(result)) return Status::failure(ErrorCode::kReadFailed, component_->LastMessage());
    *ended = result == S_FALSE;
    return {};
}

Status ArchiveReader::rewind() {
    if (!component_) return Status::failure(ErrorCode::kFailed, "no archive is open");
    if (failed(component_->Rewind()))
        return Status::failure(ErrorCode::kReadFailed, component_->LastMessage());
    return {};
}

void ArchiveReader::close() {
    component_.reset();
}
