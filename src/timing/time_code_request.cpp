#include "timing/time_code_request.h"

#include <string_view>

#include "timing/tag_value_text.h"

namespace {

constexpr std::uint32_t kTimeCodeTag = makeTagCode("TIMC");
constexpr std::uint32_t kTimeCodeRateTag = makeTagCode("TIMB");

}  // namespace

TimeCodeRequest readStartTimeCodeRequest(const std::vector<MovieMetadataItem>& items,
                                         std::int64_t rateNumerator, std::int64_t rateDenominator) {
    TimeCodeRequest request;
    const MovieMetadataItem* timeCode = findMetadataTag(items, kTimeCodeTag);
    if (timeCode == nullptr) return request;
    request.asked = true;
    request.shownText = timeCode->value;
    std::optional<double> timeCodeRate;
    if (const MovieMetadataItem* rate = findMetadataTag(items, kTimeCodeRateTag)) {
        double number = 0;
        if (!readTagNumber(rate->tag, &number)) {
            request.refusal = "TIMB " + rate->value + " is not a number of frames a second";
            return request;
        }
        timeCodeRate = number;
    }
    // "+TIMC=1" arrives as an integer: only text can be hh:mm:ss:ff.
    if (timeCode->tag.type != 'c') {
        request.refusal = "it is not text of the form hh:mm:ss:ff";
        return request;
    }
    const std::string_view text(reinterpret_cast<const char*>(timeCode->tag.value.data()),
                                timeCode->tag.value.size());
    StartTimeCodeParse parsed = parseStartTimeCode(text, rateNumerator, rateDenominator, timeCodeRate);
    request.timeCode = parsed.timeCode;
    request.refusal = std::move(parsed.refusal);
    return request;
}
