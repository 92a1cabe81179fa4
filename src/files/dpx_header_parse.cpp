// The header parse the reader shares between files and blocks in memory:
// each block read where the layout puts it, every offset and size checked
// against the real size of the file first.
#include <algorithm>
#include <cstring>
#include <string>

#include "files/dpx_field_view.h"
#include "files/dpx_file_reader.h"
#include "files/dpx_header_source.h"

namespace {

// Where each header block starts in the file.
constexpr std::uint64_t kImageInformationAt = 768;
constexpr std::uint64_t kOrientationAt = 1408;
constexpr std::uint64_t kFilmAt = 1664;
constexpr std::uint64_t kTelevisionAt = 1920;

// File information header.
constexpr std::size_t kImageOffsetField = 4;
constexpr std::size_t kTotalSizeField = 16;
constexpr std::size_t kDittoKeyField = 20;
constexpr std::size_t kGenericSizeField = 24;
constexpr std::size_t kIndustrySizeField = 28;
// With the generic header size undefined, user data is what lies between
// the standard generic header and the image data.
constexpr std::int64_t kStandardGenericBytes = 1664;

// Image information header, offsets from its start.
constexpr std::size_t kPixelsPerLineField = 4;
constexpr std::size_t kLinesField = 8;
constexpr std::size_t kLowCodeField = 16;
constexpr std::size_t kLowQuantityField = 20;
constexpr std::size_t kHighCodeField = 24;
constexpr std::size_t kHighQuantityField = 28;
constexpr std::size_t kDescriptorField = 32;
constexpr std::size_t kBitSizeField = 35;
constexpr std::size_t kPackingField = 36;
constexpr std::size_t kEncodingField = 38;
constexpr std::size_t kElementOffsetField = 40;
constexpr std::size_t kEndOfLinePaddingField = 44;
// Element 2 of the image information header.
constexpr std::size_t kElement2EncodingField = 110;
constexpr std::size_t kElement2OffsetField = 112;
constexpr std::size_t kElement2SizesField = 116;  // width in the high 16 bits, height in the low
constexpr std::size_t kElement2BytesField = 120;

// Orientation header.
constexpr std::size_t kAspectHorizontalField = 220;
constexpr std::size_t kAspectVerticalField = 224;

// Film header.
constexpr std::size_t kFilmFramePositionField = 48;
constexpr std::size_t kFilmFrameRateField = 60;
constexpr std::size_t kFilmFrameIdField = 68;

// Television header.
constexpr std::size_t kTimeCodeField = 0;
constexpr std::size_t kTelevisionFrameRateField = 20;
constexpr std::size_t kGammaField = 28;

std::string number(std::uint64_t value) {
    return std::to_string(value);
}

// The first four bytes as text a person can read: printable characters as
// they are, the rest as hexadecimal escapes.
std::string shownMagic(std::span<const std::uint8_t> bytes) {
    std::string shown;
    for (std::size_t index = 0; index < 4 && index < bytes.size(); ++index) {
        const std::uint8_t byte = bytes[index];
        if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
            shown += static_cast<char>(byte);
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0xF];
        }
    }
    return "\"" + shown + "\"";
}

DPXTimeCode unpackTimeCode(std::uint32_t packed) {
    const auto field = [packed](int shift) {
        return static_cast<std::int32_t>((packed >> (shift + 4) & 0xF) * 10 + (packed >> shift & 0xF));
    };
    return DPXTimeCode{field(24), field(16), field(8), field(0)};
}

}  // namespace

void CDPXFileReader::resetFields() {
    fileInformation_.fill(0);
    imageInformation_.fill(0);
    orientation_.fill(0);
    film_.fill(0);
    television_.fill(0);
    userData_.clear();
    imageDataOffset_ = width_ = height_ = 0;
    secondElement_ = SecondImageElement{};
    timeCode_ = DPXTimeCode{};
    referenceLowCode_ = referenceHighCode_ = 0;
    referenceLowQuantity_ = referenceHighQuantity_ = 0.0f;
    bitSize_ = packing_ = encoding_ = descriptor_ = 0;
    bytesPerPixel_ = rowBytes_ = dittoKey_ = element1Offset_ = 0;
    pixelAspectHorizontal_ = pixelAspectVertical_ = 0;
    frameRate_ = gamma_ = 0.0f;
    filmFramePosition_ = 0;
    filmFrameIdentification_.fill('\0');
    bigEndian_ = false;
    totalFileSize_ = 0;
    totalFileSizeField_ = 0;
    timeCodeField_ = 0;
}

