#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "files/dpx_layout.h"
#include "files/dpx_templates.h"
#include "files/dpx_time_code.h"
#include "platform/file.h"

// The state both DPX file classes share: the open file, the header blocks as
// they stand in the file, and the values taken from or put into them. Also the
// file primitives the writer and the reader are built on. Not polymorphic.
class CDPXFile {
public:
    CDPXFile() = default;
    CDPXFile(const CDPXFile&) = delete;
    CDPXFile& operator=(const CDPXFile&) = delete;

    // Writing side. Create replaces any file of that name; false (with
    // LastError) when it cannot, or when the path does not fit kPathCapacity.
    bool CreateForWriting(const std::filesystem::path& absolutePath);
    // Writes all count bytes; false when any of them could not be written.
    bool WriteBytes(const void* buffer, std::size_t count);
    void CloseFile() { file_.close(); }

    // Reading side: the open modes of a header scan (read ahead), of the image
    // data reads (the page cache bypassed when the data starts on a sector
    // boundary) and of a whole-file load (always unbuffered; such reads need
    // sector-aligned buffers and sizes).
    bool OpenForHeaderScan(const std::filesystem::path& path);
    bool OpenForDataReads(const std::filesystem::path& path, std::uint64_t imageDataOffset);
    bool OpenForWholeFileLoad(const std::filesystem::path& path);
    // The file's size in bytes, or -1.
    std::int64_t FileSize() const { return file_.size(); }
    enum class SeekOrigin { Begin, Current };
    bool Seek(std::int64_t distance, SeekOrigin origin);
    // Reads count bytes from the current position by the rules of readChunked.
    bool ReadChunked(void* buffer, std::size_t count, std::size_t* reported);
    // Reads up to count bytes from the current position: the bytes read
    // (fewer at the end of the file), or -1 on an error.
    std::int64_t ReadUpTo(void* buffer, std::size_t count);
    // Reads exactly count bytes from the current position: a header block
    // that ends early is no header block.
    bool ReadExact(void* buffer, std::size_t count);

    bool IsOpen() const { return file_.isOpen(); }
    // errno of the last failed primitive.
    int LastError() const { return lastError_; }

    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    std::uint32_t ImageDataOffset() const { return imageDataOffset_; }
    std::uint32_t RowBytes() const { return rowBytes_; }
    bool IsBigEndian() const { return bigEndian_; }
    const DPXTimeCode& TimeCode() const { return timeCode_; }

protected:
    struct SecondImageElement {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        std::uint32_t formatCode = 0;
        std::uint64_t size = 0;
        const std::uint8_t* data = nullptr;
        std::uint64_t fileOffset = 0;
    };

    bool noteFailure();
    // False, with the error noted, for an empty path or one of kPathCapacity bytes or more.
    bool acceptPath(const std::filesystem::path& path);

    platform::File file_;
    int lastError_ = 0;

    std::array<std::uint8_t, kDpxFileInformation.bytes> fileInformation_{};
    std::array<std::uint8_t, kDpxImageInformation.bytes> imageInformation_{};
    std::array<std::uint8_t, kDpxOrientation.bytes> orientation_{};
    std::array<std::uint8_t, kDpxFilm.bytes> film_{};
    std::array<std::uint8_t, kDpxTelevision.bytes> television_{};
    std::vector<std::uint8_t> userData_;

    std::uint32_t imageDataOffset_ = 0;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    SecondImageElement secondElement_;
    DPXTimeCode timeCode_;
    std::uint32_t referenceLowCode_ = 0;
    float referenceLowQuantity_ = 0.0f;
    std::uint32_t referenceHighCode_ = 0;
    float referenceHighQuantity_ = 0.0f;
    std::uint32_t bitSize_ = 0;
    std::uint32_t packing_ = 0;
    std::uint32_t encoding_ = 0;
    std::uint32_t descriptor_ = 0;
    std::uint32_t bytesPerPixel_ = 0;
    std::uint32_t rowBytes_ = 0;
    std::uint32_t dittoKey_ = 0;
    std::uint32_t element1Offset_ = 0;
    DPXTemplates templates_{};
    std::uint32_t pixelAspectHorizontal_ = 0;  // all ones: undefined
    std::uint32_t pixelAspectVertical_ = 0;
    float frameRate_ = 0.0f;
    float gamma_ = 0.0f;
    std::uint32_t filmFramePosition_ = 0;
    std::array<char, 32> filmFrameIdentification_{};
    bool bigEndian_ = false;
    std::uint64_t fileSize_ = 0;
};
