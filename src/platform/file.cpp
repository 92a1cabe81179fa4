#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {

File::~File() {
    close();
}

File::File(File&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      lastError_(other.lastError_),
      unbuffered_(std::exchange(other.unbuffered_, false)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        descriptor_ = std::exchange(other.descriptor_, -1);
        lastError_ = other.lastError_;
        unbuffered_ = std::exchange(other.unbuffered_, false);
    }
    return *this;
}

bool File::open(const std::string& path, Access access) {
    close();
    int flags = O_RDONLY | O_CLOEXEC;
    if (access == Access::CreateWrite) flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
    if (access == Access::CreateNew) flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    descriptor_ = ::open(path.c_str(), flags, 0666);
    if (descriptor_ < 0) {
        lastError_ = errno;
        return false;
    }
    if (access == Access::Read) {
        struct stat status {};
        if (::fstat(descriptor_, &status) == 0 && S_ISDIR(status.st_mode)) {
            close();
            lastError_ = EISDIR;
            return false;
        }
    }
    return true;
}

bool File::openUnbuffered(const std::string& path) {
    close();
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECT);
    if (descriptor_ >= 0) {
        unbuffered_ = true;
        return true;
    }
    return open(path, Access::Read);
}

bool File::dropUnbuffered() {
    const int flags = ::fcntl(descriptor_, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor_, F_SETFL, flags & ~O_DIRECT) != 0) return false;
    unbuffered_ = false;
    return true;
}

bool File::close() {
    unbuffered_ = false;
    if (descriptor_ < 0) return true;
    const int result = ::close(descriptor_);
    descriptor_ = -1;
    // On Linux the descriptor is released even when close is interrupted.
    if (result != 0 && errno != EINTR) {
        lastError_ = errno;
        return false;
    }
    return true;
}

std::int64_t File::read(void* buffer, std::size_t count) {
    if (descriptor_ < 0) {
        lastError_ = EBADF;
        return -1;
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(descriptor_, bytes + done, count - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            // Unaligned for an uncached read: the same read through the cache.
            if (errno == EINVAL && unbuffered_ && dropUnbuffered()) continue;
            lastError_ = errno;
            return done > 0 ? static_cast<std::int64_t>(done) : -1;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(done);
}

bool File::write(const void* buffer, std::size_t count) {
    if (descriptor_ < 0) {
        lastError_ = EBADF;
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(descriptor_, bytes + done, count - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            lastError_ = errno;
            return false;
        }
        if (put == 0) {
            lastError_ = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool File::flushToDisk() {
    if (descriptor_ < 0) return false;
    if (::fdatasync(descriptor_) != 0) {
        lastError_ = errno;
        return false;
    }
    return true;
}

std::int64_t File::seek(std::int64_t offset, Origin origin) {
    if (descriptor_ < 0) {
        lastError_ = EBADF;
        return -1;
    }
    const int whence = origin == Origin::Begin ? SEEK_SET : origin == Origin::Current ? SEEK_CUR : SEEK_END;
    const off_t result = ::lseek(descriptor_, static_cast<off_t>(offset), whence);
    if (result < 0) {
        lastError_ = errno;
        return -1;
    }
    return static_cast<std::int64_t>(result);
}

std::int64_t File::position() const {
    if (descriptor_ < 0) return -1;
    return static_cast<std::int64_t>(::lseek(descriptor_, 0, SEEK_CUR));
}

std::int64_t File::size() const {
    if (descriptor_ < 0) return -1;
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0) return -1;
    return static_cast<std::int64_t>(status.st_size);
}

void File::adviseSequential() {
    if (descriptor_ >= 0) ::posix_fadvise(descriptor_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

}  // namespace platform
