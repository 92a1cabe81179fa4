#pragma once

#include <cstddef>

#include "app/cli/argument_list.h"
#include "encode/metadata_tag_list.h"

class Console;

// Values of one array tag that are stored; further values are dropped with a message.
inline constexpr int kMaximumTagArrayValues = 16;
// Longest freeform name or value; longer text is cut with a message.
inline constexpr int kMaximumFreeformLength = 255;

// "+TAG=value": types the value by its look (hexadecimal after "0x", float
// array, float, string or integer), appends one record and echoes it on
// standard output through the console. Arguments shorter than 7 characters or without '=' at
// position 5 are ignored silently. A record that does not fit in the list is
// not added; a message says so.
void addTagArgument(const char* argument, MetadataTagList& tags, Console& console);

// ":name=value": the first '=' at position 2 or later ends the name. Appends a
// "TAGN" record with the name and a "TAGV" record with the value, both
// strings, and echoes them; both are added or, when they do not fit, neither.
// Arguments shorter than 4 characters or without such an '=' are ignored.
void addFreeformArgument(const char* argument, MetadataTagList& tags, Console& console);

// Adds the tags and freeform entries among the first count arguments, in
// their order, echoing each.
void addTagArguments(const ArgumentList& arguments, std::size_t count, MetadataTagList& tags,
                     Console& console);
