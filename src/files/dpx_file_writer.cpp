#include "files/dpx_file_writer.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "files/big_endian.h"
#include "files/path_name.h"

namespace {

constexpr std::uint32_t kBitSize = 10;
constexpr std::uint32_t kPackingFilledWords = 1;
constexpr std::uint32_t kBytesPerPixel = 4;
constexpr std::uint32_t kReferenceHighCode = 1023;
constexpr std::size_t kFileNameFieldBytes = 100;
constexpr std::size_t kCreatorFieldBytes = 100;

// File information header, offsets from the start of the file.
constexpr std::size_t kMagicAt = 0;
constexpr std::size_t kImageOffsetAt = 4;
constexpr std::size_t kVersionAt = 8;
constexpr std::size_t kTotalSizeAt = 16;
constexpr std::size_t kDittoKeyAt = 20;
constexpr std::size_t kGenericSizeAt = 24;
constexpr std::size_t kIndustrySizeAt = 28;
constexpr std::size_t kUserDataSizeAt = 32;
constexpr std::size_t kFileNameAt = 36;
constexpr std::size_t kCreatorAt = 160;
constexpr std::size_t kEncryptionKeyAt = 660;

// Image information header, offsets from its start (byte 768 of the file).
constexpr std::size_t kOrientationAt = 0;
constexpr std::size_t kElementCountAt = 2;
constexpr std::size_t kPixelsPerLineAt = 4;
constexpr std::size_t kLinesAt = 8;
constexpr std::size_t kDataSignAt = 12;
constexpr std::size_t kLowCodeAt = 16;
constexpr std::size_t kLowQuantityAt = 20;
constexpr std::size_t kHighCodeAt = 24;
constexpr std::size_t kHighQuantityAt = 28;
constexpr std::size_t kDescriptorAt = 32;
constexpr std::size_t kBitSizeAt = 35;
constexpr std::size_t kPackingAt = 36;
constexpr std::size_t kEncodingAt = 38;
constexpr std::size_t kElementOffsetAt = 40;

// Image element 2, offsets from the start of the image information header.
constexpr std::size_t kElement2DataSignAt = 84;
constexpr std::size_t kElement2LowCodeAt = 88;
constexpr std::size_t kElement2LowQuantityAt = 92;
constexpr std::size_t kElement2HighCodeAt = 96;
constexpr std::size_t kElement2HighQuantityAt = 100;
constexpr std::size_t kElement2BitSizeAt = 107;
constexpr std::size_t kElement2PackingAt = 108;
constexpr std::size_t kElement2EncodingAt = 110;
constexpr std::size_t kElement2OffsetAt = 112;
constexpr std::size_t kElement2SizesAt = 116;  // the end-of-line padding field, reused
constexpr std::size_t kElement2BytesAt = 120;  // the end-of-image padding field, reused
constexpr std::size_t kElement2DescriptionAt = 124;
constexpr std::size_t kDescriptionFieldBytes = 32;
constexpr std::uint32_t kLargestElement2Side = 0xFFFF;

// Orientation header, offsets from its start (byte 1408 of the file).
constexpr std::size_t kAspectHorizontalAt = 220;
constexpr std::size_t kAspectVerticalAt = 224;

// Television header, offsets from its start (byte 1920 of the file).
constexpr std::size_t kTimeCodeAt = 0;
constexpr std::size_t kTemporalRateAt = 20;

template <std::size_t Size>
bool usable(const DPXTemplates::Block& block) {
    return block.data != nullptr && block.size == Size;
}

template <std::size_t Size>
void putText(std::array<std::uint8_t, Size>& block, std::size_t offset, const char* text, std::size_t field) {
    const std::size_t length = std::min(std::strlen(text), field - 1);
    std::memcpy(block.data() + offset, text, length);
}

template <std::size_t Size>
bool fieldIsZero(const std::array<std::uint8_t, Size>& block, std::size_t offset) {
    return block[offset] == 0 && block[offset + 1] == 0 && block[offset + 2] == 0 && block[offset + 3] == 0;
}

}  // namespace

CDPXFileWriter::CDPXFileWriter(std::uint32_t width, std::uint32_t height, const DPXTemplates* templates,
                               const char* timeCode) {
    width_ = width;
    height_ = height;
    imageDataOffset_ = kDpxGenericHeaderBytes + kDpxIndustryHeaderBytes;
    bitSize_ = kBitSize;
    packing_ = kPackingFilledWords;
    encoding_ = 0;
    descriptor_ = kDpxDescriptorRgb;
    bytesPerPixel_ = kBytesPerPixel;
    rowBytes_ = width <= kDpxUndefined32 / kBytesPerPixel ? width * kBytesPerPixel : 0;
    dittoKey_ = 1;
    referenceLowCode_ = 0;
    referenceLowQuantity_ = 0.0f;
    referenceHighCode_ = kReferenceHighCode;
    referenceHighQuantity_ = 0.0f;
    pixelAspectHorizontal_ = kDpxUndefined32;
    pixelAspectVertical_ = kDpxUndefined32;
    bigEndian_ = true;
    if (templates != nullptr) templates_ = *templates;
    timeCode_ = parseTimeCode(timeCode);
}

