#pragma once

// The DPX header as this program writes and reads it: where each block and
// each field lies, how many bytes it takes and how they read. Numbers stand
// in the file's byte order (big-endian after "SDPX", little-endian after
// "XPDS"); text and magic fields are bytes, the same in either order. The
// writer, the header parse and dpxinfo take every offset from here.

#include <cstddef>
#include <cstdint>

// One of the five header blocks, in file order.
struct DpxBlock {
    std::uint32_t at;  // from the start of the file
    std::uint32_t bytes;
};

inline constexpr DpxBlock kDpxFileInformation{0, 768};
inline constexpr DpxBlock kDpxImageInformation{768, 640};
inline constexpr DpxBlock kDpxOrientation{1408, 256};
inline constexpr DpxBlock kDpxFilm{1664, 256};
inline constexpr DpxBlock kDpxTelevision{1920, 128};
// The generic header is file information, image information and
// orientation; the industry header film and television. User data, when
// there is any, follows the industry header, and the image data follows it.
inline constexpr std::uint32_t kDpxGenericHeaderBytes = 1664;
inline constexpr std::uint32_t kDpxIndustryHeaderBytes = 384;
static_assert(kDpxOrientation.at + kDpxOrientation.bytes == kDpxGenericHeaderBytes);
static_assert(kDpxTelevision.at + kDpxTelevision.bytes == kDpxGenericHeaderBytes + kDpxIndustryHeaderBytes);

namespace dpx_layout_detail {
// Not constexpr: a field placed outside its block calls it while the
// constant is made, and the build stops there.
inline void fieldOutsideItsBlock() {}
}  // namespace dpx_layout_detail

// A number field: Value is std::uint8_t, std::uint16_t, std::uint32_t or
// float (IEEE 754 single precision, stored as a 32-bit number).
template <typename Value>
struct DpxField {
    consteval DpxField(DpxBlock inBlock, std::uint32_t offset) : block(inBlock), at(offset) {
        if (offset < inBlock.at || offset + sizeof(Value) > inBlock.at + inBlock.bytes)
            dpx_layout_detail::fieldOutsideItsBlock();
    }
    static constexpr std::uint32_t bytes = sizeof(Value);
    DpxBlock block;
    std::uint32_t at;  // from the start of the file
};

// Bytes as stored: text (zero-padded, at most bytes - 1 characters as this
// program writes it) or a magic number.
struct DpxBytesField {
    consteval DpxBytesField(DpxBlock inBlock, std::uint32_t offset, std::uint32_t size)
        : block(inBlock), at(offset), bytes(size) {
        if (offset < inBlock.at || offset + size > inBlock.at + inBlock.bytes)
            dpx_layout_detail::fieldOutsideItsBlock();
    }
    DpxBlock block;
    std::uint32_t at;  // from the start of the file
    std::uint32_t bytes;
};

// The fields of one image element; the header has eight, 72 bytes apart,
// from byte 780.
struct DpxImageElement {
    DpxField<std::uint32_t> dataSign;
    DpxField<std::uint32_t> referenceLowCode;
    DpxField<float> referenceLowQuantity;
    DpxField<std::uint32_t> referenceHighCode;
    DpxField<float> referenceHighQuantity;
    DpxField<std::uint8_t> descriptor;
    DpxField<std::uint8_t> bitSize;
    DpxField<std::uint16_t> packing;
    DpxField<std::uint16_t> encoding;
    DpxField<std::uint32_t> offsetToData;
    DpxField<std::uint32_t> endOfLinePadding;
    DpxField<std::uint32_t> endOfImagePadding;
    DpxBytesField description;
};

consteval DpxImageElement dpxImageElement(std::uint32_t number) {
    const std::uint32_t at = 780 + 72 * (number - 1);
    const DpxBlock block = kDpxImageInformation;
    return DpxImageElement{
        .dataSign = {block, at},
        .referenceLowCode = {block, at + 4},
        .referenceLowQuantity = {block, at + 8},
        .referenceHighCode = {block, at + 12},
        .referenceHighQuantity = {block, at + 16},
        .descriptor = {block, at + 20},
        // 21 and 22: the transfer characteristic and colorimetric bytes.
        .bitSize = {block, at + 23},
        .packing = {block, at + 24},
        .encoding = {block, at + 26},
        .offsetToData = {block, at + 28},
        .endOfLinePadding = {block, at + 32},
        .endOfImagePadding = {block, at + 36},
        .description = {block, at + 40, 32},
    };
}

