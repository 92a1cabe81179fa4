#include "dpx_summary.h"

#include <cinttypes>
#include <cmath>
#include <cstddef>
#include <cstdio>

#include "files/dpx_layout.h"

namespace {

template <std::size_t Count>
const char* nameOf(const DpxCodeName (&names)[Count], std::uint32_t code) {
    for (const DpxCodeName& entry : names)
        if (entry.code == code) return entry.name;
    return "unknown";
}

std::string frameRateText(float rate) {
    if (!std::isfinite(rate) || rate <= 0.0f) return "none";
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", static_cast<double>(rate));
    return text;
}

std::string timeCodeText(const CDPXFileReader& reader) {
    const std::uint32_t field = reader.TimeCodeField();
    if (field == 0 || field == kDpxUndefined32) return "none";
    const DPXTimeCode& code = reader.TimeCode();
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", code.hours, code.minutes, code.seconds,
                  code.frames);
    return text;
}

std::string secondElementText(const CDPXFileReader& reader) {
    const auto element = reader.SecondElement();
    if (element.size == 0) return "none";
    char text[96];
    std::snprintf(text, sizeof text, "%" PRIu32 "x%" PRIu32 ", %" PRIu64 " bytes at offset %" PRIu64,
                  element.width, element.height, element.size, element.offset);
    return text;
}

}  // namespace

std::string describeDpxFile(const std::string& name, const CDPXFileReader& reader) {
    char line[160];
    std::string text = "file: " + name + "\n";
    std::snprintf(line, sizeof line, "size: %" PRIu32 "x%" PRIu32 "\n", reader.Width(), reader.Height());
    text += line;
    std::snprintf(line, sizeof line, "descriptor: %" PRIu32 " (%s)\n", reader.Descriptor(),
                  nameOf(kDpxDescriptorNames, reader.Descriptor()));
    text += line;
    text += "bit depth: " + std::to_string(reader.BitSize()) + "\n";
    std::snprintf(line, sizeof line, "packing: %" PRIu32 " (%s)\n", reader.Packing(),
                  nameOf(kDpxPackingNames, reader.Packing()));
    text += line;
    text += reader.IsBigEndian() ? std::string("byte order: big-endian (") + kDpxMagicBigEndian + ")\n"
                                 : std::string("byte order: little-endian (") + kDpxMagicLittleEndian + ")\n";
    text += "image data offset: " + std::to_string(reader.ImageDataOffset()) + "\n";
    text += "frame rate: " + frameRateText(reader.FrameRate()) + "\n";
    text += "time code: " + timeCodeText(reader) + "\n";
    text += "second element: " + secondElementText(reader) + "\n";
    return text;
}

std::string findIncompleteness(const CDPXFileReader& reader) {
    const std::uint64_t fileBytes = reader.FileSizeBytes();
    const std::uint64_t imageEnd =
        std::uint64_t{reader.ImageDataOffset()} + std::uint64_t{reader.RowBytes()} * reader.Height();
    if (imageEnd > fileBytes)
        return "the file is cut short: its image data ends at byte " + std::to_string(imageEnd) +
               " but it holds " + std::to_string(fileBytes) + " bytes";
    const std::uint32_t announced = reader.TotalFileSizeField();
    if (announced != 0 && announced != kDpxUndefined32 && announced > fileBytes)
        return "the file is cut short: its header gives " + std::to_string(announced) +
               " bytes but it holds " + std::to_string(fileBytes);
    return {};
}
