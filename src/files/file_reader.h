#pragma once

#include <cstddef>
#include <cstdint>

// What a picture file reader offers once its file is open.
class IFileReader {
public:
    // Asks the reader to fetch this many bytes ahead of the reads. Readers
    // that leave read-ahead to the system answer false.
    virtual bool ReadAhead(std::uint64_t bytes) = 0;
    // Reads count bytes from the current position.
    virtual bool Read(void* buffer, std::size_t count) = 0;
    // Goes back to the start of the image data for another pass. Readers
    // that read a file once answer false.
    virtual bool Restart() = 0;
    virtual ~IFileReader() = default;
};
