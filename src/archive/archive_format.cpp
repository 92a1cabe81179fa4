#include "archive/archive_format.h"

#include <charconv>
#include <cstdio>

namespace {

constexpr std::string_view kCommentStart = "raw2tvx archive frame ";
constexpr std::string_view kChecksumWord = " crc32c ";

}  // namespace

std::string archiveFrameComment(const ArchiveFrameMark& mark) {
    char checksum[16];
    std::snprintf(checksum, sizeof checksum, "%08x", static_cast<unsigned>(mark.checksum));
    return std::string(kCommentStart) + std::to_string(mark.index) + std::string(kChecksumWord) + checksum;
}

std::optional<ArchiveFrameMark> parseArchiveFrameComment(std::string_view comment) {
    if (comment.substr(0, kCommentStart.size()) != kCommentStart) return std::nullopt;
    comment.remove_prefix(kCommentStart.size());
    ArchiveFrameMark mark;
    const auto index = std::from_chars(comment.data(), comment.data() + comment.size(), mark.index);
    if (index.ec != std::errc{} || index.ptr == comment.data()) return std::nullopt;
    comment.remove_prefix(static_cast<std::size_t>(index.ptr - comment.data()));
    if (comment.substr(0, kChecksumWord.size()) != kChecksumWord) return std::nullopt;
    comment.remove_prefix(kChecksumWord.size());
    if (comment.size() != 8) return std::nullopt;
    const auto checksum = std::from_chars(comment.data(), comment.data() + comment.size(), mark.checksum, 16);
    if (checksum.ec != std::errc{} || checksum.ptr != comment.data() + comment.size()) return std::nullopt;
    return mark;
}
