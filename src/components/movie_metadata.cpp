#include "components/movie_metadata.h"

namespace {

const std::string kKeyPrefix = "com.raw2tvx.";
const std::string kFreeformKeyPrefix = "com.raw2tvx.user.";

std::string leftOut(const MovieMetadataItem& item, const std::string& why) {
    return "metadata " + displayMetadataName(item) + " left out: " + why;
}

}  // namespace

std::string makeMovMetadataKey(const MovieMetadataItem& item) {
    return (item.freeform ? kFreeformKeyPrefix : kKeyPrefix) + item.name;
}

MovMetadata makeMovMetadata(const std::vector<MovieMetadataItem>& items) {
    MovMetadata result;
    std::size_t total = 0;
    for (const MovieMetadataItem& item : items) {
        std::string key = makeMovMetadataKey(item);
        if (key.size() > kMaxMetadataTextBytes || item.value.size() > kMaxMetadataTextBytes) {
            result.warnings.push_back(leftOut(item, "its name or value is longer than " +
                                                        std::to_string(kMaxMetadataTextBytes) + " bytes"));
            continue;
        }
        const std::size_t bytes = key.size() + item.value.size();
        if (total + bytes > kMaxMovMetadataBytes) {
            result.warnings.push_back(leftOut(
                item, "the movie's metadata would pass " + std::to_string(kMaxMovMetadataBytes) + " bytes"));
            continue;
        }
        total += bytes;
        result.items.emplace_back(std::move(key), item.value);
    }
    return result;
}

AviComment makeAviComment(const std::vector<MovieMetadataItem>& items) {
    AviComment result;
    for (const MovieMetadataItem& item : items) {
        const std::string line = displayMetadataName(item) + "=" + item.value;
        const std::size_t separator = result.text.empty() ? 0 : 1;
        if (result.text.size() + separator + line.size() > kMaxMetadataTextBytes) {
            result.warnings.push_back(leftOut(
                item, "the AVI comment would pass " + std::to_string(kMaxMetadataTextBytes) + " bytes"));
            continue;
        }
        if (separator) result.text += '\n';
        result.text += line;
    }
    return result;
}
