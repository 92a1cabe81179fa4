#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "bytes/byte_order.h"
#include "files/dpx_file.h"
#include "files/file_reader.h"
#include "files/image_buffer.h"
#include "platform/status.h"

// The most user data a header may announce; more is taken for a lie.
inline constexpr std::uint32_t kMaxDpxUserDataBytes = 1u << 20;
// The largest file LoadFile takes: a DPX file's sizes are 32-bit.
inline constexpr std::uint64_t kMaxDpxLoadBytes = 0xFFFFFFFFull;

// Reads DPX files of either byte order: "SDPX" (big-endian fields) and
// "XPDS" (little-endian). OpenFile parses the header from the file and leaves
// it positioned at the image data; LoadFile reads the whole file into an
// image buffer and parses it there. Every offset and size the header gives is
// checked against the file's real size before anything is read, allocated or
// indexed: a header that lies makes the open fail, with FailureReason()
// saying why, and the file closed.
class CDPXFileReader : public CDPXFile, public IFileReader {
public:
    CDPXFileReader() = default;
    ~CDPXFileReader() override;

    bool ReadAhead(std::uint64_t bytes) override;
    bool Read(void* buffer, std::size_t count) override;
    bool Restart() override;

    // Builds the absolute path of a name as typed and opens it.
    bool Open(const char* narrowPath);
    bool OpenFile(const std::filesystem::path& path);
    // Reads row.size() bytes; when that is less than a row of the image, the
    // rest of the row is passed over.
    bool ReadRow(std::span<std::uint8_t> row);
    // Reads size bytes of the second image element, which follows the main
    // image data. buffer must hold size bytes.
    bool ReadSecondElement(void* buffer, std::size_t size);
    // The same for a file read without the page cache: reads from the
    // element's offset rounded down to alignment (a power of two), and gives
    // the element's first byte at *lead within buffer and its size in *size.
    // buffer must hold AlignedSecondElementBytes(alignment) bytes and be
    // aligned to alignment. The read may end at the end of the file, once
    // the element's bytes are in.
    bool ReadSecondElementAligned(void* buffer, std::size_t alignment, std::size_t* lead, std::size_t* size);
    std::uint64_t AlignedSecondElementBytes(std::size_t alignment) const;

    // Loads the whole file into image (whose granularity must be a nonzero
    // power of two) and parses it there; the image data must lie wholly in
    // the file and be of descriptor 50 (DPX0) or 100 (v210).
    bool LoadFile(const char* narrowPath, CImageBuffer& image);
    bool LoadFile(const std::filesystem::path& path, CImageBuffer& image);
    // As above, with the volume's sector size given rather than asked for.
    bool LoadFile(const char* narrowPath, CImageBuffer& image, std::uint32_t sectorSize);
    // Parses a header held in memory: block holds the start of the file, at
    // least up to the image data offset.
    bool ParseHeader(const std::uint8_t* block, std::size_t size);

    // Why the last Open, OpenFile, LoadFile or ParseHeader failed.
    const Status& Failure() const { return failure_; }
    const std::string& FailureReason() const { return failure_.message(); }
    // Bytes LoadFile read.
    std::uint64_t LoadedBytes() const { return loadedBytes_; }

    std::uint32_t Descriptor() const { return descriptor_; }
    std::uint32_t BitSize() const { return bitSize_; }
    std::uint32_t Packing() const { return packing_; }
    std::uint32_t Encoding() const { return encoding_; }
    std::uint32_t DittoKey() const { return dittoKey_; }
    std::uint32_t Element1Offset() const { return element1Offset_; }
    std::uint32_t ReferenceLowCode() const { return referenceLowCode_; }
    std::uint32_t ReferenceHighCode() const { return referenceHighCode_; }
    float ReferenceLowQuantity() const { return referenceLowQuantity_; }
    float ReferenceHighQuantity() const { return referenceHighQuantity_; }
    std::uint32_t PixelAspectHorizontal() const { return pixelAspectHorizontal_; }
    std::uint32_t PixelAspectVertical() const { return pixelAspectVertical_; }
    float FrameRate() const { return frameRate_; }
    float Gamma() const { return gamma_; }
    std::uint32_t FilmFramePosition() const { return filmFramePosition_; }
    std::string FilmFrameIdentification() const;
    // The time code field as stored: packed decimal digits, all ones when undefined.
    std::uint32_t TimeCodeField() const { return timeCodeField_; }
    // The file size field, no more than the real size.
    std::uint64_t TotalFileSize() const { return totalFileSize_; }
    // The file size field as stored.
    std::uint32_t TotalFileSizeField() const { return totalFileSizeField_; }
    std::uint64_t FileSizeBytes() const { return fileSize_; }
    const std::vector<std::uint8_t>& UserData() const { return userData_; }

    struct SecondElementInfo {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        std::uint32_t formatCode = 0;  // not stored in the file: 0 for an element found there
        std::uint64_t offset = 0;
        std::uint64_t size = 0;
    };
    SecondElementInfo SecondElement() const {
        return {secondElement_.width, secondElement_.height, secondElement_.formatCode,
                secondElement_.fileOffset, secondElement_.size};
    }

private:
    class HeaderSource;
    class FileSource;
    class BlockSource;
    enum class ParseMode { File, Block };

    Status parse(HeaderSource& source, ParseMode mode);
    Status parseImageInformation(HeaderSource& source, ParseMode mode);
    Status parseIndustryAndUserData(HeaderSource& source, ParseMode mode, std::uint32_t industryBytes,
                                    std::uint32_t userDataBytes);
    ByteOrder byteOrder() const { return bigEndian_ ? ByteOrder::kBigEndian : ByteOrder::kLittleEndian; }
    // Note the failure and answer false; the Closed form closes the file first.
    bool fail(Status failure);
    bool failClosed(Status failure);
    void resetFields();

    Status failure_;
    std::uint64_t totalFileSize_ = 0;
    std::uint32_t totalFileSizeField_ = 0;
    std::uint32_t timeCodeField_ = 0;
    std::uint64_t loadedBytes_ = 0;
    std::filesystem::path path_;
};
