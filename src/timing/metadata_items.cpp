#include "timing/metadata_items.h"

#include <utility>

#include "timing/tag_value_text.h"

namespace {

constexpr std::uint32_t kNameTag = makeTagCode("TAGN");
constexpr std::uint32_t kValueTag = makeTagCode("TAGV");

}  // namespace

std::vector<MovieMetadataItem> collectMovieMetadata(const std::vector<MovieTag>& tags) {
    std::vector<MovieMetadataItem> items;
    for (std::size_t i = 0; i < tags.size(); ++i) {
        MovieMetadataItem item;
        if (tags[i].tag == kNameTag && i + 1 < tags.size() && tags[i + 1].tag == kValueTag) {
            item.name = escapeName(tags[i].value);
            item.freeform = true;
            ++i;
        } else {
            item.name = formatTagName(tags[i].tag);
        }
        item.tag = tags[i];
        item.value = formatTagValue(item.tag);

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

std::string displayMetadataName(const MovieMetadataItem& item) {
    return item.freeform ? ":" + item.name : item.name;
}
