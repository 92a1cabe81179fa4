#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "timing/movie_tag.h"

// One named metadata entry of a movie with its value as text: a tag ("HPNT")
// or a freeform entry (a "TAGN" record with the name directly followed by a
// "TAGV" record with the value).
struct MovieMetadataItem {
    std::string name;  // the tag's four characters or the freeform name, escaped
    std::string value;
    bool freeform = false;
    MovieTag tag;  // the record as sent (for a freeform entry, its TAGV record)
};

// The tags in the order sent, freeform pairs joined. A later entry of the same
// name replaces the earlier value and keeps the earlier place, so a user's
// +HPNT sent after the fixed one shows the user's value where HPNT stood.
std::vector<MovieMetadataItem> collectMovieMetadata(const std::vector<MovieTag>& tags);

// The last entry for a tag (not a freeform entry), or nullptr.
const MovieMetadataItem* findMetadataTag(const std::vector<MovieMetadataItem>& items, std::uint32_t tag);

// How a message names an entry: "HPNT", or ":Director" for a freeform one.
std::string displayMetadataName(const MovieMetadataItem& item);