void CDPXFileWriter::SetFrameTiming(const DPXFrameTiming& timing) {
    timeCode_ = timing.timeCode;
    frameRate_ = timing.frameRate;
}

CDPXFileWriter::~CDPXFileWriter() {
    CloseFile();
}

bool CDPXFileWriter::Preallocate(std::uint64_t) {
    return false;
}

std::uint32_t CDPXFileWriter::userDataBytes() const {
    if (templates_.userData.data == nullptr || templates_.userData.size > kDpxUndefined32) return 0;
    return static_cast<std::uint32_t>(templates_.userData.size);
}

bool CDPXFileWriter::hasSecondElement() const {
    return secondElement_.width != 0 && secondElement_.height != 0 && secondElement_.data != nullptr &&
           secondElement_.size != 0;
}

bool CDPXFileWriter::SetSecondElement(std::uint32_t width, std::uint32_t height, const void* data,
                                      std::size_t size, std::uint32_t formatCode) {
    if (width > kLargestElement2Side || height > kLargestElement2Side || size > kDpxUndefined32) return false;
    secondElement_.width = width;
    secondElement_.height = height;
    secondElement_.data = static_cast<const std::uint8_t*>(data);
    secondElement_.size = size;
    secondElement_.formatCode = formatCode;
    return true;
}

std::uint64_t CDPXFileWriter::TotalFileSize() const {
    const std::uint64_t imageBytes = std::uint64_t{width_} * height_ * bytesPerPixel_;
    return imageBytes + kDpxGenericHeaderBytes + kDpxIndustryHeaderBytes + userDataBytes() +
           (hasSecondElement() ? secondElement_.size : 0);
}

bool CDPXFileWriter::writeChecked(const void* buffer, std::size_t count) {
    if (WriteBytes(buffer, count)) return true;
    writeFailed_ = true;
    return false;
}

void CDPXFileWriter::buildFileInformation(const std::filesystem::path& recordedName,
                                          std::uint32_t userDataSize) {
    if (usable<kDpxFileInformationBytes>(templates_.fileInformation)) {
        std::memcpy(fileInformation_.data(), templates_.fileInformation.data, kDpxFileInformationBytes);
        return;
    }
    fileInformation_.fill(0);
    auto& block = fileInformation_;
    putText(block, kCreatorAt, kDpxCreator, kCreatorFieldBytes);
    const CPathName name(recordedName);
    name.GetFileNameA(reinterpret_cast<char*>(block.data() + kFileNameAt), kFileNameFieldBytes);
    std::memcpy(block.data() + kMagicAt, "SDPX", 4);
    putBE32(block, kImageOffsetAt, imageDataOffset_);
    putText(block, kVersionAt, "V1.0", 8);
    putBE32(block, kTotalSizeAt, static_cast<std::uint32_t>(TotalFileSize()));
    putBE32(block, kDittoKeyAt, dittoKey_);
    putBE32(block, kGenericSizeAt, kDpxGenericHeaderBytes);
    putBE32(block, kIndustrySizeAt, kDpxIndustryHeaderBytes);
    putBE32(block, kUserDataSizeAt, userDataSize);
    putBE32(block, kEncryptionKeyAt, kDpxUndefined32);
}

void CDPXFileWriter::buildImageInformation() {
    if (usable<kDpxImageInformationBytes>(templates_.imageInformation))
        std::memcpy(imageInformation_.data(), templates_.imageInformation.data, kDpxImageInformationBytes);
    else
        imageInformation_.fill(0);
    auto& block = imageInformation_;
    putBE16(block, kOrientationAt, 0);
    putBE16(block, kElementCountAt, 1);
    putBE32(block, kPixelsPerLineAt, width_);
    putBE32(block, kLinesAt, height_);
    putBE32(block, kDataSignAt, 0);
    putBE32(block, kLowCodeAt, referenceLowCode_);
    putBEFloat(block, kLowQuantityAt, referenceLowQuantity_);
    putBE32(block, kHighCodeAt, referenceHighCode_);
    putBEFloat(block, kHighQuantityAt, referenceHighQuantity_);
    block[kDescriptorAt] = static_cast<std::uint8_t>(descriptor_);
    block[kBitSizeAt] = static_cast<std::uint8_t>(bitSize_);
    putBE16(block, kPackingAt, static_cast<std::uint16_t>(packing_));
    putBE16(block, kEncodingAt, static_cast<std::uint16_t>(encoding_));
    putBE32(block, kElementOffsetAt, element1Offset_);
    if (hasSecondElement()) buildSecondElement();
}

