#pragma once

#include <cstddef>
#include <cstdint>

// What a picture file writer offers once its file exists.
class IFileWriter {
public:
    // Asks the writer to reserve room for the whole file up front. Writers
    // that grow their file as they go answer false.
    virtual bool Preallocate(std::uint64_t totalBytes) = 0;
    // Writes the picture's rows, pitch bytes each, from consecutive memory.
    virtual bool WriteFrame(const void* buffer, std::size_t pitch) = 0;
    // Finishes and closes the file; false when it is not complete.
    virtual bool Close() = 0;
    virtual ~IFileWriter() = default;
};
