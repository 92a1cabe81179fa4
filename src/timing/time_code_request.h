#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "timing/metadata_items.h"
#include "timing/start_time_code.h"

// What the tags ask of the time code: the TIMC entry, counted at the TIMB
// entry's rate when there is one. A movie and a DPX sequence read the same
// entries the same way, so both carry the same start time code.
struct TimeCodeRequest {
    bool asked = false;                     // there is a TIMC entry
    std::string shownText;                  // its value as metadata shows it, for messages
    std::optional<StartTimeCode> timeCode;  // when the entry gives one
    std::string refusal;                    // why it gives none (asked and no time code)
};

// items as collectMovieMetadata gives them (a later entry of a name has
// replaced the earlier one); the picture rate is rateNumerator /
// rateDenominator frames a second.
TimeCodeRequest readStartTimeCodeRequest(const std::vector<MovieMetadataItem>& items,
                                         std::int64_t rateNumerator, std::int64_t rateDenominator);
