#include "support/expected_dpx_header.h"

namespace testing_support {
namespace {

void putBigEndian32(std::string& bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (24 - 8 * i) & 0xFF);
}

void putText(std::string& bytes, std::size_t offset, const std::string& text) {
    bytes.replace(offset, text.size(), text);
}

}  // namespace

std::string expectedDpxHeader(std::uint32_t width, std::uint32_t height, const std::string& fileName) {
    std::string header(2048, '\0');
    putText(header, 0, "SDPX");
    putBigEndian32(header, 4, 2048);
    putText(header, 8, "V1.0");
    putBigEndian32(header, 16, 2048 + width * height * 4);
    putBigEndian32(header, 20, 1);
    putBigEndian32(header, 24, 1664);
    putBigEndian32(header, 28, 384);
    putText(header, 36, fileName);
    putText(header, 160, "Created using Tavrix tools");
    putBigEndian32(header, 660, 0xFFFFFFFF);
    header[771] = 1;  // one image element
    putBigEndian32(header, 772, width);
    putBigEndian32(header, 776, height);
    putBigEndian32(header, 792, 1023);
    header[800] = 50;  // RGB
    header[803] = 10;  // bits
    header[805] = 1;   // filled words, padding at the low end
    putBigEndian32(header, 808, 2048);
    putBigEndian32(header, 1628, 0xFFFFFFFF);
    putBigEndian32(header, 1632, 0xFFFFFFFF);
    return header;
}

}  // namespace testing_support
