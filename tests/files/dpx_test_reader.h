#pragma once

// A small DPX reader for the tests, written apart from the writer so that the
// two meet in round trips: big-endian fields only, descriptor 50 only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dpx_test {

inline std::uint32_t byteAt(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes.at(at));
}

inline std::uint16_t readBE16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(byteAt(bytes, at) * 256u + byteAt(bytes, at + 1));
}

inline std::uint32_t readBE32(const std::string& bytes, std::size_t at) {
    return ((byteAt(bytes, at) * 256u + byteAt(bytes, at + 1)) * 256u + byteAt(bytes, at + 2)) * 256u +
           byteAt(bytes, at + 3);
}

// A zero-terminated text field of at most size bytes.
inline std::string readText(const std::string& bytes, std::size_t at, std::size_t size) {
    const std::string field = bytes.substr(at, size);
    return field.substr(0, field.find('\0'));
}

struct Header {
    std::string magic;
    std::uint32_t imageOffset = 0;
    std::string version;
    std::uint32_t totalSize = 0;
    std::uint32_t dittoKey = 0;
    std::uint32_t genericSize = 0;
    std::uint32_t industrySize = 0;
    std::uint32_t userDataSize = 0;
    std::string fileName;
    std::string creator;
    std::uint32_t encryptionKey = 0;
    std::uint16_t orientation = 0;
    std::uint16_t elementCount = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t referenceHighCode = 0;
    unsigned descriptor = 0;
    unsigned bitSize = 0;
    std::uint16_t packing = 0;
    std::uint16_t encoding = 0;
    std::uint32_t elementOffset = 0;
    std::uint32_t timeCode = 0;
};

// False when the bytes are too short for a header or the magic is not "SDPX".
inline bool parseHeader(const std::string& bytes, Header* header) {
    if (bytes.size() < 2048 || bytes.compare(0, 4, "SDPX") != 0) return false;
    header->magic = bytes.substr(0, 4);
    header->imageOffset = readBE32(bytes, 4);
    header->version = readText(bytes, 8, 8);
    header->totalSize = readBE32(bytes, 16);
    header->dittoKey = readBE32(bytes, 20);
    header->genericSize = readBE32(bytes, 24);
    header->industrySize = readBE32(bytes, 28);
    header->userDataSize = readBE32(bytes, 32);
    header->fileName = readText(bytes, 36, 100);
    header->creator = readText(bytes, 160, 100);
    header->encryptionKey = readBE32(bytes, 660);
    header->orientation = readBE16(bytes, 768);
    header->elementCount = readBE16(bytes, 770);
    header->width = readBE32(bytes, 772);
    header->height = readBE32(bytes, 776);
    header->referenceHighCode = readBE32(bytes, 792);
    header->descriptor = byteAt(bytes, 800);
    header->bitSize = byteAt(bytes, 803);
    header->packing = readBE16(bytes, 804);
    header->encoding = readBE16(bytes, 806);
    header->elementOffset = readBE32(bytes, 808);
    header->timeCode = readBE32(bytes, 1920);
    return true;
}

struct Pixel10 {
    unsigned red = 0;
    unsigned green = 0;
    unsigned blue = 0;
    unsigned padding = 0;  // bits 1 and 0 of the word
};

// The 10-bit samples of every pixel, rows top to bottom; empty when the file
// is shorter than its header says.
inline std::vector<Pixel10> readPixels(const std::string& bytes, const Header& header) {
    const std::size_t count = std::size_t{header.width} * header.height;
    if (bytes.size() < header.imageOffset + count * 4) return {};
    std::vector<Pixel10> pixels(count);
    for (std::size_t index = 0; index < count; ++index) {
        const std::uint32_t word = readBE32(bytes, header.imageOffset + index * 4);
        pixels[index].red = (word / (1u << 22)) % 1024;
        pixels[index].green = (word / (1u << 12)) % 1024;
        pixels[index].blue = (word / 4) % 1024;
        pixels[index].padding = word % 4;
    }
    return pixels;
}

}  // namespace dpx_test