std::string CDPXFileReader::FilmFrameIdentification() const {
    const auto end = std::find(filmFrameIdentification_.begin(), filmFrameIdentification_.end(), '\0');
    return std::string(filmFrameIdentification_.begin(), end);
}

bool CDPXFileReader::parse(HeaderSource& source, ParseMode mode) {
    const std::uint64_t realSize = source.size();
    if (!source.read(0, fileInformation_))
        return fail("the file holds " + number(realSize) + " bytes, fewer than the " +
                    number(kDpxFileInformationBytes) + "-byte file information header");
    const std::span<const std::uint8_t> magic(fileInformation_.data(), 4);
    if (std::memcmp(magic.data(), "SDPX", 4) == 0)
        bigEndian_ = true;
    else if (std::memcmp(magic.data(), "XPDS", 4) == 0)
        bigEndian_ = false;
    else
        return fail("not a DPX file: it begins with " + shownMagic(magic) + ", not \"SDPX\" or \"XPDS\"");

    const DpxFieldView view(fileInformation_, bigEndian_);
    imageDataOffset_ = view.u32At(kImageOffsetField);
    totalFileSizeField_ = view.u32At(kTotalSizeField);
    totalFileSize_ = std::min<std::uint64_t>(totalFileSizeField_, realSize);
    dittoKey_ = view.u32At(kDittoKeyField);
    const std::uint32_t genericBytes = view.u32At(kGenericSizeField);
    std::uint32_t industryBytes = view.u32At(kIndustrySizeField);
    if (industryBytes == kDpxUndefined32) industryBytes = 0;
    const std::int64_t userData = genericBytes == kDpxUndefined32
                                      ? std::int64_t{imageDataOffset_} - kStandardGenericBytes
                                      : std::int64_t{imageDataOffset_} - genericBytes - industryBytes;

    if (imageDataOffset_ < kDpxFileInformationBytes)
        return fail("the image data offset " + number(imageDataOffset_) +
                    " lies inside the file information header");
    if (imageDataOffset_ > realSize)
        return fail("the image data offset " + number(imageDataOffset_) + " lies beyond the end of the " +
                    number(realSize) + "-byte file");
    // Sizes that do not add up leave no room for user data.
    const std::uint32_t userDataBytes = userData > 0 ? static_cast<std::uint32_t>(userData) : 0;
    if (userDataBytes > kMaxDpxUserDataBytes)
        return fail("the header announces " + number(userDataBytes) + " bytes of user data, more than " +
                    number(kMaxDpxUserDataBytes));

    std::int64_t remaining = std::int64_t{imageDataOffset_} - std::int64_t{kDpxFileInformationBytes};
    if (mode == ParseMode::Block && remaining <= std::int64_t{kDpxImageInformationBytes})
        return fail("the image data offset " + number(imageDataOffset_) +
                    " leaves no room for the image information header");
    if (remaining > std::int64_t{kDpxImageInformationBytes}) {
        if (!parseImageInformation(source, mode)) return false;
    } else {
        secondElement_.formatCode = kFormatDPX0;
    }
    remaining -= std::int64_t{kDpxImageInformationBytes};
    if (mode == ParseMode::Block && remaining <= std::int64_t{kDpxOrientationBytes})
        return fail("the image data offset " + number(imageDataOffset_) +
                    " leaves no room for the orientation header");
    if (remaining > std::int64_t{kDpxOrientationBytes}) {
        if (!source.read(kOrientationAt, orientation_))
            return fail("the file ends inside the orientation header");
        const DpxFieldView orientation(orientation_, bigEndian_);
        pixelAspectHorizontal_ = orientation.u32At(kAspectHorizontalField);
        pixelAspectVertical_ = orientation.u32At(kAspectVerticalField);
    }
    return parseIndustryAndUserData(source, mode, industryBytes, userDataBytes);
}

