#include "app/run/output_choice.h"

#include <map>
#include <memory>

#include "app/outputs/dpx_sink.h"
#include "app/outputs/movie_sink.h"
#include "app/outputs/null_sink.h"
#include "app/report/exit_codes.h"
#include "app/run/clip_paths.h"
#include "app/run/planned_outputs.h"
#include "files/dpx_sequence_exporter.h"
#include "files/output_pattern.h"
#include "platform/path.h"

namespace {

// Clips named one by one all write the output name filled in with the frame
// counter: without a number in it, each movie would replace the one before.
bool moviesWouldShareOneName(const RunInputs& inputs) {
    const std::string& output = inputs.settings.outputPath;
    if (formatFrameName(output, 0) != formatFrameName(output, 1)) return false;
    int namedClips = 0;
    for (const std::string& argument : inputs.clipArguments)
        if (!containsWildcard(argument)) ++namedClips;
    return namedClips > 1;
}

}  // namespace

StepOutcome chooseOutput(BatchRun& run) {
    const ConversionSettings& settings = run.inputs.settings;
    Console& console = run.console;
    if (settings.outputPath.empty()) {
        console.error("no output given: name the .avi, .mov or .dpx file to write");
        return RunStop{exit_codes::kUsage, false};
    }
    // A wildcard movie name is the clip's name in place of the '*', taken
    // literally; every other name is a pattern numbered by the frame counter.
    const bool wildcardMovies = settings.movieOutput && containsWildcard(settings.outputPath);
    const Status pattern = wildcardMovies ? Status{} : validateOutputPattern(settings.outputPath);
    if (!pattern.ok()) {
        console.error("%s", pattern.message().c_str());
        return RunStop{exit_codes::kUsage, false};
    }
    if (run.inputs.options.archive && !settings.movieOutput) {
        console.error("%s: an archive is a movie: name a .mov or .avi file to write it to",
                      settings.outputPath.c_str());
        return RunStop{exit_codes::kUsage, false};
    }
    if (!settings.movieOutput) {
        // "null" is decided on the output argument as typed, not on a clip's name.
        if (DPXSequenceExporter(settings.outputPath).ExportsFrames())
            run.sink = std::make_unique<DpxSink>(run.inputs, console);
        else
            run.sink = std::make_unique<NullSink>();
        return std::nullopt;
    }
    if (moviesWouldShareOneName(run.inputs)) {
        console.error(
            "every clip would be written to the one movie %s, each replacing the last: put %%d in the name "
            "(numbered by frame) or use a wildcard input with * in the name",
            settings.outputPath.c_str());
        return RunStop{exit_codes::kUsage, false};
    }
    run.sink = std::make_unique<MovieSink>(run.inputs, run.calibration.path, settings.outputFormat, console,
                                           run.inputs.options.archive);
    return std::nullopt;
}

StepOutcome refuseOneNameForManyFrames(BatchRun& run, const ClipPlan& plan) {
    const ConversionSettings& settings = run.inputs.settings;
    if (settings.movieOutput || !DPXSequenceExporter(settings.outputPath).ExportsFrames())
        return std::nullopt;
    std::map<std::string, std::uint64_t> framesByName;
    for (const PlannedClip& clip : plan.clips) {
        const std::string& pattern = clip.dpxPattern;
        if (clip.framesSelected == 0 || formatFrameName(pattern, 0) != formatFrameName(pattern, 1)) continue;
        const std::uint64_t frames = framesByName[clip.firstFrameName] += clip.framesSelected;
        if (frames < 2) continue;
        const std::string& name = clip.firstFrameName;
        const std::size_t dot = name.rfind('.');
        const std::string numbered = name.substr(0, dot) + "_%05d" + name.substr(dot);
        run.console.error(
            "%s: %llu frames would all be written to this one file, each replacing the last: put %%d in the "
            "name to number them (such as %s)",
            name.c_str(), static_cast<unsigned long long>(frames), numbered.c_str());
        return RunStop{exit_codes::kUsage, false};
    }
    return std::nullopt;
}

StepOutcome refuseUnplannedClipIndex(BatchRun& run) {
    const std::optional<std::uint64_t>& index = run.inputs.options.clipIndex;
    if (!index) return std::nullopt;
    std::uint64_t clips = 0;
    for (const std::int64_t conversionIndex : run.conversionIndexes) clips += conversionIndex >= 0 ? 1 : 0;
    // A run that stops at a wildcard before the clip gives that stop.
    if (*index < clips || run.plan.stop) return std::nullopt;
    run.console.error("--clip-index=%llu: the run has %llu clips, numbered from 0",
                      static_cast<unsigned long long>(*index), static_cast<unsigned long long>(clips));
    return RunStop{exit_codes::kUsage, false};
}

StepOutcome refuseClobbering(BatchRun& run) {
    const RunOptions& options = run.inputs.options;
    if (!options.noClobber) return std::nullopt;
    for (std::size_t entry = 0; entry < run.plan.clips.size(); ++entry) {
        const std::int64_t conversionIndex = run.conversionIndexes[entry];
        if (options.clipIndex && static_cast<std::uint64_t>(conversionIndex) != *options.clipIndex) continue;
        for (const std::string& file : plannedOutputFiles(run.plan.clips[entry], run.inputs)) {
            if (!platform::fileIdentity(file)) continue;
            run.console.error("%s is there already, and --no-clobber keeps it: nothing was written",
                              file.c_str());
            return RunStop{exit_codes::kUsage, false};
        }
    }
    return std::nullopt;
}
