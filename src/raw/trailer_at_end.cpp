#include "raw/trailer_at_end.h"

#include <array>

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
    std::array<std::uint8_t, kRawClipTrailerBytes> bytes{};
    if (file.read(bytes.data(), bytes.size()) == static_cast<std::int64_t>(bytes.size()))
        found.trailer = parseRawClipTrailer(bytes);
    return found;
}