bool CDPXFileReader::parseImageInformation(HeaderSource& source, ParseMode mode) {
    if (!source.read(kImageInformationAt, imageInformation_))
        return fail("the file ends inside the image information header");
    const DpxFieldView view(imageInformation_, bigEndian_);
    width_ = view.u32At(kPixelsPerLineField);
    height_ = view.u32At(kLinesField);
    referenceLowCode_ = view.u32At(kLowCodeField);
    referenceLowQuantity_ = view.floatAt(kLowQuantityField);
    referenceHighCode_ = view.u32At(kHighCodeField);
    referenceHighQuantity_ = view.floatAt(kHighQuantityField);
    descriptor_ = view.u8At(kDescriptorField);
    bitSize_ = view.u8At(kBitSizeField);
    packing_ = view.u16At(kPackingField);
    encoding_ = view.u16At(kEncodingField);
    element1Offset_ = view.u32At(kElementOffsetField);
    const std::uint32_t endOfLinePadding = view.u32At(kEndOfLinePaddingField);
    bytesPerPixel_ = 4;

    std::uint64_t rowBytes = 0;
    if (mode == ParseMode::Block || descriptor_ == kDpxDescriptorRgb)
        rowBytes = std::uint64_t{width_} * 4 + endOfLinePadding;
    else if (descriptor_ == kDpxDescriptor422)
        rowBytes = ((std::uint64_t{width_} * 16 + 5) / 6 + 3) & ~std::uint64_t{3};
    if (rowBytes > kDpxUndefined32)
        return fail("a row of " + number(width_) + " pixels does not fit 32 bits");
    rowBytes_ = static_cast<std::uint32_t>(rowBytes);

    // Both products are below 2^32, so the sum stays below 2^64.
    const std::uint64_t imageEnd = std::uint64_t{rowBytes_} * height_ + imageDataOffset_;
    const std::uint8_t first = view.u8At(kElement2EncodingField);
    const std::uint8_t second = view.u8At(kElement2EncodingField + 1);
    const bool encoded = (first == 'T' && second == 'X') || (first == 'X' && second == 'T');
    if (imageEnd < totalFileSize_ && encoded) {
        const std::uint32_t offset = view.u32At(kElement2OffsetField);
        const std::uint32_t sizes = view.u32At(kElement2SizesField);
        secondElement_.fileOffset = offset;
        secondElement_.size =
            offset <= totalFileSize_
                ? std::min<std::uint64_t>(view.u32At(kElement2BytesField), totalFileSize_ - offset)
                : 0;
        secondElement_.width = sizes >> 16;
        secondElement_.height = sizes & 0xFFFFu;
        secondElement_.formatCode = 0;
    } else {
        secondElement_.width = width_;
        secondElement_.height = height_;
        secondElement_.formatCode = kFormatDPX0;
        secondElement_.size = 0;
    }
    return true;
}

bool CDPXFileReader::parseIndustryAndUserData(HeaderSource& source, ParseMode mode,
                                              std::uint32_t industryBytes, std::uint32_t userDataBytes) {
    if (industryBytes > kDpxFilmBytes) {
        if (!source.read(kFilmAt, film_)) return fail("the file ends inside the film header");
        const DpxFieldView film(film_, bigEndian_);
        frameRate_ = film.floatAt(kFilmFrameRateField);
        if (mode == ParseMode::Block) {
            filmFramePosition_ = film.u32At(kFilmFramePositionField);
            std::memcpy(filmFrameIdentification_.data(), film_.data() + kFilmFrameIdField,
                        filmFrameIdentification_.size());
        }
        industryBytes -= kDpxFilmBytes;
        if (mode == ParseMode::Block && industryBytes != kDpxTelevisionBytes)
            return fail("the industry header leaves " + number(industryBytes) +
                        " bytes after the film header, not a 128-byte television header");
    }
    if (industryBytes != kDpxTelevisionBytes) return true;
    if (!source.read(kTelevisionAt, television_)) return fail("the file ends inside the television header");
    const DpxFieldView television(television_, bigEndian_);
    frameRate_ = television.floatAt(kTelevisionFrameRateField);
    gamma_ = television.floatAt(kGammaField);
    timeCodeField_ = television.u32At(kTimeCodeField);
    timeCode_ = unpackTimeCode(timeCodeField_);
    if (userDataBytes == 0) return true;
    // User data ends where the image data begins; both lie within the file.
    userData_.resize(userDataBytes);
    if (!source.read(imageDataOffset_ - userDataBytes, userData_)) {
        userData_.clear();
        return fail("the user data cannot be read");
    }
    return true;
}
