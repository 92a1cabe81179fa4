// Reads the bitmap header of a media type whose format block is arbitrary
// bytes, as a peer pin may propose, under both video format types.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "media/known_ids.h"
#include "media/video_info.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MediaType type;
    type.majorType = MEDIATYPE_Video;
    type.format.assign(data, data + size);
    type.formatType = FORMAT_VideoInfo;
    const std::optional<BitmapInfoHeader> info = readBitmapHeaderOfType(type);
    assert(info.has_value() == (size >= kVideoInfoBitmapOffset + kBitmapInfoHeaderBytes));
    const std::optional<VideoInfoHeader> header = readVideoInfoHeader(type.format);
    assert(header.has_value() == (size >= kVideoInfoHeaderBytes));
    if (header) assert(header->bitmap.sizeImage == info->sizeImage);
    type.formatType = FORMAT_VideoInfo2;
    const std::optional<BitmapInfoHeader> info2 = readBitmapHeaderOfType(type);
    assert(info2.has_value() == (size >= kVideoInfo2BitmapOffset + kBitmapInfoHeaderBytes));
    return 0;
}
