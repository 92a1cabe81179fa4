// Parses and checks a clip trailer from arbitrary bytes: the input itself,
// and its first 192 bytes (zero-padded) stamped with the magic so that every
// field is reached.
#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

#include "raw/clip_frame_rate.h"
#include "raw/clip_trailer.h"

namespace {

void checkTrailer(std::span<const std::uint8_t> bytes) {
    auto trailer = parseRawClipTrailer(bytes);
    if (!trailer) return;
    const TrailerProblem problem = findTrailerProblem(*trailer);
    assert(trailerFieldName(problem.field) != nullptr);
    (void)trailerFieldValue(*trailer, problem.field);
    if (!problem) {
        assert(trailer->width > 0 && trailer->height > 0);
        assert(trailer->frameBytes <= kMaxFrameBytes);
        assert(std::uint64_t{trailer->width} * trailer->height * 2 <= kMaxFrameBytes);
        assert(storesPlainSamples(*trailer) || trailer->frameBytes >= packedFrameBytesNeeded(*trailer));
    }
    normalizeGeometryCopies(*trailer);
    assert(trailer->widthCopy == trailer->width && trailer->heightCopy == trailer->height);
    assert(trailer->frameBytesCopy == static_cast<std::int32_t>(trailer->frameBytes));
    const ClipFrameRate rate = clipFrameRate(trailer->frameRateMilli);
    assert(rate.denominator == 1 || rate.denominator == 1000 || rate.denominator == 1001);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    checkTrailer(input);
    std::array<std::uint8_t, kRawClipTrailerBytes> window{};
    std::copy_n(input.begin(), std::min(size, window.size()), window.begin());
    window[0] = 'R';
    window[1] = 'A';
    window[2] = 'W';
    window[3] = 'M';
    checkTrailer(window);
    return 0;
}
