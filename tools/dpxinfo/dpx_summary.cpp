#include "dpx_summary.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace {

constexpr std::uint32_t kAllOnes = 0xFFFFFFFFu;

const char* descriptorName(std::uint32_t descriptor) {
    switch (descriptor) {
        case 1:
            return "red";
        case 2:
            return "green";
        case 3:
            return "blue";
        case 4:
            return "alpha";
        case 6:
            return "luma";
        case 50:
            return "RGB";
        case 51:
            return "RGBA";
        case 52:
            return "ABGR";
        case 100:
            return "CbYCrY 4:2:2";
        case 101:
            return "CbYaCrYa 4:2:2:4";
        case 102:
            return "CbYCr 4:4:4";
        case 103:
            return "CbYCra 4:4:4:4";
        default:
            return "unknown";
    }
}

const char* packingName(std::uint32_t packing) {
    switch (packing) {
        case 0:
            return "packed into 32-bit words";
        case 1:
            return "filled 32-bit words, padding at the low end";
        case 2:
            return "filled 32-bit words, padding at the high end";
        default:
            return "unknown";
    }
}

std::string frameRateText(float rate) {
    if (!std::isfinite(rate) || rate <= 0.0f) return "none";
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", static_cast<double>(rate));
    return text;
}

std::string timeCodeText(const CDPXFileReader& reader) {
    const std::uint32_t field = reader.TimeCodeField();
    if (field == 0 || field == kAllOnes) return "none";
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
                  descriptorName(reader.Descriptor()));
    text += line;
    text += "bit depth: " + std::to_string(reader.BitSize()) + "\n";
    std::snprintf(line, sizeof line, "packing: %" PRIu32 " (%s)\n", reader.Packing(),
                  packingName(reader.Packing()));
    text += line;
    text += reader.IsBigEndian() ? "byte order: big-endian (SDPX)\n" : "byte order: little-endian (XPDS)\n";
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
    if (announced != 0 && announced != kAllOnes && announced > fileBytes)
        return "the file is cut short: its header gives " + std::to_string(announced) +
               " bytes but it holds " + std::to_string(fileBytes);
    return {};
}
