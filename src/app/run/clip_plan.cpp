#include "app/run/clip_plan.h"

#include "app/run/clip_paths.h"
#include "app/run/frame_selection.h"
#include "files/output_pattern.h"
#include "platform/directory.h"
#include "raw/clip_reader.h"

namespace {

// The clip's files as the reader finds them, its trailer among them.
void readTrailer(PlannedClip& clip) {
    RawClipReader reader;
    clip.opened = reader.open(clip.basePath);
    if (!clip.opened.ok()) return;
    clip.trailer = reader.trailer();
    clip.trailerPath = reader.trailerFilePath();
    for (int index = -1; index < RawClipReader::kMaxContinuationFiles; ++index) {
        const std::string path = clipFilePath(clip.basePath, index);
        clip.files.push_back(path);
        if (path == clip.trailerPath) break;
    }
}

class Planner {
public:
    Planner(const RunInputs& inputs, const std::string& calibrationPath)
        : settings_(inputs.settings), inputs_(inputs), calibrationPath_(calibrationPath) {}

    ClipPlan plan() {
        int pass = 0;
        for (const std::string& argument : inputs_.clipArguments) {
            ++pass;
            if (!planArgument(pass, argument)) break;
        }
        return std::move(plan_);
    }

private:
    // False when the run would end at this argument.
    bool planArgument(int pass, const std::string& argument) {
        const std::string rawPath = rebuildClipPath(argument);
        if (!containsWildcard(rawPath)) {
            const std::string basePath = clipBasePath(rawPath);
            addClip(pass, argument, basePath, basePath.substr(platform::directoryPart(basePath).size()),
                    WildcardMode::None);
            return true;
        }
        if (!containsWildcard(settings_.outputPath)) {
            plan_.stop = RunStop{exit_codes::kWildcardOutput, false};
            return false;
        }
        const auto entries = platform::listMatchingFiles(rawPath);
        if (entries.empty()) {
            plan_.stop = RunStop{exit_codes::kNoWildcardMatch, false};
            return false;
        }
        const std::string directory = platform::directoryPart(rawPath);
        for (std::size_t index = 0; index < entries.size(); ++index) {
            // Every movie of a wildcard counts its frames from 0.
            if (index > 0 && settings_.movieOutput) counter_ = 0;
            const std::string baseName = listedBaseName(entries[index].name);
            addClip(pass, argument, directory + baseName, baseName, WildcardMode::InputAndOutput);
        }
        return true;
    }

    void addClip(int pass, const std::string& argument, const std::string& basePath,
                 const std::string& baseName, WildcardMode mode) {
        PlannedClip clip;
        clip.pass = pass;
        clip.argument = argument;
        clip.basePath = basePath;
        clip.baseName = baseName;
        clip.wildcardMode = mode;
        clip.calibrationClip = mode != WildcardMode::None && !calibrationPath_.empty() &&
                               samePathIgnoringCase(calibrationPath_, basePath + ".RAW");
        clip.counterAtStart = counter_;
        if (!clip.calibrationClip) {
            readTrailer(clip);
            nameOutputs(clip);
        }
        plan_.clips.push_back(std::move(clip));
    }

    void nameOutputs(PlannedClip& clip) {
        const std::string& output = settings_.outputPath;
        const bool wildcardNames = clip.wildcardMode == WildcardMode::InputAndOutput;
        if (settings_.movieOutput) {
            clip.movieName = wildcardNames ? wildcardMovieName(output, clip.baseName)
                                           : formatFrameName(output, static_cast<std::int64_t>(counter_));
        }
        if (!clip.opened.ok()) return;
        clip.framesSelected =
            framesToConvert(clip.trailer.frameCount, settings_.inPoint, settings_.skipFrames,
                            settings_.inPoint, settings_.outPoint, counter_);
        const std::uint64_t after = counterAfterFrames(counter_, clip.framesSelected, settings_.skipFrames);
        if (!settings_.movieOutput)
            clip.dpxPattern = wildcardNames ? wildcardOutputName(output, clip.baseName) : output;
        if (!settings_.movieOutput && clip.framesSelected > 0) {
            const std::string& pattern = clip.dpxPattern;
            const std::uint64_t lastCounter =
                counterAfterFrames(counter_, clip.framesSelected - 1, settings_.skipFrames);
            clip.firstFrameNumber =
                static_cast<std::int64_t>(settings_.inPoint) + static_cast<std::int64_t>(counter_);
            clip.firstFrameName = dpxFrameName(pattern, settings_.inPoint, counter_);
            clip.lastFrameName = dpxFrameName(pattern, settings_.inPoint, lastCounter);
        }
        counter_ = after;
    }

    const ConversionSettings& settings_;
    const RunInputs& inputs_;
    const std::string& calibrationPath_;
    std::uint64_t counter_ = 0;
    ClipPlan plan_;
};

}  // namespace

ClipPlan planClips(const RunInputs& inputs, const std::string& calibrationPath) {
    return Planner(inputs, calibrationPath).plan();
}

std::string dpxFrameName(const std::string& clipPattern, std::uint32_t inPoint, std::uint64_t counter) {
    return formatFrameName(clipPattern,
                           static_cast<std::int64_t>(inPoint) + static_cast<std::int64_t>(counter));
}
