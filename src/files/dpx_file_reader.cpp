#include "files/dpx_file_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "files/chunked_read.h"
#include "files/dpx_header_source.h"
#include "files/last_error_report.h"
#include "files/path_name.h"
#include "files/sector_size.h"
#include "platform/path.h"

namespace {

std::string number(std::uint64_t value) {
    return std::to_string(value);
}

bool isPowerOfTwo(std::uint64_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

Status badInput(std::string message) {
    return Status::failure(ErrorCode::kBadInput, std::move(message));
}

// What was being done, and the system's reason.
Status readFailure(const std::string& doing, int error) {
    return Status::failure(ErrorCode::kReadFailed, doing + ": " + platform::errorText(error), error);
}

}  // namespace

CDPXFileReader::~CDPXFileReader() {
    CloseFile();
}

bool CDPXFileReader::ReadAhead(std::uint64_t) {
    return false;
}

bool CDPXFileReader::Restart() {
    return false;
}

bool CDPXFileReader::Read(void* buffer, std::size_t count) {
    return ReadChunked(buffer, count, nullptr);
}

bool CDPXFileReader::fail(Status failure) {
    failure_ = std::move(failure);
    return false;
}

bool CDPXFileReader::failClosed(Status failure) {
    CloseFile();
    return fail(std::move(failure));
}

bool CDPXFileReader::Open(const char* narrowPath) {
    const CPathName name(narrowPath);
    if (name.GetError() != 0) {
        CloseFile();
        resetFields();
        return fail(badInput("the name is empty or its absolute path is too long"));
    }
    return OpenFile(name.GetWide());
}

bool CDPXFileReader::OpenFile(const std::filesystem::path& path) {
    failure_ = Status{};
    CloseFile();
    resetFields();
    fileSize_ = 0;
    path_ = path;
    if (!OpenForHeaderScan(path)) return fail(readFailure("cannot open it", LastError()));
    const std::int64_t size = FileSize();
    if (size < 0) return failClosed(readFailure("cannot take its size", LastError()));
    fileSize_ = static_cast<std::uint64_t>(size);
    FileSource source(*this, fileSize_);
    if (Status parsed = parse(source, ParseMode::File); !parsed.ok()) return failClosed(std::move(parsed));
    CloseFile();
    if (!OpenForDataReads(path, imageDataOffset_))
        return fail(readFailure("cannot open it again for the image data", LastError()));
    if (!Seek(imageDataOffset_, SeekOrigin::Begin)) {
        ReportLastError(LastError());
        return failClosed(readFailure("cannot move to the image data", LastError()));
    }
    return true;
}

bool CDPXFileReader::ReadRow(std::span<std::uint8_t> row) {
    const bool read = ReadChunked(row.data(), row.size(), nullptr);
    if (row.size() >= rowBytes_) return read;
    const bool skipped = Seek(static_cast<std::int64_t>(rowBytes_ - row.size()), SeekOrigin::Current);
    return read && skipped;
}

bool CDPXFileReader::ReadSecondElement(void* buffer, std::size_t size) {
    const std::uint64_t start = std::uint64_t{imageDataOffset_} + std::uint64_t{rowBytes_} * height_;
    if (!Seek(static_cast<std::int64_t>(start), SeekOrigin::Begin)) return false;
    auto* into = static_cast<std::uint8_t*>(buffer);
    for (std::size_t done = 0; done < size;) {
        const std::size_t chunk = std::min(size - done, kReadChunkBytes);
        if (!ReadExact(into + done, chunk)) return false;
        done += chunk;
    }
    return true;
}

std::uint64_t CDPXFileReader::AlignedSecondElementBytes(std::size_t alignment) const {
    if (!isPowerOfTwo(alignment)) return 0;
    return (secondElement_.size & ~std::uint64_t{alignment - 1}) + 2 * std::uint64_t{alignment};
}

bool CDPXFileReader::ReadSecondElementAligned(void* buffer, std::size_t alignment, std::size_t* lead,
                                              std::size_t* size) {
    if (!isPowerOfTwo(alignment) || secondElement_.size == 0 || lead == nullptr || size == nullptr)
        return false;
    const std::uint64_t alignedStart = secondElement_.fileOffset & ~std::uint64_t{alignment - 1};
    const std::uint64_t leadBytes = secondElement_.fileOffset - alignedStart;
    const std::uint64_t wanted = AlignedSecondElementBytes(alignment);
    const std::uint64_t needed = leadBytes + secondElement_.size;
    if (!Seek(static_cast<std::int64_t>(alignedStart), SeekOrigin::Begin)) return false;
    auto* into = static_cast<std::uint8_t*>(buffer);
    std::uint64_t done = 0;
    while (done < wanted) {
        const std::size_t chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(wanted - done, kReadChunkBytes));
        const std::int64_t got = ReadUpTo(into + done, chunk);
        if (got < 0) return false;
        done += static_cast<std::uint64_t>(got);
        // Only the end of the file may cut a chunk short.
        if (static_cast<std::size_t>(got) < chunk) break;
    }
    if (done < needed) return false;
    *lead = static_cast<std::size_t>(leadBytes);
    *size = static_cast<std::size_t>(secondElement_.size);
    return true;
}

