// The unpacker is handed sizes that come from a clip's trailer and the
// user's window. Whatever the geometry, packing and buffer sizes, it must
// write only inside the Bayer frame and black frame it is given, and the fast
// group loop must agree with the sample-by-sample reference.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "raw/unpack.h"

namespace {

struct Geometry {
    std::int16_t cropWidth, cropHeight, frameWidth, frameHeight;
    std::uint16_t bayerSamples, blackWidth, blackHeight;
    std::uint8_t packing, pass;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Geometry geometry{};
    if (size < sizeof geometry) return 0;
    std::memcpy(&geometry, data, sizeof geometry);
    const std::span<const std::uint8_t> packed(data + sizeof geometry, size - sizeof geometry);
    // Packing codes near the two known ones, so both and their neighbours are reached.
    const int packing = 10 + geometry.packing % 6;
    const int pass = geometry.pass % 3;

    // Buffers stay small so that a run makes many calls; the geometry may still ask for more.
    BlackFrame black;
    black.width = geometry.blackWidth % 128;
    black.height = geometry.blackHeight % 128;
    black.values.assign(static_cast<std::size_t>(black.width) * black.height, 100 - (geometry.pass & 0xF0));
    BlackFrame blackCopy = black;
    static const std::vector<std::uint16_t> toneTable = [] {
        std::vector<std::uint16_t> table(16384);
        for (std::size_t index = 0; index < table.size(); ++index)
            table[index] = static_cast<std::uint16_t>(index * 3);
        return table;
    }();
    const std::size_t bayerSamples = geometry.bayerSamples % 16384;
    std::vector<std::uint16_t> fast(bayerSamples, 0xAAAA);
    std::vector<std::uint16_t> reference(bayerSamples, 0xAAAA);
    BlackFrame* blackFast = (geometry.pass & 4) != 0 ? &black : nullptr;
    BlackFrame* blackReference = (geometry.pass & 4) != 0 ? &blackCopy : nullptr;
    unpackFrame(packed, fast, blackFast, toneTable, geometry.cropWidth, geometry.cropHeight,
                geometry.frameWidth, geometry.frameHeight, packing, pass);
    unpackFrameReference(packed, reference, blackReference, toneTable, geometry.cropWidth,
                         geometry.cropHeight, geometry.frameWidth, geometry.frameHeight, packing, pass);
    assert(fast == reference);
    assert(black.values == blackCopy.values);
    return 0;
}
