#include "components/movie_tag_reader.h"

namespace {

constexpr std::string_view kKeyPrefix = "com.raw2tvx.";
constexpr std::string_view kFreeformKeyPrefix = "com.raw2tvx.user.";
constexpr char kFreeformLineStart = ':';
constexpr std::size_t kTagBytes = 4;

int hexDigit(char character) {
    if (character >= '0' && character <= '9') return character - '0';
    if (character >= 'a' && character <= 'f') return character - 'a' + 10;
    if (character >= 'A' && character <= 'F') return character - 'A' + 10;
    return -1;
}

// The tag of an escaped name, when it is four bytes.
void addTag(std::map<std::string, std::string>& tags, std::string_view name, std::string_view value) {
    std::string tag = unescapeTagText(name);
    if (tag.size() != kTagBytes) return;
    tags[std::move(tag)] = unescapeTagText(value);
}

}  // namespace

std::string unescapeTagText(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char character = text[at];
        if (character == '\\' && at + 1 < text.size()) {
            if (text[at + 1] == '\\') {
                bytes.push_back('\\');
                ++at;
                continue;
            }
            if (text[at + 1] == 'x' && at + 3 < text.size()) {
                const int high = hexDigit(text[at + 2]);
                const int low = hexDigit(text[at + 3]);
                if (high >= 0 && low >= 0) {
                    bytes.push_back(static_cast<char>(high << 4 | low));
                    at += 3;
                    continue;
                }
            }
        }
        bytes.push_back(character);
    }
    return bytes;
}

std::map<std::string, std::string> readMovTags(
    const std::vector<std::pair<std::string, std::string>>& entries) {
    std::map<std::string, std::string> tags;
    for (const auto& [key, value] : entries) {
        const std::string_view name(key);
        if (!name.starts_with(kKeyPrefix) || name.starts_with(kFreeformKeyPrefix)) continue;
        addTag(tags, name.substr(kKeyPrefix.size()), value);
    }
    return tags;
}

std::map<std::string, std::string> readAviCommentTags(std::string_view comment) {
    std::map<std::string, std::string> tags;
    while (!comment.empty()) {
        const std::size_t end = comment.find('\n');
        const std::string_view line = comment.substr(0, end);
        comment.remove_prefix(end == std::string_view::npos ? comment.size() : end + 1);
        // Names have their own '=' escaped, so the first one ends the name.
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || line.starts_with(kFreeformLineStart)) continue;
        addTag(tags, line.substr(0, equals), line.substr(equals + 1));
    }
    return tags;
}