bool CDPXFileReader::LoadFile(const std::filesystem::path& path, CImageBuffer& image) {
    return LoadFile(path.c_str(), image);
}

bool CDPXFileReader::LoadFile(const char* narrowPath, CImageBuffer& image) {
    return LoadFile(narrowPath, image, GetSectorSize(narrowPath == nullptr ? std::string() : narrowPath));
}

bool CDPXFileReader::LoadFile(const char* narrowPath, CImageBuffer& image, std::uint32_t sectorSize) {
    failure_ = Status{};
    CloseFile();
    resetFields();
    fileSize_ = 0;
    loadedBytes_ = 0;
    if (!isPowerOfTwo(sectorSize))
        return fail(badInput("the sector size " + number(sectorSize) + " is not a power of two"));
    const CPathName name(narrowPath);
    if (name.GetError() != 0) return fail(badInput("the name is empty or its absolute path is too long"));
    if (!OpenForWholeFileLoad(name.GetWide())) return fail(readFailure("cannot open it", LastError()));
    const std::int64_t size = FileSize();
    if (size < 0) return failClosed(readFailure("cannot take its size", LastError()));
    if (static_cast<std::uint64_t>(size) > kMaxDpxLoadBytes)
        return failClosed(badInput("the file holds " + number(static_cast<std::uint64_t>(size)) +
                                   " bytes, more than a DPX file can describe"));
    fileSize_ = static_cast<std::uint64_t>(size);
    const std::uint64_t rounded = (fileSize_ + sectorSize - 1) / sectorSize * sectorSize;
    if (!image.Reserve(static_cast<std::size_t>(rounded)))
        return failClosed(
            image.Granularity() == 0
                ? badInput("the image buffer has a granularity of 0")
                : Status::failure(ErrorCode::kNoMemory, "no memory for " + number(rounded) + " bytes"));
    std::size_t reported = 0;
    if (!ReadChunked(image.Data(), static_cast<std::size_t>(rounded), &reported) || reported != rounded)
        return failClosed(readFailure("cannot read it", LastError()));
    loadedBytes_ = rounded;
    CloseFile();

    BlockSource source(std::span<const std::uint8_t>(image.Data(), static_cast<std::size_t>(fileSize_)));
    if (Status parsed = parse(source, ParseMode::Block); !parsed.ok()) return fail(std::move(parsed));
    std::uint32_t formatCode = 0;
    if (descriptor_ == kDpxDescriptorRgb)
        formatCode = kFormatDPX0;
    else if (descriptor_ == kDpxDescriptor422)
        formatCode = kFormatV210;
    else
        return fail(Status::failure(
            ErrorCode::kUnsupported,
            "descriptor " + number(descriptor_) + ": only 50 (RGB) and 100 (4:2:2) can be loaded"));
    const std::uint64_t imageEnd = std::uint64_t{imageDataOffset_} + std::uint64_t{rowBytes_} * height_;
    if (imageEnd > fileSize_)
        return fail(badInput("the image data ends at byte " + number(imageEnd) + " but the file holds " +
                             number(fileSize_)));
    image.dataOffset = imageDataOffset_;
    image.width = width_;
    image.height = height_;
    image.rowBytes = rowBytes_;
    image.formatCode = formatCode;
    image.secondElement =
        CImageBuffer::SecondElement{secondElement_.width, secondElement_.height, secondElement_.formatCode,
                                    secondElement_.fileOffset, secondElement_.size};
    return true;
}

bool CDPXFileReader::ParseHeader(const std::uint8_t* block, std::size_t size) {
    failure_ = Status{};
    const std::uint64_t recordedSize = fileSize_;
    resetFields();
    // The block may be longer than the file it holds (rounded up to sectors).
    const std::size_t limit =
        recordedSize != 0 ? static_cast<std::size_t>(std::min<std::uint64_t>(size, recordedSize)) : size;
    BlockSource source(std::span<const std::uint8_t>(block, block == nullptr ? 0 : limit));
    if (Status parsed = parse(source, ParseMode::Block); !parsed.ok()) return fail(std::move(parsed));
    return true;
}
