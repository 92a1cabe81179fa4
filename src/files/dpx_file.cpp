#include "files/dpx_file.h"

#include <cerrno>

#include "files/chunked_read.h"
#include "files/path_name.h"
#include "files/sector_size.h"
#include "platform/path.h"

namespace {

bool fitsPathCapacity(const std::filesystem::path& path) {
    return !path.empty() && path.native().size() < kPathCapacity;
}

}  // namespace

bool CDPXFile::acceptPath(const std::filesystem::path& path) {
    if (fitsPathCapacity(path)) return true;
    lastError_ = path.empty() ? ENOENT : ENAMETOOLONG;
    return false;
}

bool CDPXFile::noteFailure() {
    lastError_ = file_.lastError();
    return false;
}

bool CDPXFile::CreateForWriting(const std::filesystem::path& absolutePath) {
    file_.close();
    if (!acceptPath(absolutePath)) return false;
    // Replacing the old entry and then creating exclusively never writes
    // through a link planted under the name.
    platform::removeFile(absolutePath.native());
    if (!file_.open(absolutePath.native(), platform::File::Access::CreateNew)) return noteFailure();
    return true;
}

bool CDPXFile::WriteBytes(const void* buffer, std::size_t count) {
    if (!file_.write(buffer, count)) return noteFailure();
    return true;
}

bool CDPXFile::OpenForHeaderScan(const std::filesystem::path& path) {
    file_.close();
    if (!acceptPath(path)) return false;
    if (!file_.open(path.native(), platform::File::Access::Read)) return noteFailure();
    file_.adviseSequential();
    return true;
}

bool CDPXFile::OpenForDataReads(const std::filesystem::path& path, std::uint64_t imageDataOffset) {
    file_.close();
    if (!acceptPath(path)) return false;
    const bool onSectorBoundary = imageDataOffset % GetSectorSize(path.native()) == 0;
    const bool opened = onSectorBoundary ? file_.openUnbuffered(path.native())
                                         : file_.open(path.native(), platform::File::Access::Read);
    if (!opened) return noteFailure();
    file_.adviseSequential();
    return true;
}

bool CDPXFile::OpenForWholeFileLoad(const std::filesystem::path& path) {
    file_.close();
    if (!acceptPath(path)) return false;
    if (!file_.openUnbuffered(path.native())) return noteFailure();
    return true;
}

bool CDPXFile::Seek(std::int64_t distance, SeekOrigin origin) {
    const auto from =
        origin == SeekOrigin::Begin ? platform::File::Origin::Begin : platform::File::Origin::Current;
    if (file_.seek(distance, from) < 0) return noteFailure();
    return true;
}

bool CDPXFile::ReadChunked(void* buffer, std::size_t count, std::size_t* reported) {
    bool readFailed = false;
    const ChunkReader read = [this, &readFailed](void* into, std::size_t bytes) {
        const std::int64_t got = file_.read(into, bytes);
        readFailed = got < 0;
        return got;
    };
    if (readChunked(read, buffer, count, reported)) return true;
    // A read that ended too early sets no errno of its own.
    lastError_ = readFailed ? file_.lastError() : EIO;
    return false;
}

std::int64_t CDPXFile::ReadUpTo(void* buffer, std::size_t count) {
    const std::int64_t got = file_.read(buffer, count);
    if (got < 0) noteFailure();
    return got;
}

bool CDPXFile::ReadExact(void* buffer, std::size_t count) {
    const std::int64_t got = ReadUpTo(buffer, count);
    if (got < 0) return false;
    if (static_cast<std::size_t>(got) == count) return true;
    lastError_ = EIO;
    return false;
}
