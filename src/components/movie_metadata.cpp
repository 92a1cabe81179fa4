#include "components/movie_metadata.h"

#include "components/tag_value_text.h"

namespace {

constexpr std::uint32_t kNameTag = tagCode("TAGN");
constexpr std::uint32_t kValueTag = tagCode("TAGV");
const std::string kKeyPrefix = "com.raw2tvx.";
const std::string kFreeformKeyPrefix = "com.raw2tvx.user.";

std::string leftOut(const MovieMetadataItem& item, const std::string& why) {
    return "metadata " + metadataDisplayName(item) + " left out: " + why;
}

}  // namespace

std::vector<MovieMetadataItem> collectMovieMetadata(const std::vector<MovieTag>& tags) {
    std::vector<MovieMetadataItem> items;
    for (std::size_t i = 0; i < tags.size(); ++i) {
        MovieMetadataItem item;
        if (tags[i].tag == kNameTag && i + 1 < tags.size() && tags[i + 1].tag == kValueTag) {
            item.name = nameText(tags[i].value);
            item.freeform = true;
            ++i;
        } else {
            item.name = tagNameText(tags[i].tag);
        }
        item.tag = tags[i];
        item.value = tagValueText(item.tag);

        bool replaced = false;
        for (MovieMetadataItem& earlier : items) {
            if (earlier.freeform == item.freeform && earlier.name == item.name) {
                earlier.value = std::move(item.value);
                earlier.tag = std::move(item.tag);
                replaced = true;
                break;
            }
        }
        if (!replaced) items.push_back(std::move(item));
    }
    return items;
}

const MovieMetadataItem* findMetadataTag(const std::vector<MovieMetadataItem>& items, std::uint32_t tag) {
    for (const MovieMetadataItem& item : items)
        if (!item.freeform && item.tag.tag == tag) return &item;
    return nullptr;
}

std::string metadataDisplayName(const MovieMetadataItem& item) {
    return item.freeform ? ":" + item.name : item.name;
}

std::string movMetadataKey(const MovieMetadataItem& item) {
    return (item.freeform ? kFreeformKeyPrefix : kKeyPrefix) + item.name;
}

MovMetadata movMetadataItems(const std::vector<MovieMetadataItem>& items) {
    MovMetadata result;
    std::size_t total = 0;
    for (const MovieMetadataItem& item : items) {
        std::string key = movMetadataKey(item);
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

AviComment aviComment(const std::vector<MovieMetadataItem>& items) {
    AviComment result;
    for (const MovieMetadataItem& item : items) {
        const std::string line = metadataDisplayName(item) + "=" + item.value;
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
