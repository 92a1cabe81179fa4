#pragma once

#include <cstddef>
#include <cstdint>

// Where a movie's bytes go: a file, or the pin that carries them to the file
// writer. Writes may land anywhere in the file, since the container headers
// are completed by writing over their first bytes at the end.
class IByteSink {
public:
    // Writes up to `count` bytes at byte `offset` of the file and answers
    // when they are written: the number of bytes taken (at least one when
    // count is not 0), or a negative errno value when none could be written.
    virtual std::int64_t writeAt(std::int64_t offset, const std::uint8_t* bytes, std::size_t count) = 0;
    virtual ~IByteSink() = default;
};