namespace dpx_field {

// File information.
inline constexpr DpxBytesField kMagic{kDpxFileInformation, 0, 4};
inline constexpr DpxField<std::uint32_t> kImageDataOffset{kDpxFileInformation, 4};
inline constexpr DpxBytesField kVersion{kDpxFileInformation, 8, 8};
inline constexpr DpxField<std::uint32_t> kTotalFileSize{kDpxFileInformation, 16};
inline constexpr DpxField<std::uint32_t> kDittoKey{kDpxFileInformation, 20};
inline constexpr DpxField<std::uint32_t> kGenericHeaderSize{kDpxFileInformation, 24};
inline constexpr DpxField<std::uint32_t> kIndustryHeaderSize{kDpxFileInformation, 28};
inline constexpr DpxField<std::uint32_t> kUserDataSize{kDpxFileInformation, 32};
inline constexpr DpxBytesField kFileName{kDpxFileInformation, 36, 100};
inline constexpr DpxBytesField kCreator{kDpxFileInformation, 160, 100};
inline constexpr DpxField<std::uint32_t> kEncryptionKey{kDpxFileInformation, 660};

// Image information.
inline constexpr DpxField<std::uint16_t> kOrientation{kDpxImageInformation, 768};
inline constexpr DpxField<std::uint16_t> kElementCount{kDpxImageInformation, 770};
inline constexpr DpxField<std::uint32_t> kPixelsPerLine{kDpxImageInformation, 772};
inline constexpr DpxField<std::uint32_t> kLinesPerElement{kDpxImageInformation, 776};
inline constexpr DpxImageElement kElement1 = dpxImageElement(1);
// Element 2 carries an encoded rendition of the picture after the image
// data. Its padding fields are reused: end of line for the width (high 16
// bits) and height (low 16 bits), end of image for the size in bytes.
inline constexpr DpxImageElement kElement2 = dpxImageElement(2);

// Orientation.
inline constexpr DpxField<std::uint32_t> kPixelAspectHorizontal{kDpxOrientation, 1628};
inline constexpr DpxField<std::uint32_t> kPixelAspectVertical{kDpxOrientation, 1632};

// Film.
inline constexpr DpxField<std::uint32_t> kFilmFramePosition{kDpxFilm, 1712};
inline constexpr DpxField<float> kFilmFrameRate{kDpxFilm, 1724};
inline constexpr DpxBytesField kFilmFrameIdentification{kDpxFilm, 1732, 32};

// Television.
inline constexpr DpxField<std::uint32_t> kTimeCode{kDpxTelevision, 1920};  // packed decimal digits
inline constexpr DpxField<float> kTelevisionFrameRate{kDpxTelevision, 1940};
inline constexpr DpxField<float> kGamma{kDpxTelevision, 1948};

}  // namespace dpx_field

// Field values.
inline constexpr char kDpxMagicBigEndian[] = "SDPX";
inline constexpr char kDpxMagicLittleEndian[] = "XPDS";
inline constexpr char kDpxVersion[] = "V1.0";
// A 32-bit field left undefined (all ones), such as an unencrypted file's key.
inline constexpr std::uint32_t kDpxUndefined32 = 0xFFFFFFFFu;
// Image element descriptors.
inline constexpr std::uint32_t kDpxDescriptorRgb = 50;
inline constexpr std::uint32_t kDpxDescriptor422 = 100;
// Packing 1: samples in filled 32-bit words, the pad bits at the low end.
inline constexpr std::uint16_t kDpxPackingFilledLow = 1;
// The encoding of element 2: the two bytes "TX", which read as this number
// in a big-endian file, and byte-swapped in a little-endian one.
inline constexpr std::uint16_t kDpxEncodingTx = 'T' << 8 | 'X';

// What the codes of the descriptor and packing fields mean, for people.
struct DpxCodeName {
    std::uint32_t code;
    const char* name;
};
inline constexpr DpxCodeName kDpxDescriptorNames[] = {
    {1, "red"},
    {2, "green"},
    {3, "blue"},
    {4, "alpha"},
    {6, "luma"},
    {kDpxDescriptorRgb, "RGB"},
    {51, "RGBA"},
    {52, "ABGR"},
    {kDpxDescriptor422, "CbYCrY 4:2:2"},
    {101, "CbYaCrYa 4:2:2:4"},
    {102, "CbYCr 4:4:4"},
    {103, "CbYCra 4:4:4:4"},
};
inline constexpr DpxCodeName kDpxPackingNames[] = {
    {0, "packed into 32-bit words"},
    {kDpxPackingFilledLow, "filled 32-bit words, padding at the low end"},
    {2, "filled 32-bit words, padding at the high end"},
};
