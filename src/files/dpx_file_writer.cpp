#include "files/dpx_file_writer.h"

#include <array>
#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <span>

#include "files/dpx_header_fields.h"
#include "files/path_name.h"

namespace {

constexpr std::uint32_t kBitSize = 10;
constexpr std::uint32_t kBytesPerPixel = 4;
constexpr std::uint32_t kReferenceHighCode = 1023;
// The second element's width and height share one 32-bit field.
constexpr std::uint32_t kLargestElement2Side = 0xFFFF;

template <std::size_t Size>
bool usable(const DPXTemplates::Block& block) {
    return block.data != nullptr && block.size == Size;
}

std::span<const std::uint8_t> bytesOf(const char* text, std::size_t count) {
    return {reinterpret_cast<const std::uint8_t*>(text), count};
}

}  // namespace

CDPXFileWriter::CDPXFileWriter(std::uint32_t width, std::uint32_t height, const DPXTemplates* templates,
                               const char* timeCode) {
    width_ = width;
    height_ = height;
    imageDataOffset_ = kDpxGenericHeaderBytes + kDpxIndustryHeaderBytes;
    bitSize_ = kBitSize;
    packing_ = kDpxPackingFilledLow;
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

bool CDPXFileWriter::buildFileInformation(const std::filesystem::path& recordedName,
                                          std::uint32_t userDataSize) {
    if (usable<kDpxFileInformation.bytes>(templates_.fileInformation)) {
        std::memcpy(fileInformation_.data(), templates_.fileInformation.data, kDpxFileInformation.bytes);
        return true;
    }
    fileInformation_.fill(0);
    DpxFieldWriter fields(kDpxFileInformation, fileInformation_);
    fields.writeText(dpx_field::kCreator, kDpxCreator);
    std::array<char, dpx_field::kFileName.bytes> fileName{};
    CPathName(recordedName).GetFileNameA(fileName.data(), fileName.size());
    fields.write(dpx_field::kFileName, bytesOf(fileName.data(), fileName.size()));
    fields.write(dpx_field::kMagic, bytesOf(kDpxMagicBigEndian, dpx_field::kMagic.bytes));
    fields.write(dpx_field::kImageDataOffset, imageDataOffset_);
    fields.writeText(dpx_field::kVersion, kDpxVersion);
    fields.write(dpx_field::kTotalFileSize, static_cast<std::uint32_t>(TotalFileSize()));
    fields.write(dpx_field::kDittoKey, dittoKey_);
    fields.write(dpx_field::kGenericHeaderSize, kDpxGenericHeaderBytes);
    fields.write(dpx_field::kIndustryHeaderSize, kDpxIndustryHeaderBytes);
    fields.write(dpx_field::kUserDataSize, userDataSize);
    fields.write(dpx_field::kEncryptionKey, kDpxUndefined32);
    return fields.ok();
}

bool CDPXFileWriter::buildImageInformation() {
    if (usable<kDpxImageInformation.bytes>(templates_.imageInformation))
        std::memcpy(imageInformation_.data(), templates_.imageInformation.data, kDpxImageInformation.bytes);
    else
        imageInformation_.fill(0);
    DpxFieldWriter fields(kDpxImageInformation, imageInformation_);
    const DpxImageElement& element1 = dpx_field::kElement1;
    fields.write(dpx_field::kOrientation, 0);
    fields.write(dpx_field::kElementCount, 1);
    fields.write(dpx_field::kPixelsPerLine, width_);
    fields.write(dpx_field::kLinesPerElement, height_);
    fields.write(element1.dataSign, 0);
    fields.write(element1.referenceLowCode, referenceLowCode_);
    fields.write(element1.referenceLowQuantity, referenceLowQuantity_);
    fields.write(element1.referenceHighCode, referenceHighCode_);
    fields.write(element1.referenceHighQuantity, referenceHighQuantity_);
    fields.write(element1.descriptor, static_cast<std::uint8_t>(descriptor_));
    fields.write(element1.bitSize, static_cast<std::uint8_t>(bitSize_));
    fields.write(element1.packing, static_cast<std::uint16_t>(packing_));
    fields.write(element1.encoding, static_cast<std::uint16_t>(encoding_));
    fields.write(element1.offsetToData, element1Offset_);
    if (hasSecondElement()) writeSecondElement(fields);
    return fields.ok();
}

// Element 2 describes the encoded rendition after the image data. Its
// descriptor stays 0 and the element count 1, so readers that know nothing
// of it see a one-element file.
void CDPXFileWriter::writeSecondElement(DpxFieldWriter& fields) const {
    const DpxImageElement& element2 = dpx_field::kElement2;
    const std::uint64_t imageBytes = std::uint64_t{width_} * height_ * bytesPerPixel_;
    fields.write(element2.dataSign, 0);
    fields.write(element2.referenceLowCode, referenceLowCode_);
    fields.write(element2.referenceLowQuantity, referenceLowQuantity_);
    fields.write(element2.referenceHighCode, referenceHighCode_);
    fields.write(element2.referenceHighQuantity, referenceHighQuantity_);
    fields.write(element2.bitSize, static_cast<std::uint8_t>(bitSize_));
    fields.write(element2.packing, kDpxPackingFilledLow);
    fields.write(element2.encoding, kDpxEncodingTx);
    // Create has checked that the whole file, and so this offset, fits 32 bits.
    fields.write(element2.offsetToData, static_cast<std::uint32_t>(imageDataOffset_ + imageBytes));
    fields.write(element2.endOfLinePadding, secondElement_.width << 16 | secondElement_.height);
    fields.write(element2.endOfImagePadding, static_cast<std::uint32_t>(secondElement_.size));
    std::array<char, element2.description.bytes> description{};
    std::snprintf(description.data(), description.size(), "Tavrix %ux%u", secondElement_.width,
                  secondElement_.height);
    fields.write(element2.description, bytesOf(description.data(), description.size()));
}

bool CDPXFileWriter::buildOrientation() {
    if (usable<kDpxOrientation.bytes>(templates_.orientation)) {
        std::memcpy(orientation_.data(), templates_.orientation.data, kDpxOrientation.bytes);
        return true;
    }
    orientation_.fill(0);
    DpxFieldWriter fields(kDpxOrientation, orientation_);
    fields.write(dpx_field::kPixelAspectHorizontal, pixelAspectHorizontal_);
    fields.write(dpx_field::kPixelAspectVertical, pixelAspectVertical_);
    return fields.ok();
}

void CDPXFileWriter::buildFilm() {
    if (usable<kDpxFilm.bytes>(templates_.film))
        std::memcpy(film_.data(), templates_.film.data, kDpxFilm.bytes);
    else
        film_.fill(0);
}

// The time code and rate go where the header has none yet: a template may
// carry its own.
bool CDPXFileWriter::buildTelevision() {
    if (usable<kDpxTelevision.bytes>(templates_.television))
        std::memcpy(television_.data(), templates_.television.data, kDpxTelevision.bytes);
    else
        television_.fill(0);
    DpxFieldReader present(kDpxTelevision, television_, ByteOrder::kBigEndian);
    const bool timeCodeFree = present.holdsZero(dpx_field::kTimeCode);
    const bool rateFree = present.holdsZero(dpx_field::kTelevisionFrameRate);
    DpxFieldWriter fields(kDpxTelevision, television_);
    if (timeCodeFree && timeCode_.isSet()) fields.write(dpx_field::kTimeCode, packTimeCode(timeCode_));
    if (frameRate_ > 0.0f && rateFree) fields.write(dpx_field::kTelevisionFrameRate, frameRate_);
    return present.ok() && fields.ok();
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

    buildFilm();
    const bool built = buildFileInformation(recordedName, userDataSize) && buildImageInformation() &&
                       buildOrientation() && buildTelevision();
    // Every field lies inside its block by the layout's construction.
    assert(built);
    if (!built) {
        lastError_ = EINVAL;
        CloseFile();
        return false;
    }
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
