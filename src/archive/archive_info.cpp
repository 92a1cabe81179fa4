#include "archive/archive_info.h"

#include <charconv>
#include <cstdio>

#include "archive/archive_format.h"
#include "encode/metadata_record_writer.h"

namespace {

constexpr int kStoredSamplesPacking = 16;

std::string hexOf(const std::array<std::uint8_t, kRawClipTrailerBytes>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0xF]);
    }
    return text;
}

std::string littleEndian32(std::int64_t value) {
    const auto word = static_cast<std::uint32_t>(value);
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((word >> shift) & 0xFF));
    return bytes;
}

Status refuse(const std::string& tag, const std::string& why) {
    return Status::failure(ErrorCode::kBadInput, "its " + tag + " tag " + why);
}

// One whole number of the text, or none.
bool readNumber(const std::string& text, std::int64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size() && !text.empty();
}

bool readHex(const std::string& text, std::array<std::uint8_t, kRawClipTrailerBytes>& bytes) {
    if (text.size() != bytes.size() * 2) return false;
    for (std::size_t index = 0; index < bytes.size(); ++index) {
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(text.data() + 2 * index, text.data() + 2 * index + 2, value, 16);
        if (error != std::errc{} || end != text.data() + 2 * index + 2) return false;
        bytes[index] = static_cast<std::uint8_t>(value);
    }
    return true;
}

std::vector<std::string> splitFiles(const std::string& text) {
    std::vector<std::string> files;
    std::size_t start = 0;
    for (std::size_t bar = text.find('|');; bar = text.find('|', start)) {
        files.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return files;
}

}  // namespace

int ArchiveInfo::packing() const {
    return storesPlainSamples(trailer) ? kStoredSamplesPacking : trailer.packing;
}

bool appendArchiveTags(const ArchiveInfo& info, MetadataTagList& tags) {
    std::string files;
    for (const std::string& file : info.clipFiles) files += (files.empty() ? "" : "|") + file;
    char size[32];
    std::snprintf(size, sizeof size, "%dx%d", static_cast<int>(info.trailer.width),
                  static_cast<int>(info.trailer.height));
    char window[64];
    std::snprintf(window, sizeof window, "%d,%d,%d,%d", info.left, info.top, info.width, info.height);
    char rate[32];
    std::snprintf(rate, sizeof rate, "%u.%03u", info.trailer.frameRateMilli / 1000,
                  info.trailer.frameRateMilli % 1000);
    const struct {
        const char* tag;
        char type;
        std::string value;
    } records[] = {
        {kTagArchiveVersion, 'L', littleEndian32(kArchiveVersion)},
        {kTagClipName, 'c', info.clipName},
        {kTagClipFiles, 'c', files},
        {kTagSensorSize, 'c', size},
        {kTagWindow, 'c', window},
        {kTagPacking, 'L', littleEndian32(info.packing())},
        {kTagBlackLevel, 'L', littleEndian32(info.trailer.blackLevel)},
        {kTagWhiteLevel, 'L', littleEndian32(info.trailer.whiteLevel)},
        {kTagFrameRate, 'c', rate},
        {kTagFrameCount, 'L', littleEndian32(info.trailer.frameCount)},
        {kTagTrailer, 'c', hexOf(info.trailerBytes)},
    };
    std::size_t bytes = 0;
    for (const auto& record : records) bytes += metadataRecordBytes(record.value.size());
    if (!metadataRecordsFit(tags, bytes)) return false;
    for (const auto& record : records) appendMetadataRecord(tags, record.tag, record.type, record.value);
    return true;
}

Result<ArchiveInfo> archiveInfoFromTags(const std::map<std::string, std::string>& tags) {
    const auto valueOf = [&tags](const char* tag) -> const std::string* {
        const auto found = tags.find(tag);
        return found == tags.end() ? nullptr : &found->second;
    };
    ArchiveInfo info;
    std::int64_t number = 0;
    const std::string* version = valueOf(kTagArchiveVersion);
    if (version == nullptr) return refuse(kTagArchiveVersion, "is missing");
    if (!readNumber(*version, number) || number != kArchiveVersion)
        return refuse(kTagArchiveVersion, "says version " + *version + "; this program reads version " +
                                              std::to_string(kArchiveVersion));
    info.version = static_cast<int>(number);

    const std::string* trailer = valueOf(kTagTrailer);
    if (trailer == nullptr) return refuse(kTagTrailer, "is missing");
    if (!readHex(*trailer, info.trailerBytes)) return refuse(kTagTrailer, "is not 384 hexadecimal digits");
    const std::optional<RawClipTrailer> parsed = parseRawClipTrailer(info.trailerBytes);
    if (!parsed) return refuse(kTagTrailer, "holds no RAW clip trailer");
    info.trailer = *parsed;
    if (info.trailer.version != kSupportedTrailerVersion)
        return refuse(kTagTrailer, "holds a trailer of another version");
    if (const TrailerProblem problem = findTrailerProblem(info.trailer))
        return refuse(kTagTrailer, std::string("holds a trailer that cannot be read: ") + problem.reason);

    const std::string* name = valueOf(kTagClipName);
    if (name == nullptr || name->empty()) return refuse(kTagClipName, "is missing");
    info.clipName = *name;
    if (const std::string* files = valueOf(kTagClipFiles)) info.clipFiles = splitFiles(*files);

    const std::string* window = valueOf(kTagWindow);
    if (window == nullptr) return refuse(kTagWindow, "is missing");
    int left = 0, top = 0, width = 0, height = 0;
    char extra = 0;
    if (std::sscanf(window->c_str(), "%d,%d,%d,%d%c", &left, &top, &width, &height, &extra) != 4)
        return refuse(kTagWindow, "is not four whole numbers");
    const int sensorWidth = info.trailer.width;
    const int sensorHeight = info.trailer.height;
    if (left < 0 || top < 0 || width < 1 || height < 1 || left % 2 != 0 || top % 2 != 0 ||
        left > sensorWidth - width || top > sensorHeight - height)
        return refuse(kTagWindow, "(" + *window + ") is no window of the " + std::to_string(sensorWidth) +
                                      "x" + std::to_string(sensorHeight) + " frame");
    info.left = left;
    info.top = top;
    info.width = width;
    info.height = height;

    const std::string* packing = valueOf(kTagPacking);
    if (packing != nullptr && (!readNumber(*packing, number) || number != info.packing()))
        return refuse(kTagPacking, "does not match the trailer's packing");
    return info;
}