// Element 2 describes the encoded rendition after the image data. Its
// descriptor stays 0 and the element count 1, so readers that know nothing
// of it see a one-element file.
void CDPXFileWriter::buildSecondElement() {
    auto& block = imageInformation_;
    const std::uint64_t imageBytes = std::uint64_t{width_} * height_ * bytesPerPixel_;
    putBE32(block, kElement2DataSignAt, 0);
    putBE32(block, kElement2LowCodeAt, referenceLowCode_);
    putBEFloat(block, kElement2LowQuantityAt, referenceLowQuantity_);
    putBE32(block, kElement2HighCodeAt, referenceHighCode_);
    putBEFloat(block, kElement2HighQuantityAt, referenceHighQuantity_);
    block[kElement2BitSizeAt] = static_cast<std::uint8_t>(bitSize_);
    putBE16(block, kElement2PackingAt, 1);
    block[kElement2EncodingAt] = 'T';
    block[kElement2EncodingAt + 1] = 'X';
    // Create has checked that the whole file, and so this offset, fits 32 bits.
    putBE32(block, kElement2OffsetAt, static_cast<std::uint32_t>(imageDataOffset_ + imageBytes));
    putBE32(block, kElement2SizesAt, secondElement_.width << 16 | secondElement_.height);
    putBE32(block, kElement2BytesAt, static_cast<std::uint32_t>(secondElement_.size));
    std::array<char, kDescriptionFieldBytes> description{};
    std::snprintf(description.data(), description.size(), "Tavrix %ux%u", secondElement_.width,
                  secondElement_.height);
    std::memcpy(block.data() + kElement2DescriptionAt, description.data(), description.size());
}

void CDPXFileWriter::buildOrientation() {
    if (usable<kDpxOrientationBytes>(templates_.orientation)) {
        std::memcpy(orientation_.data(), templates_.orientation.data, kDpxOrientationBytes);
        return;
    }
    orientation_.fill(0);
    putBE32(orientation_, kAspectHorizontalAt, pixelAspectHorizontal_);
    putBE32(orientation_, kAspectVerticalAt, pixelAspectVertical_);
}

void CDPXFileWriter::buildFilm() {
    if (usable<kDpxFilmBytes>(templates_.film))
        std::memcpy(film_.data(), templates_.film.data, kDpxFilmBytes);
    else
        film_.fill(0);
}

void CDPXFileWriter::buildTelevision() {
    if (usable<kDpxTelevisionBytes>(templates_.television))
        std::memcpy(television_.data(), templates_.television.data, kDpxTelevisionBytes);
    else
        television_.fill(0);
    if (fieldIsZero(television_, kTimeCodeAt) && timeCode_.isSet())
        putBE32(television_, kTimeCodeAt, packTimeCode(timeCode_));
    if (frameRate_ > 0.0f && fieldIsZero(television_, kTemporalRateAt))
        putBEFloat(television_, kTemporalRateAt, frameRate_);
}

bool CDPXFileWriter::Create(const std::filesystem::path& path) {
    return Create(path, path);
}

bool CDPXFileWriter::Create(const std::filesystem::path& path, const std::filesystem::path& recordedName) {
    created_ = false;
    writeFailed_ = false;
    // The header's file size field is 32 bits; a larger picture cannot be described.
    if (rowBytes_ == 0 && width_ != 0) {
        lastError_ = EFBIG;
        return false;
    }
    const std::uint32_t userDataSize = userDataBytes();
    imageDataOffset_ = kDpxGenericHeaderBytes + kDpxIndustryHeaderBytes + userDataSize;
    element1Offset_ = imageDataOffset_;
    if (userDataSize > kDpxUndefined32 - kDpxGenericHeaderBytes - kDpxIndustryHeaderBytes ||
        TotalFileSize() > std::numeric_limits<std::uint32_t>::max()) {
        lastError_ = EFBIG;
        return false;
    }
    if (!CreateForWriting(path)) return false;

    buildFileInformation(recordedName, userDataSize);
    buildImageInformation();
    buildOrientation();
    buildFilm();
    buildTelevision();
    const bool written = writeChecked(fileInformation_.data(), fileInformation_.size()) &&
                         writeChecked(imageInformation_.data(), imageInformation_.size()) &&
                         writeChecked(orientation_.data(), orientation_.size()) &&
                         writeChecked(film_.data(), film_.size()) &&
                         writeChecked(television_.data(), television_.size()) &&
                         (userDataSize == 0 || writeChecked(templates_.userData.data, userDataSize));
    if (!written) {
        CloseFile();
        return false;
    }
    created_ = true;
    return true;
}

bool CDPXFileWriter::Write(const void* buffer, std::size_t count) {
    return writeChecked(buffer, count);
}

bool CDPXFileWriter::WriteFrame(const void* buffer, std::size_t pitch) {
    const auto* row = static_cast<const std::uint8_t*>(buffer);
    for (std::uint32_t line = 0; line < height_; ++line, row += pitch)
        if (!writeChecked(row, pitch)) return false;
    return true;
}

bool CDPXFileWriter::Close() {
    if (created_ && !writeFailed_ && hasSecondElement())
        writeChecked(secondElement_.data, static_cast<std::size_t>(secondElement_.size));
    CloseFile();
    return created_ && !writeFailed_;
}
