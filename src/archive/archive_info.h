#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "encode/metadata_tag_list.h"
#include "platform/status.h"
#include "raw/clip_trailer.h"

// What an archive says of the clip it keeps.
struct ArchiveInfo {
    int version = 0;
    std::array<std::uint8_t, kRawClipTrailerBytes> trailerBytes{};  // the clip's trailer, every byte
    RawClipTrailer trailer;                                         // the same, read
    std::string clipName;                                           // the clip's .RAW file name
    std::vector<std::string> clipFiles;                             // its files' names, in order
    // The window of the clip's frames the archive keeps: its frames are
    // width x height samples from (left, top), an even column and row.
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    // 14, 12 or 16 (stored 16-bit samples).
    int packing() const;
};

// Appends the archive's tags (archive_format.h) to the list, after whatever
// it holds. False, with nothing appended, when they do not fit.
bool appendArchiveTags(const ArchiveInfo& info, MetadataTagList& tags);

// The archive that a movie's tags describe, given by name (four characters)
// with their values as text (integers in decimal). A failure (kBadInput)
// names the tag that is missing or does not fit the others: the movie is no
// archive of this program.
Result<ArchiveInfo> archiveInfoFromTags(const std::map<std::string, std::string>& tags);
