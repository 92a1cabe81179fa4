#include "archive/archive_reader.h"

#include <cerrno>

#include "archive/crc32c.h"
#include "media/component_registry.h"

namespace {

// The component's failure as the program's: the system's errno when it has
// one, a file that is no archive (or a damaged frame) as bad input.
Status statusOf(HRESULT result, const std::string& message) {
    if (result == E_OUTOFMEMORY) return Status::failure(ErrorCode::kNoMemory, message);
    if (result == E_INVALIDARG) return Status::failure(ErrorCode::kBadInput, message);
    const int error = errnoFromHresult(result);
    if (error == ENOENT || error == ENOTDIR) return Status::failure(ErrorCode::kNotFound, message, error);
    return Status::failure(ErrorCode::kReadFailed, message, error);
}

Status notOpen() {
    return Status::failure(ErrorCode::kFailed, "no archive is open");
}

}  // namespace

ArchiveReader::ArchiveReader() = default;

ArchiveReader::~ArchiveReader() = default;

Status ArchiveReader::open(const std::string& path) {
    close();
    ComPtr<IArchiveReader> component;
    const HRESULT made = createInstance(CLSID_ArchiveReader, &component);
    if (made == REGDB_E_CLASSNOTREG)
        return Status::failure(ErrorCode::kUnsupported, path + ": no archive reader is installed");
    if (failed(made)) return statusOf(made, path + ": the archive reader cannot be made");
    component->SetDecodeThreads(decodeThreads_);
    if (const HRESULT opened = component->Open(path); failed(opened))
        return statusOf(opened, component->LastMessage());
    std::map<std::string, std::string> tags;
    if (const HRESULT read = component->GetTags(&tags); failed(read))
        return statusOf(read, component->LastMessage());
    Result<ArchiveInfo> info = archiveInfoFromTags(tags);
    if (!info.ok()) return info.status().within(path);
    component_ = std::move(component);
    info_ = std::move(info).value();
    path_ = path;
    return {};
}

Status ArchiveReader::readFrame(std::uint16_t* bayer, std::size_t strideSamples, ArchiveFrame* frame) {
    if (!component_) return notOpen();
    if (bayer == nullptr || frame == nullptr || strideSamples < static_cast<std::size_t>(info_.width))
        return Status::failure(ErrorCode::kBadInput, path_ + ": no room for a frame of the archive");
    *frame = ArchiveFrame{};
    ArchiveFrameRead read;
    const HRESULT result = component_->ReadFrame(bayer, strideSamples, info_.width, info_.height, &read);
    if (failed(result)) return statusOf(result, component_->LastMessage());
    if (result == S_FALSE) {
        frame->ended = true;
        return {};
    }
    if (read.width != info_.width || read.height != info_.height) {
        const std::string marked =
            read.marked ? " (marked as frame " + std::to_string(read.mark.index) + ")" : "";
        return Status::failure(ErrorCode::kBadInput,
                               path_ + ": a frame" + marked + " is " + std::to_string(read.width) + "x" +
                                   std::to_string(read.height) + ", not " + std::to_string(info_.width) +
                                   "x" + std::to_string(info_.height) + " as the archive says");
    }
    if (read.marked) frame->mark = read.mark;
    frame->checksum = frameChecksum(bayer, info_.width, info_.height, strideSamples);
    return {};
}

Status ArchiveReader::skipFrame(bool* ended) {
    if (!component_) return notOpen();
    const HRESULT result = component_->SkipFrame();
    if (failed(result)) return statusOf(result, component_->LastMessage());
    if (ended != nullptr) *ended = result == S_FALSE;
    return {};
}

Status ArchiveReader::rewind() {
    if (!component_) return notOpen();
    const HRESULT result = component_->Rewind();
    if (failed(result)) return statusOf(result, component_->LastMessage());
    return {};
}

void ArchiveReader::close() {
    component_.reset();
    info_ = ArchiveInfo{};
    path_.clear();
}
