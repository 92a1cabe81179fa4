#include "files/dpx_sequence_exporter.h"

#include <cassert>
#include <memory>
#include <new>
#include <utility>

#include "files/dpx_file_writer.h"
#include "files/dpx_pixel_packing.h"
#include "files/output_pattern.h"
#include "files/path_name.h"
#include "platform/interrupt_cleanup.h"
#include "platform/path.h"
#include "platform/status.h"
#include "platform/temporary_name.h"

namespace {

constexpr std::size_t kBytesPerRgbPixel = 6;
constexpr std::size_t kBytesPerDpxPixel = 4;

Status failFile(ErrorCode code, const std::string& finalName, const std::string& reason, int error = 0) {
    return Status::failure(code, "cannot write DPX file " + finalName + ": " + reason, error);
}

Status failWrite(const std::string& finalName, int error) {
    return failFile(ErrorCode::kWriteFailed, finalName, platform::errorText(error), error);
}

// Rows are packed into a block of about this size and written a block at a
// time: one write call per row costs three times as much in system time.
constexpr std::size_t kWriteBlockBytes = 1 << 20;

std::uint32_t rowsPerBlock(std::size_t rowBytes, std::uint32_t height) {
    const std::size_t rows = rowBytes >= kWriteBlockBytes ? 1 : kWriteBlockBytes / rowBytes;
    return static_cast<std::uint32_t>(rows < height ? rows : height);
}

// Packs and writes the rows after the header; false at the first failed write.
bool writeRows(CDPXFileWriter& writer, const std::uint16_t* frame, std::uint32_t width, std::uint32_t height,
               std::size_t pitchSamples, std::uint8_t* blockBuffer, std::uint32_t blockRows) {
    const std::size_t rowBytes = std::size_t{width} * kBytesPerDpxPixel;
    for (std::uint32_t row = 0; row < height;) {
        const std::uint32_t rows = height - row < blockRows ? height - row : blockRows;
        for (std::uint32_t inBlock = 0; inBlock < rows; ++inBlock, ++row, frame += pitchSamples)
            packRgbRowTo10Bit(frame, width, blockBuffer + inBlock * rowBytes);
        if (!writer.Write(blockBuffer, rows * rowBytes)) return false;
    }
    return true;
}

// WriteDPXFrame's work; the failure names the final file and the reason.
Status writeFrameFile(const std::string& nameFormat, std::int64_t frameNumber, const std::uint16_t* frame,
                      int width, int height, std::size_t pitchBytes, const DPXFrameTiming* timing) {
    const std::string name = formatFrameName(nameFormat, frameNumber);
    if (name.empty())
        return Status::failure(ErrorCode::kBadInput,
                               "cannot write a DPX file: the output name \"" + nameFormat +
                                   "\" gives no usable file name for frame " + std::to_string(frameNumber));
    const CPathName finalPath(name);
    if (finalPath.GetError() != 0)
        return failFile(ErrorCode::kBadInput, name,
                        "the absolute path is longer than " + std::to_string(kPathCapacity - 1) + " bytes");
    const std::string finalName = finalPath.GetNarrow();
    if (width <= 0 || height <= 0)
        return failFile(
            ErrorCode::kBadInput, finalName,
            "the picture size " + std::to_string(width) + "x" + std::to_string(height) + " is empty");
    assert(frame != nullptr);
    assert(pitchBytes % 2 == 0 && pitchBytes >= static_cast<std::size_t>(width) * kBytesPerRgbPixel);

    const std::size_t rowBytes = static_cast<std::size_t>(width) * kBytesPerDpxPixel;
    const std::uint32_t blockRows = rowsPerBlock(rowBytes, static_cast<std::uint32_t>(height));
    const std::size_t blockBytes = rowBytes * blockRows;
    const std::unique_ptr<std::uint8_t[]> blockBuffer(new (std::nothrow) std::uint8_t[blockBytes]);
    if (!blockBuffer)
        return failFile(ErrorCode::kNoMemory, finalName,
                        "out of memory for a buffer of " + std::to_string(blockBytes) + " bytes");

    const std::string temporary = platform::temporaryNameFor(finalName);
    // An interrupted run removes the file it was writing.
    platform::setInterruptCleanupPath(temporary.c_str());
    const struct ForgetTemporary {
        ~ForgetTemporary() { platform::setInterruptCleanupPath(nullptr); }
    } forgetTemporary;
    CDPXFileWriter writer(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), nullptr,
                          nullptr);
    if (timing != nullptr) writer.SetFrameTiming(*timing);
    if (!writer.Create(temporary, finalPath.GetWide())) {
        const int error = writer.LastError();
        platform::removeFile(temporary);
        return failWrite(finalName, error);
    }
    const bool rowsWritten =
        writeRows(writer, frame, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                  pitchBytes / 2, blockBuffer.get(), blockRows);
    const int writeError = writer.LastError();
    if (!writer.Close() || !rowsWritten) {
        platform::removeFile(temporary);
        return failWrite(finalName, writeError);
    }
    int renameError = 0;
    if (!platform::renameReplacing(temporary, finalName, &renameError)) {
        platform::removeFile(temporary);
        return failWrite(finalName, renameError);
    }
    return {};
}

}  // namespace

DPXSequenceExporter::DPXSequenceExporter(std::string nameFormat) : nameFormat_(std::move(nameFormat)) {}

bool DPXSequenceExporter::ExportsFrames() const {
    // Only a file called "null" (any extension, any directory) is the null
    // output: "nullarbor_%04d.dpx" is a sequence like any other.
    const std::size_t slash = nameFormat_.rfind('/');
    const std::string fileName = slash == std::string::npos ? nameFormat_ : nameFormat_.substr(slash + 1);
    return fileName.substr(0, fileName.rfind('.')) != "null";
}

bool DPXSequenceExporter::ExportFrame(const std::uint16_t* rgbFrame, int width, int height,
                                      std::int64_t frameNumber, std::string* failureMessage,
                                      const DPXFrameTiming* timing) const {
    if (!ExportsFrames()) return true;
    const std::size_t pitch = width > 0 ? static_cast<std::size_t>(width) * kBytesPerRgbPixel : 0;
    return WriteDPXFrame(nameFormat_, frameNumber, rgbFrame, width, height, pitch, failureMessage, timing);
}

bool WriteDPXFrame(const std::string& nameFormat, std::int64_t frameNumber, const std::uint16_t* frame,
                   int width, int height, std::size_t pitchBytes, std::string* failureMessage,
                   const DPXFrameTiming* timing) {
    const Status written = writeFrameFile(nameFormat, frameNumber, frame, width, height, pitchBytes, timing);
    if (!written.ok() && failureMessage != nullptr) *failureMessage = written.message();
    return written.ok();
}
