#include "encode/frame_media_type.h"

#include <cmath>
#include <limits>
#include <new>
#include <utility>

#include "media/guid.h"
#include "media/known_ids.h"
#include "media/video_info.h"

namespace {

constexpr std::int64_t kUnitsPerSecond = 10'000'000;

}  // namespace

OutputFormat readOutputFormat(const FrameFormat& format) {
    if (format.raw) return OutputFormat::Raw;
    return format.rgb444 ? OutputFormat::Rgb444 : OutputFormat::Yuv422;
}

std::optional<std::uint32_t> computeImageBytes(std::int32_t width, std::int32_t height,
                                               std::uint16_t bitCount) {
    if (width <= 0 || height <= 0 || bitCount == 0) return std::nullopt;
    const std::int64_t rowBytes = ((std::int64_t{width} * bitCount + 31) / 8) & ~std::int64_t{3};
    if (rowBytes > std::numeric_limits<std::int32_t>::max() / height) return std::nullopt;
    return static_cast<std::uint32_t>(rowBytes * height);
}

std::optional<std::int64_t> computeAverageTimePerFrame(float frameRate) {
    if (!std::isfinite(frameRate) || frameRate <= 0.0f) return std::nullopt;
    const double time = static_cast<double>(kUnitsPerSecond) / static_cast<double>(frameRate) + 0.5;
    // 2^62 leaves the conversion well inside the 64-bit range.
    if (!(time < 4.611686018427388e18)) return std::nullopt;
    return static_cast<std::int64_t>(time);
}

std::optional<std::int64_t> frameDuration(std::int32_t rateNumerator, std::int32_t rateDenominator) {
    if (rateNumerator <= 0 || rateDenominator <= 0) return std::nullopt;
    return kUnitsPerSecond * rateDenominator / rateNumerator;
}

HRESULT makeFrameMediaType(const FrameFormat& format, MediaType* type) {
    if (type == nullptr) return E_POINTER;
    if (format.width <= 0 || format.height <= 0) return E_FAIL;
    const FramePixelFormat pixels = toPixelFormat(readOutputFormat(format));
    const std::optional<std::uint32_t> imageBytes =
        computeImageBytes(format.width, format.height, pixels.bitCount);
    const std::optional<std::int64_t> pictureTime = computeAverageTimePerFrame(format.frameRate);
    if (!imageBytes || !pictureTime) return E_FAIL;

    VideoInfoHeader header;
    header.avgTimePerFrame = *pictureTime;
    header.bitmap.size = kBitmapInfoHeaderBytes;
    header.bitmap.width = format.width;
    header.bitmap.height = format.height;
    header.bitmap.planes = 1;
    header.bitmap.bitCount = pixels.bitCount;
    header.bitmap.compression = pixels.compression;
    header.bitmap.sizeImage = *imageBytes;

    // The only allocation: a failure to make the format block is reported,
    // as every other failure here, by a result code.
    try {
        MediaType offered;
        offered.majorType = MEDIATYPE_Video;
        offered.subtype = fourccGuid(pixels.subtype);
        offered.fixedSizeSamples = true;
        offered.temporalCompression = false;
        offered.sampleSize = *imageBytes;
        offered.formatType = FORMAT_VideoInfo;
        offered.format = makeVideoInfo(header);
        *type = std::move(offered);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}
