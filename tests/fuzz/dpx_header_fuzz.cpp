// DPX headers come from any file a user names. Whatever the bytes, parsing
// them in memory or opening them as a file must not read out of bounds or
// allocate what the file cannot back, and everything an accepted header
// gives must lie within the file. Every input is parsed in memory; the low
// bit of byte 15 (the end of the version text, which no reader looks at)
// chooses whether it is then opened as a file or loaded whole.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "files/dpx_file_reader.h"
#include "fuzz_file.h"

namespace {

void checkAccepted(const CDPXFileReader& reader, std::uint64_t fileBytes) {
    assert(reader.ImageDataOffset() >= 768);
    assert(reader.ImageDataOffset() <= fileBytes);
    assert(reader.TotalFileSize() <= fileBytes);
    assert(reader.UserData().size() <= kMaxDpxUserDataBytes);
    assert(reader.UserData().size() <= reader.ImageDataOffset());
    const auto second = reader.SecondElement();
    if (second.size != 0) assert(second.offset + second.size <= reader.TotalFileSize());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzzScratchPath("header.dpx");

    CDPXFileReader inMemory;
    if (inMemory.ParseHeader(data, size)) checkAccepted(inMemory, size);

    if (!writeFuzzFile(path, data, size)) return 0;
    const bool load = size > 15 && (data[15] & 1) != 0;
    CDPXFileReader fromFile;
    if (!load && fromFile.OpenFile(path)) {
        checkAccepted(fromFile, size);
        // Rows, whole or in part, and the second element: reads past the end fail cleanly.
        std::vector<std::uint8_t> row(std::min<std::size_t>(fromFile.RowBytes(), 4096));
        for (std::uint32_t line = 0; line < fromFile.Height() && line < 4; ++line)
            if (!fromFile.ReadRow(row)) break;
        const auto second = fromFile.SecondElement();
        if (second.size != 0 && second.size <= 65536) {
            std::vector<std::uint8_t> element(second.size);
            fromFile.ReadSecondElement(element.data(), element.size());
            const std::uint64_t aligned = fromFile.AlignedSecondElementBytes(512);
            std::vector<std::uint8_t> block(aligned);
            std::size_t lead = 0, elementSize = 0;
            if (fromFile.ReadSecondElementAligned(block.data(), 512, &lead, &elementSize))
                assert(lead + elementSize <= block.size());
        }
    }
    CImageBuffer image(512);
    CDPXFileReader loader;
    if (load && loader.LoadFile(path.c_str(), image, 512)) {
        checkAccepted(loader, size);
        assert(image.dataOffset + std::uint64_t{image.rowBytes} * image.height <= size);
        assert(image.Capacity() >= size);
    }
    return 0;
}
