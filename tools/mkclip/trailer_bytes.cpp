#include "trailer_bytes.h"

#include <cstddef>

namespace {

class TrailerWriter {
public:
    explicit TrailerWriter(std::array<std::uint8_t, 192>& bytes) : bytes_(bytes) {}
    void putLE16(std::size_t offset, std::uint32_t value) {
        bytes_.at(offset) = static_cast<std::uint8_t>(value & 0xFF);
        bytes_.at(offset + 1) = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    }
    void putLE32(std::size_t offset, std::uint32_t value) {
        putLE16(offset, value & 0xFFFF);
        putLE16(offset + 2, value >> 16);
    }
    void putLE32(std::size_t offset, std::int32_t value) {
        putLE32(offset, static_cast<std::uint32_t>(value));
    }

private:
    std::array<std::uint8_t, 192>& bytes_;
};

}  // namespace

std::array<std::uint8_t, 192> makeTrailerBytes(const ClipOptions& options, std::uint32_t frameBytes) {
    std::array<std::uint8_t, 192> bytes{};
    TrailerWriter out(bytes);
    for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(options.magic[i]);
    const std::uint32_t width = options.width;
    const std::uint32_t height = options.height;
    const std::uint32_t rowBytes = options.packing == 14   ? 14 * width / 8
                                   : options.packing == 12 ? 5 * width / 4
                                                           : 2 * width;
    const std::uint32_t frameCount = options.frameCount >= 0 ? static_cast<std::uint32_t>(options.frameCount)
                                                             : static_cast<std::uint32_t>(options.frames);
    out.putLE16(4, width);
    out.putLE16(6, height);
    out.putLE32(8, frameBytes);
    out.putLE32(12, frameCount);
    out.putLE32(20, options.rateMilli);
    out.putLE32(32, options.version);
    out.putLE32(40, height);
    out.putLE32(44, width);
    out.putLE32(48, rowBytes);
    out.putLE32(52, frameBytes);
    out.putLE32(56, static_cast<std::uint32_t>(options.packing));
    out.putLE32(60, options.blackLevel);
    out.putLE32(64, options.whiteLevel);
    out.putLE32(68, 0u);  // rectangle 1: left, top, width, height
    out.putLE32(72, 0u);
    out.putLE32(76, width);
    out.putLE32(80, height);
    out.putLE32(84, 0u);  // rectangle 2: top, left, height, width
    out.putLE32(88, 0u);
    out.putLE32(92, height);
    out.putLE32(96, width);
    for (std::size_t entry = 0; entry < options.matrix.size(); ++entry)
        out.putLE32(116 + 4 * entry, options.matrix[entry]);
    return bytes;
}
