#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The tags a movie of ours carries, read back the way movie_metadata.h wrote
// them: by their four characters (the tag's bytes, in memory order), each
// value as the text it was written as (integers in decimal), every escape
// undone. Freeform entries and anything that is not a tag of four characters
// are passed over. When a name comes twice, the later value stands.

// From a MOV's metadata entries, key and value: "com.raw2tvx.ACLP" is the
// tag ACLP; "com.raw2tvx.user.NAME" is a freeform entry.
std::map<std::string, std::string> readMovTags(
    const std::vector<std::pair<std::string, std::string>>& entries);

// From an AVI's comment: one "NAME=value" line per tag; a line that starts
// with ':' is a freeform entry.
std::map<std::string, std::string> readAviCommentTags(std::string_view comment);

// The bytes of text written by escapeText or escapeName (timing/tag_value_text.h):
// "\\" is a backslash and "\xNN" the byte NN; any other backslash stands for itself.
std::string unescapeTagText(std::string_view text);
