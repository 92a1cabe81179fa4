// The header parse the reader shares between files and blocks in memory:
// each block read where the layout puts it, every offset and size checked
// against the real size of the file first.
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "files/dpx_file_reader.h"
#include "files/dpx_header_fields.h"
#include "files/dpx_header_source.h"

namespace {

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

Status badHeader(std::string message) {
    return Status::failure(ErrorCode::kBadInput, std::move(message));
}

// Only a layout table at odds with the block sizes gets here.
Status badLayout(DpxBlock block) {
    return badHeader("the header fields do not fit the " + number(block.bytes) + "-byte block at byte " +
                     number(block.at));
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

Status CDPXFileReader::parse(HeaderSource& source, ParseMode mode) {
    const std::uint64_t realSize = source.size();
    if (!source.read(kDpxFileInformation.at, fileInformation_))
        return badHeader("the file holds " + number(realSize) + " bytes, fewer than the " +
                         number(kDpxFileInformation.bytes) + "-byte file information header");
    const std::span<const std::uint8_t> magic(fileInformation_.data(), dpx_field::kMagic.bytes);
    if (std::memcmp(magic.data(), kDpxMagicBigEndian, magic.size()) == 0)
        bigEndian_ = true;
    else if (std::memcmp(magic.data(), kDpxMagicLittleEndian, magic.size()) == 0)
        bigEndian_ = false;
    else
        return badHeader("not a DPX file: it begins with " + shownMagic(magic) +
                         ", not \"SDPX\" or \"XPDS\"");

    DpxFieldReader fields(kDpxFileInformation, fileInformation_, byteOrder());
    imageDataOffset_ = fields.read(dpx_field::kImageDataOffset);
    totalFileSizeField_ = fields.read(dpx_field::kTotalFileSize);
    totalFileSize_ = std::min<std::uint64_t>(totalFileSizeField_, realSize);
    dittoKey_ = fields.read(dpx_field::kDittoKey);
    const std::uint32_t genericBytes = fields.read(dpx_field::kGenericHeaderSize);
    std::uint32_t industryBytes = fields.read(dpx_field::kIndustryHeaderSize);
    if (!fields.ok()) return badLayout(kDpxFileInformation);
    if (industryBytes == kDpxUndefined32) industryBytes = 0;
    // With the generic header size undefined, user data is what lies between
    // the standard generic header and the image data.
    const std::int64_t userData = genericBytes == kDpxUndefined32
                                      ? std::int64_t{imageDataOffset_} - kDpxGenericHeaderBytes
                                      : std::int64_t{imageDataOffset_} - genericBytes - industryBytes;

    if (imageDataOffset_ < kDpxFileInformation.bytes)
        return badHeader("the image data offset " + number(imageDataOffset_) +
                         " lies inside the file information header");
    if (imageDataOffset_ > realSize)
        return badHeader("the image data offset " + number(imageDataOffset_) +
                         " lies beyond the end of the " + number(realSize) + "-byte file");
    // Sizes that do not add up leave no room for user data.
    const std::uint32_t userDataBytes = userData > 0 ? static_cast<std::uint32_t>(userData) : 0;
    if (userDataBytes > kMaxDpxUserDataBytes)
        return badHeader("the header announces " + number(userDataBytes) + " bytes of user data, more than " +
                         number(kMaxDpxUserDataBytes));

    std::int64_t remaining = std::int64_t{imageDataOffset_} - std::int64_t{kDpxFileInformation.bytes};
    if (mode == ParseMode::Block && remaining <= std::int64_t{kDpxImageInformation.bytes})
        return badHeader("the image data offset " + number(imageDataOffset_) +
                         " leaves no room for the image information header");
    if (remaining > std::int64_t{kDpxImageInformation.bytes}) {
        if (const Status parsed = parseImageInformation(source, mode); !parsed.ok()) return parsed;
    } else {
        secondElement_.formatCode = kFormatDPX0;
    }
    remaining -= std::int64_t{kDpxImageInformation.bytes};
    if (mode == ParseMode::Block && remaining <= std::int64_t{kDpxOrientation.bytes})
        return badHeader("the image data offset " + number(imageDataOffset_) +
                         " leaves no room for the orientation header");
    if (remaining > std::int64_t{kDpxOrientation.bytes}) {
        if (!source.read(kDpxOrientation.at, orientation_))
            return badHeader("the file ends inside the orientation header");
        DpxFieldReader orientation(kDpxOrientation, orientation_, byteOrder());
        pixelAspectHorizontal_ = orientation.read(dpx_field::kPixelAspectHorizontal);
        pixelAspectVertical_ = orientation.read(dpx_field::kPixelAspectVertical);
        if (!orientation.ok()) return badLayout(kDpxOrientation);
    }
    return parseIndustryAndUserData(source, mode, industryBytes, userDataBytes);
}

Status CDPXFileReader::parseImageInformation(HeaderSource& source, ParseMode mode) {
    if (!source.read(kDpxImageInformation.at, imageInformation_))
        return badHeader("the file ends inside the image information header");
    DpxFieldReader fields(kDpxImageInformation, imageInformation_, byteOrder());
    const DpxImageElement& element1 = dpx_field::kElement1;
    width_ = fields.read(dpx_field::kPixelsPerLine);
    height_ = fields.read(dpx_field::kLinesPerElement);
    referenceLowCode_ = fields.read(element1.referenceLowCode);
    referenceLowQuantity_ = fields.read(element1.referenceLowQuantity);
    referenceHighCode_ = fields.read(element1.referenceHighCode);
    referenceHighQuantity_ = fields.read(element1.referenceHighQuantity);
    descriptor_ = fields.read(element1.descriptor);
    bitSize_ = fields.read(element1.bitSize);
    packing_ = fields.read(element1.packing);
    encoding_ = fields.read(element1.encoding);
    element1Offset_ = fields.read(element1.offsetToData);
    const std::uint32_t endOfLinePadding = fields.read(element1.endOfLinePadding);
    const DpxImageElement& element2 = dpx_field::kElement2;
    // "TX" in either byte order marks an encoded second element.
    const std::uint16_t element2Encoding = fields.read(element2.encoding);
    constexpr std::uint16_t kTxByteSwapped = 'X' << 8 | 'T';
    const bool encoded = element2Encoding == kDpxEncodingTx || element2Encoding == kTxByteSwapped;
    const std::uint32_t element2Offset = fields.read(element2.offsetToData);
    const std::uint32_t element2Sizes = fields.read(element2.endOfLinePadding);
    const std::uint32_t element2Bytes = fields.read(element2.endOfImagePadding);
    if (!fields.ok()) return badLayout(kDpxImageInformation);
    bytesPerPixel_ = 4;

    std::uint64_t rowBytes = 0;
    if (mode == ParseMode::Block || descriptor_ == kDpxDescriptorRgb)
        rowBytes = std::uint64_t{width_} * 4 + endOfLinePadding;
    else if (descriptor_ == kDpxDescriptor422)
        rowBytes = ((std::uint64_t{width_} * 16 + 5) / 6 + 3) & ~std::uint64_t{3};
    if (rowBytes > kDpxUndefined32)
        return badHeader("a row of " + number(width_) + " pixels does not fit 32 bits");
    rowBytes_ = static_cast<std::uint32_t>(rowBytes);

    // Both products are below 2^32, so the sum stays below 2^64.
    const std::uint64_t imageEnd = std::uint64_t{rowBytes_} * height_ + imageDataOffset_;
    if (imageEnd < totalFileSize_ && encoded) {
        secondElement_.fileOffset = element2Offset;
        secondElement_.size = element2Offset <= totalFileSize_
                                  ? std::min<std::uint64_t>(element2Bytes, totalFileSize_ - element2Offset)
                                  : 0;
        secondElement_.width = element2Sizes >> 16;
        secondElement_.height = element2Sizes & 0xFFFFu;
        secondElement_.formatCode = 0;
    } else {
        secondElement_.width = width_;
        secondElement_.height = height_;
        secondElement_.formatCode = kFormatDPX0;
        secondElement_.size = 0;
    }
    return {};
}

Status CDPXFileReader::parseIndustryAndUserData(HeaderSource& source, ParseMode mode,
                                                std::uint32_t industryBytes, std::uint32_t userDataBytes) {
    if (industryBytes > kDpxFilm.bytes) {
        if (!source.read(kDpxFilm.at, film_)) return badHeader("the file ends inside the film header");
        DpxFieldReader film(kDpxFilm, film_, byteOrder());
        frameRate_ = film.read(dpx_field::kFilmFrameRate);
        if (mode == ParseMode::Block) {
            filmFramePosition_ = film.read(dpx_field::kFilmFramePosition);
            const std::span<const std::uint8_t> identification =
                film.read(dpx_field::kFilmFrameIdentification);
            std::copy_n(identification.begin(),
                        std::min(identification.size(), filmFrameIdentification_.size()),
                        filmFrameIdentification_.begin());
        }
        if (!film.ok()) return badLayout(kDpxFilm);
        industryBytes -= kDpxFilm.bytes;
        if (mode == ParseMode::Block && industryBytes != kDpxTelevision.bytes)
            return badHeader("the industry header leaves " + number(industryBytes) +
                             " bytes after the film header, not a 128-byte television header");
    }
    if (industryBytes != kDpxTelevision.bytes) return {};
    if (!source.read(kDpxTelevision.at, television_))
        return badHeader("the file ends inside the television header");
    DpxFieldReader television(kDpxTelevision, television_, byteOrder());
    frameRate_ = television.read(dpx_field::kTelevisionFrameRate);
    gamma_ = television.read(dpx_field::kGamma);
    timeCodeField_ = television.read(dpx_field::kTimeCode);
    if (!television.ok()) return badLayout(kDpxTelevision);
    timeCode_ = unpackTimeCode(timeCodeField_);
    if (userDataBytes == 0) return {};
    // User data ends where the image data begins; both lie within the file.
    userData_.resize(userDataBytes);
    if (!source.read(imageDataOffset_ - userDataBytes, userData_)) {
        userData_.clear();
        return badHeader("the user data cannot be read");
    }
    return {};
}
