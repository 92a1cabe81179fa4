#include "files/chunked_read.h"

#include <algorithm>
#include <cstring>

bool readChunked(const ChunkReader& read, void* buffer, std::size_t count, std::size_t* reported) {
    if (reported != nullptr) *reported = 0;
    auto* position = static_cast<unsigned char*>(buffer);
    std::size_t remaining = count;
    std::size_t arrived = 0;
    while (remaining > 0) {
        const std::size_t chunk = std::min(remaining, kReadChunkBytes);
        const std::int64_t got = read(position, chunk);
        if (got < 0) return false;
        const auto gotBytes = static_cast<std::size_t>(got);
        if (gotBytes > chunk) return false;
        if (gotBytes != chunk && chunk > gotBytes + kShortReadTolerance) return false;
        position += gotBytes;
        arrived += gotBytes;
        remaining -= chunk;
    }
    // Nothing to clear for an empty read, whose buffer may be null.
    if (arrived < count) std::memset(static_cast<unsigned char*>(buffer) + arrived, 0, count - arrived);
    if (reported != nullptr) *reported = count;
    return true;
}
