#include "app/outputs/dpx_time_codes.h"

#include <vector>

#include "components/movie_metadata.h"
#include "components/movie_tag.h"
#include "components/time_code_request.h"
#include "encode/metadata_records.h"

namespace {

std::vector<MovieTag> tagsOf(const MetadataTagList& list) {
    std::vector<MovieTag> tags;
    MetadataRecordReader records(list);
    while (const std::optional<MetadataRecord> record = records.next())
        tags.push_back({record->tag, record->type, {record->value.begin(), record->value.end()}});
    return tags;
}

}  // namespace

DpxTimeCodes planDpxTimeCodes(const MetadataTagList& tags, std::int32_t rateNumerator,
                              std::int32_t rateDenominator) {
    DpxTimeCodes timeCodes;
    const TimeCodeRequest request =
        requestedStartTimeCode(collectMovieMetadata(tagsOf(tags)), rateNumerator, rateDenominator);
    if (!request.asked) return timeCodes;
    const std::string refused = "TIMC " + request.shownText + " gives the DPX files no time code: ";
    if (!request.timeCode) {
        timeCodes.warning = refused + request.refusal;
        return timeCodes;
    }
    if (std::int64_t{rateNumerator} > kLargestDpxTimeCodeRate * rateDenominator) {
        timeCodes.warning = refused + "the DPX time code field counts at most " +
                            std::to_string(kLargestDpxTimeCodeRate) +
                            " frames a second and the clip runs at " + std::to_string(rateNumerator) +
                            (rateDenominator == 1 ? "" : "/" + std::to_string(rateDenominator));
        return timeCodes;
    }
    timeCodes.start = request.timeCode;
    timeCodes.frameRate = static_cast<float>(static_cast<double>(rateNumerator) / rateDenominator);
    return timeCodes;
}

DPXFrameTiming dpxFrameTiming(const DpxTimeCodes& timeCodes, std::uint64_t filesBefore) {
    DPXFrameTiming timing;
    if (!timeCodes.start) return timing;
    const StartTimeCode label = timeCodeAfter(*timeCodes.start, static_cast<std::int64_t>(filesBefore));
    timing.timeCode = {label.hours, label.minutes, label.seconds, label.frames, label.dropFrame};
    timing.frameRate = timeCodes.frameRate;
    return timing;
}
