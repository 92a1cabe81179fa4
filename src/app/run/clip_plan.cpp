#include "app/run/clip_plan.h"

#include "app/run/clip_paths.h"
#include "app/run/frame_selection.h"
#include "archive/archive_frame_source.h"
#include "files/output_pattern.h"
#include "platform/directory.h"
#include "raw/clip_reader.h"

namespace {

// The clip's trailer and files as its source finds them.
void readTrailer(PlannedClip& clip) {
    if (clip.entry.archive) {
        ArchiveFrameSource archive;
        clip.opened = archive.open(clip.entry.openPath);
        if (!clip.opened.ok()) return;
        clip.trailer = archive.trailer();
        clip.trailerPath = archive.trailerFilePath();
        clip.files = {clip.entry.filePath};
        return;
    }
    RawClipReader reader;
    clip.opened = reader.open(clip.entry.openPath);
    if (!clip.opened.ok()) return;
    clip.trailer = reader.trailer();
    clip.trailerPath = reader.trailerFilePath();
    clip.files = reader.clipFiles();
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
        const bool archive = namesArchive(argument);
        const std::string rawPath = archive ? argument : rebuildClipPath(argument);
        if (!containsWildcard(rawPath)) {
            addClip(pass, argument, clipEntryOf(rawPath, archive), WildcardMode::None);
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
            addClip(pass, argument, clipEntryOf(directory + entries[index].name, archive),
                    WildcardMode::InputAndOutput);
        }
        return true;
    }

    void addClip(int pass, const std::string& argument, const ClipEntry& entry, WildcardMode mode) {
        PlannedClip clip;
        clip.pass = pass;
        clip.argument = argument;
        clip.entry = entry;
        clip.wildcardMode = mode;
        clip.calibrationClip = mode != WildcardMode::None && !calibrationPath_.empty() &&
                               samePathIgnoringCase(calibrationPath_, entry.filePath);
        clip.counterAtStart = counter_;
        clip.counterAfter = counter_;
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
            clip.movieName = wildcardNames ? wildcardMovieName(output, clip.entry.baseName)
                                           : formatFrameName(output, inputs_.nameNumber(counter_));
        }
        if (!clip.opened.ok()) return;
        clip.framesSelected =
            framesToConvert(clip.trailer.frameCount, settings_.inPoint, settings_.skipFrames,
                            settings_.inPoint, settings_.outPoint, counter_);
        const std::uint64_t after = counterAfterFrames(counter_, clip.framesSelected, settings_.skipFrames);
        if (!settings_.movieOutput)
            clip.dpxPattern = wildcardNames ? wildcardOutputName(output, clip.entry.baseName) : output;
        if (!settings_.movieOutput && clip.framesSelected > 0) {
            const std::string& pattern = clip.dpxPattern;
            const std::uint64_t lastCounter =
                counterAfterFrames(counter_, clip.framesSelected - 1, settings_.skipFrames);
            clip.firstFrameNumber = inputs_.nameNumber(counter_);
            clip.firstFrameName = formatFrameName(pattern, clip.firstFrameNumber);
            clip.lastFrameName = formatFrameName(pattern, inputs_.nameNumber(lastCounter));
        }
        clip.counterAfter = after;
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
