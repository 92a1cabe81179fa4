#include "raw/trailer_at_end.h"

TrailerAtEnd readTrailerAtEnd(platform::File& file) {
    TrailerAtEnd found;
    const std::int64_t fileBytes = file.seek(0, platform::File::Origin::End);
    if (fileBytes < 0) {
        found.seekFailed = true;
        return found;
    }
    if (fileBytes < static_cast<std::int64_t>(kRawClipTrailerBytes)) return found;
    found.offset = fileBytes - static_cast<std::int64_t>(kRawClipTrailerBytes);
    if (file.seek(found.offset, platform::File::Origin::Begin) < 0) {
        found.seekFailed = true;
        return found;
    }
    if (file.read(found.bytes.data(), found.bytes.size()) == static_cast<std::int64_t>(found.bytes.size()))
        found.trailer = parseRawClipTrailer(found.bytes);
    return found;
}
