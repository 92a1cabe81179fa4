#include "app/run/run_tally.h"

namespace {

std::string counted(std::uint64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string runSummaryText(const RunTally& tally) {
    std::string text = counted(tally.clipsConverted, "clip", "clips") + " converted";
    if (!tally.failedClips.empty()) {
        text += ", " + std::to_string(tally.failedClips.size()) + " failed (";
        for (std::size_t index = 0; index < tally.failedClips.size(); ++index)
            text += (index == 0 ? "" : ", ") + tally.failedClips[index];
        text += ")";
    }
    if (tally.clipsPassedOver > 0) text += ", " + std::to_string(tally.clipsPassedOver) + " passed over";
    text += "; " + counted(tally.framesWritten, "frame", "frames") + " written";
    if (tally.stoppedAtFailure) text += "; the run stopped at the failed clip (--keep-going goes on past it)";
    return text;
}
