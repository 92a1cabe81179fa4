#include "files/dpx_header_fields.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

namespace {

using ImageInformation = std::array<std::uint8_t, 640>;

// The image information block starts at byte 768 of the file.
constexpr std::size_t kBlockStart = 768;

std::uint32_t bigEndian32(const ImageInformation& block, std::size_t fileOffset) {
    const std::size_t at = fileOffset - kBlockStart;
    return std::uint32_t{block[at]} << 24 | std::uint32_t{block[at + 1]} << 16 |
           std::uint32_t{block[at + 2]} << 8 | block[at + 3];
}

}  // namespace

// Element 2 lies at bytes 852 to 923 of the file: offset to data at 880, the
// sizes at 884, the byte count at 888, the encoding bytes at 878 and the
// description at 892.
TEST(DpxHeaderFields, WritesTheSecondElementBigEndianWhereTheHeaderPutsIt) {
    ImageInformation block{};
    DpxFieldWriter fields(kDpxImageInformation, block);
    const DpxImageElement& element2 = dpx_field::kElement2;
    fields.write(element2.offsetToData, 0x01020304);
    fields.write(element2.endOfLinePadding, 320u << 16 | 180u);
    fields.write(element2.endOfImagePadding, 4000);
    fields.write(element2.encoding, kDpxEncodingTx);
    fields.write(element2.bitSize, 10);
    fields.write(element2.referenceHighQuantity, 1.5f);
    fields.writeText(element2.description, std::string(40, 'd'));
    EXPECT_TRUE(fields.ok());

    EXPECT_EQ(0x01020304u, bigEndian32(block, 880));
    EXPECT_EQ(0x014000B4u, bigEndian32(block, 884));
    EXPECT_EQ(4000u, bigEndian32(block, 888));
    EXPECT_EQ('T', block[878 - kBlockStart]);
    EXPECT_EQ('X', block[879 - kBlockStart]);
    EXPECT_EQ(10, block[875 - kBlockStart]);
    EXPECT_EQ(0x3FC00000u, bigEndian32(block, 868));
    // 31 characters of the description and its terminating zero.
    EXPECT_EQ(std::string(31, 'd'),
              std::string(block.begin() + (892 - kBlockStart), block.begin() + (923 - kBlockStart)));
    EXPECT_EQ(0, block[923 - kBlockStart]);
    EXPECT_EQ(0, block[924 - kBlockStart]);
}

TEST(DpxHeaderFields, ReadsFieldsInTheFilesByteOrder) {
    ImageInformation big{};
    ImageInformation little{};
    // Pixels per line (772) 1920, element 1 packing (804) 1, and the "TX"
    // bytes of element 2 (878) stored in the order a little-endian writer
    // would put its number.
    big[772 - kBlockStart + 2] = 0x07;
    big[772 - kBlockStart + 3] = 0x80;
    big[805 - kBlockStart] = 1;
    little[772 - kBlockStart] = 0x80;
    little[772 - kBlockStart + 1] = 0x07;
    little[804 - kBlockStart] = 1;
    little[878 - kBlockStart] = 'X';
    little[879 - kBlockStart] = 'T';
    DpxFieldReader bigFields(kDpxImageInformation, big, ByteOrder::kBigEndian);
    DpxFieldReader littleFields(kDpxImageInformation, little, ByteOrder::kLittleEndian);
    EXPECT_EQ(1920u, bigFields.read(dpx_field::kPixelsPerLine));
    EXPECT_EQ(1u, bigFields.read(dpx_field::kElement1.packing));
    EXPECT_EQ(1920u, littleFields.read(dpx_field::kPixelsPerLine));
    EXPECT_EQ(1u, littleFields.read(dpx_field::kElement1.packing));
    EXPECT_EQ(kDpxEncodingTx, littleFields.read(dpx_field::kElement2.encoding));
    EXPECT_TRUE(bigFields.ok());
    EXPECT_TRUE(littleFields.ok());
}

// An unset field is all zero bytes; a float of -0.0 is set.
TEST(DpxHeaderFields, OnlyZeroBytesCountAsAnUnsetField) {
    std::array<std::uint8_t, 128> television{};
    television[20] = 0x80;  // the frame rate field at 1940
    DpxFieldReader fields(kDpxTelevision, television, ByteOrder::kBigEndian);
    EXPECT_TRUE(fields.holdsZero(dpx_field::kTimeCode));
    EXPECT_FALSE(fields.holdsZero(dpx_field::kTelevisionFrameRate));
    EXPECT_EQ(-0.0f, fields.read(dpx_field::kTelevisionFrameRate));
}

// A block given fewer bytes than the layout gives it reads and writes
// nothing beyond them, and says so.
TEST(DpxHeaderFields, AShortBlockFailsCleanly) {
    std::array<std::uint8_t, 128> memory{};
    memory.fill(0xEE);
    const std::span<std::uint8_t> shortBlock(memory.data(), 24);  // up to the end of the frame rate
    DpxFieldReader reader(kDpxTelevision, shortBlock, ByteOrder::kBigEndian);
    EXPECT_EQ(0xEEEEEEEEu, reader.read(dpx_field::kTimeCode));
    EXPECT_TRUE(reader.ok());
    EXPECT_EQ(0.0f, reader.read(dpx_field::kGamma));  // bytes 28 to 31 of the block
    EXPECT_FALSE(reader.ok());
    std::array<std::uint8_t, 128> fullSize{};
    DpxFieldWriter writer(kDpxTelevision, std::span(fullSize).first(30));
    writer.write(dpx_field::kGamma, 2.2f);
    EXPECT_FALSE(writer.ok());
    EXPECT_EQ((std::array<std::uint8_t, 128>{}), fullSize);

    std::array<std::uint8_t, 768> information{};
    DpxFieldWriter tooLong(kDpxFileInformation, information);
    const std::array<std::uint8_t, 5> fiveBytes = {'S', 'D', 'P', 'X', '!'};
    tooLong.write(dpx_field::kMagic, fiveBytes);
    EXPECT_FALSE(tooLong.ok());
    EXPECT_EQ((std::array<std::uint8_t, 768>{}), information);
}
