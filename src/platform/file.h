#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// An open file of the operating system with 64-bit positions. Owns its
// descriptor; closing twice, or closing a file that never opened, is harmless.
class File {
public:
    enum class Access { Read, CreateWrite, CreateNew };

    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Read: an existing file, shared with other readers and writers.
    // CreateWrite: a new file, replacing any file of that name (mode 0666 less umask).
    // CreateNew: a new file where no entry of that name exists, not even a link.
    bool open(const std::string& path, Access access);
    // Opens for reading with the page cache bypassed where the file system
    // accepts it, falling back to a buffered open where it does not. A read
    // whose buffer, size or position the kernel refuses without the cache
    // goes on through the cache rather than failing.
    bool openUnbuffered(const std::string& path);
    // False when the system reported an error on closing (a write it had
    // deferred failed), with lastError() telling why; the file is closed
    // either way.
    bool close();
    bool isOpen() const { return descriptor_ >= 0; }

    // Reads until count bytes arrived, the file ends or an error occurs;
    // returns the bytes read, or -1 on an error before any byte arrived.
    std::int64_t read(void* buffer, std::size_t count);
    // Writes all count bytes; false when any part could not be written
    // (disk full, file size limit), with lastError() telling why.
    bool write(const void* buffer, std::size_t count);
    bool flushToDisk();
    // Tells the kernel the file will be read from start to end, so it reads ahead.
    void adviseSequential();

    enum class Origin { Begin, Current, End };
    // Returns the new position, or -1 when the seek failed (the position is then unchanged).
    std::int64_t seek(std::int64_t offset, Origin origin);
    std::int64_t position() const;
    // The file's size in bytes, or -1.
    std::int64_t size() const;

    // errno of the last failed call on this object.
    int lastError() const { return lastError_; }

private:
    // Turns the page cache back on for an unbuffered descriptor.
    bool dropUnbuffered();

    int descriptor_ = -1;
    int lastError_ = 0;
    bool unbuffered_ = false;
};

}  // namespace platform
