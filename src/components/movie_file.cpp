#include "components/movie_file.h"

#include <cerrno>

#include "platform/interrupt_cleanup.h"
#include "platform/path.h"
#include "platform/temporary_name.h"

MovieFile::~MovieFile() {
    abandon();
}

Status MovieFile::create(const std::string& finalPath) {
    abandon();
    if (finalPath.empty() || finalPath.back() == '/')
        return movieWriteFailure(finalPath.empty() ? ENOENT : EISDIR, "creating the movie file");
    finalPath_ = finalPath;
    temporaryPath_ = platform::temporaryNameFor(finalPath);
    position_ = 0;
    writeError_ = 0;
    // Registered first, so no moment passes with the file on disk and unregistered.
    platform::setInterruptCleanupPath(temporaryPath_.c_str());
    // Removing an old entry, then creating exclusively, never writes through
    // a link planted under the name.
    platform::removeFile(temporaryPath_);
    if (!file_.open(temporaryPath_, platform::File::Access::CreateNew)) {
        platform::setInterruptCleanupPath(nullptr);
        const int error = file_.lastError();
        temporaryPath_.clear();
        return movieWriteFailure(error, "creating the movie file");
    }
    return {};
}

std::int64_t MovieFile::writeAt(std::int64_t offset, const std::uint8_t* bytes, std::size_t count) {
    if (writeError_ != 0) return -writeError_;
    if (!file_.isOpen()) return -EBADF;
    if (offset < 0) return -EINVAL;
    if (offset != position_ && file_.seek(offset, platform::File::Origin::Begin) != offset) {
        writeError_ = file_.lastError() != 0 ? file_.lastError() : EIO;
        return -writeError_;
    }
    position_ = offset;
    if (!file_.write(bytes, count)) {
        writeError_ = file_.lastError();
        // Where the file now stands is unknown: seek before the next write.
        position_ = -1;
        return -writeError_;
    }
    position_ += static_cast<std::int64_t>(count);
    return static_cast<std::int64_t>(count);
}

Status MovieFile::failAndRemove(int errorNumber, const char* step) {
    abandon();
    return movieWriteFailure(errorNumber, step);
}

Status MovieFile::commit() {
    if (!file_.isOpen()) return movieWriteFailure(EBADF, "completing the movie file");
    if (writeError_ != 0) return failAndRemove(writeError_, "writing the movie file");
    if (!file_.flushToDisk()) return failAndRemove(file_.lastError(), "flushing the movie file");
    if (!file_.close()) return failAndRemove(file_.lastError(), "closing the movie file");
    int renameError = 0;
    if (!platform::renameReplacing(temporaryPath_, finalPath_, &renameError))
        return failAndRemove(renameError, "renaming the movie file onto its name");
    platform::setInterruptCleanupPath(nullptr);
    temporaryPath_.clear();
    return {};
}

void MovieFile::abandon() {
    if (temporaryPath_.empty()) return;
    file_.close();
    platform::removeFile(temporaryPath_);
    platform::setInterruptCleanupPath(nullptr);
    temporaryPath_.clear();
}
