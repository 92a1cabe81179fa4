#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "timing/metadata_items.h"

// MOV keys: "com.raw2tvx." and the tag ("com.raw2tvx.HPNT"), or
// "com.raw2tvx.user." and the freeform name ("com.raw2tvx.user.Director").
// Bare names could collide with keys the container itself acts on, such as
// "timecode" or "creation_time".
std::string makeMovMetadataKey(const MovieMetadataItem& item);

// Our bounds on what a movie carries, so its header stays small and whole:
// a MOV key or value text, and an AVI INFO text, of at most 65535 bytes; all
// MOV keys and values together at most 1 MiB.
constexpr std::size_t kMaxMetadataTextBytes = 65535;
constexpr std::size_t kMaxMovMetadataBytes = std::size_t{1} << 20;

struct MovMetadata {
    std::vector<std::pair<std::string, std::string>> items;  // key, value, in order
    std::vector<std::string> warnings;                       // entries left out, by name, and why
};
MovMetadata makeMovMetadata(const std::vector<MovieMetadataItem>& items);

// The AVI comment (INFO "ICMT"): one line per entry, "HPNT=0.7" or
// ":Director=Q. Ombry", separated by '\n'.
struct AviComment {
    std::string text;
    std::vector<std::string> warnings;
};
AviComment makeAviComment(const std::vector<MovieMetadataItem>& items);
