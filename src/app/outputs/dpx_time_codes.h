#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "components/start_time_code.h"
#include "encode/metadata_tag_list.h"
#include "files/dpx_time_code.h"

// The time codes of one clip's DPX files. The TIMC and TIMB tags are read as
// a movie of the clip reads them, so the first file of the clip carries the
// start time code a movie of it would start at, and every next file the label
// one frame later: a file and the movie frame of the same picture carry the
// same time code.
struct DpxTimeCodes {
    std::optional<StartTimeCode> start;  // none: the files carry no time code
    float frameRate = 0.0f;              // the clip's rate, for the header's rate field
    std::string warning;                 // why a TIMC tag gives the files no time code
};

// The DPX time code field counts the classic labels only: up to 30 frames a
// second (two-bit frames tens digit, drop-frame flag beside it).
inline constexpr std::int64_t kLargestDpxTimeCodeRate = 30;

// From the run's tags and the clip's rate rateNumerator / rateDenominator.
DpxTimeCodes planDpxTimeCodes(const MetadataTagList& tags, std::int32_t rateNumerator,
                              std::int32_t rateDenominator);

// The header timing of the file written filesBefore files after the clip's first.
DPXFrameTiming dpxFrameTiming(const DpxTimeCodes& timeCodes, std::uint64_t filesBefore);
