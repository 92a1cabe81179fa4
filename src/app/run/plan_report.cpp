#include "app/run/plan_report.h"

#include <cstdio>

#include "app/report/exit_codes.h"
#include "app/run/planned_outputs.h"
#include "raw/clip_frame_rate.h"

namespace {

std::string quoted(const std::string& text) {
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            json += escape;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string listOf(const std::vector<std::string>& texts) {
    std::string json = "[";
    for (std::size_t index = 0; index < texts.size(); ++index)
        json += (index == 0 ? "" : ", ") + quoted(texts[index]);
    return json + "]";
}

// The movie rate the clip is given: -f's or the clip's own.
std::string rateOf(const PlannedClip& clip, const ConversionSettings& settings) {
    if (!settings.frameRateFromClip)
        return std::to_string(settings.rateNumerator) + "/" + std::to_string(settings.rateDenominator);
    const ClipFrameRate rate = clipFrameRate(clip.trailer.frameRateMilli);
    return std::to_string(rate.numerator) + "/" + std::to_string(rate.denominator);
}

std::string clipObject(const PlannedClip& clip, std::int64_t index, const RunInputs& inputs) {
    const ConversionSettings& settings = inputs.settings;
    std::string json = "    {\n";
    const auto field = [&json](const std::string& name, const std::string& value, bool last = false) {
        json += "      " + quoted(name) + ": " + value + (last ? "\n" : ",\n");
    };
    field("index", std::to_string(index));
    field("clip", quoted(clip.entry.filePath));
    field("archive", clip.entry.archive ? "true" : "false");
    if (!clip.opened.ok()) {
        field("error", quoted(clip.opened.message()), true);
        return json + "    }";
    }
    field("files", listOf(clip.files));
    field("width", std::to_string(clip.trailer.width));
    field("height", std::to_string(clip.trailer.height));
    const bool stored = storesPlainSamples(clip.trailer);
    field("packing", std::to_string(stored ? 16 : clip.trailer.packing));
    field("frameCount", std::to_string(clip.trailer.frameCount));
    char milli[32];
    std::snprintf(milli, sizeof milli, "%u.%03u", clip.trailer.frameRateMilli / 1000,
                  clip.trailer.frameRateMilli % 1000);
    field("clipRate", quoted(milli));
    field("rate", quoted(rateOf(clip, settings)));
    field("inPoint", std::to_string(settings.inPoint));
    field("outPoint", settings.outPoint == 4294967295u ? "null" : std::to_string(settings.outPoint));
    field("skip", std::to_string(settings.skipFrames > 0 ? settings.skipFrames : 0));
    field("frames", std::to_string(clip.framesSelected));
    field("firstNumber", std::to_string(settings.movieOutput ? inputs.nameNumber(clip.counterAtStart)
                                                             : clip.firstFrameNumber));
    if (settings.movieOutput) {
        const std::vector<std::string> files = plannedOutputFiles(clip, inputs);
        field("movie", files.empty() ? "null" : quoted(files.front()), true);
    } else {
        const bool writes = clip.framesSelected > 0 && !plannedOutputFiles(clip, inputs).empty();
        field("firstFile", writes ? quoted(clip.firstFrameName) : "null");
        field("lastFile", writes ? quoted(clip.lastFrameName) : "null", true);
    }
    return json + "    }";
}

}  // namespace

int plannedExitCode(const ClipPlan& plan, const RunInputs& inputs) {
    int worst = exit_codes::kSuccess;
    for (const PlannedClip& clip : plan.clips) {
        if (clip.calibrationClip || clip.opened.ok()) continue;
        const int code = clip.opened.code() == ErrorCode::kBadInput && !clip.entry.archive
                             ? exit_codes::kNotRawClip
                             : exit_codes::kClipUnusable;
        if (!inputs.options.keepGoing) return code;
        if ((code & 0xFF) > (worst & 0xFF)) worst = code;
    }
    if (plan.stop) return plan.stop->exitCode;
    return worst;
}

std::string planReport(const ClipPlan& plan, const RunInputs& inputs, int exitCode) {
    const std::vector<std::int64_t> indexes = conversionIndexes(plan);
    std::int64_t count = 0;
    for (const std::int64_t index : indexes) count += index >= 0 ? 1 : 0;
    std::string json = "{\n";
    json += "  \"clipCount\": " + std::to_string(count) + ",\n";
    json += "  \"exitCode\": " + std::to_string(exitCode & 0xFF) + ",\n";
    json += "  \"output\": " + quoted(inputs.settings.outputPath) + ",\n";
    json += "  \"clips\": [\n";
    bool first = true;
    for (std::size_t entry = 0; entry < plan.clips.size(); ++entry) {
        if (indexes[entry] < 0) continue;
        json += (first ? "" : ",\n") + clipObject(plan.clips[entry], indexes[entry], inputs);
        first = false;
    }
    json += (first ? "" : "\n") + std::string("  ]\n}\n");
    return json;
}
