#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "components/movie_tag.h"

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
std::string metadataDisplayName(const MovieMetadataItem& item);

// MOV keys: "com.raw2tvx." and the tag ("com.raw2tvx.HPNT"), or
// "com.raw2tvx.user." and the freeform name ("com.raw2tvx.user.Director").
// Bare names could collide with keys the container itself acts on, such as
// "timecode" or "creation_time".
std::string movMetadataKey(const MovieMetadataItem& item);

// Our bounds on what a movie carries, so its header stays small and whole:
// a MOV key or value text, and an AVI INFO text, of at most 65535 bytes; all
// MOV keys and values together at most 1 MiB.
constexpr std::size_t kMaxMetadataTextBytes = 65535;
constexpr std::size_t kMaxMovMetadataBytes = std::size_t{1} << 20;

struct MovMetadata {
    std::vector<std::pair<std::string, std::string>> items;  // key, value, in order
    std::vector<std::string> warnings;                       // entries left out, by name, and why
};
MovMetadata movMetadataItems(const std::vector<MovieMetadataItem>& items);

// The AVI comment (INFO "ICMT"): one line per entry, "HPNT=0.7" or
// ":Director=Q. Ombry", separated by '\n'.
struct AviComment {
    std::string text;
    std::vector<std::string> warnings;
};
AviComment aviComment(const std::vector<MovieMetadataItem>& items);
