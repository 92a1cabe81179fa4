#include "app/output_choice.h"

#include <memory>

#include "app/clip_paths.h"
#include "app/dpx_sink.h"
#include "app/exit_codes.h"
#include "app/movie_sink.h"
#include "files/output_pattern.h"
#include "platform/diagnostics.h"

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
    if (settings.outputPath.empty()) {
        platform::reportError("no output given: name the .avi, .mov or .dpx file to write");
        return RunStop{exit_codes::kUsage, false};
    }
    // A wildcard movie name is the clip's name in place of the '*', taken
    // literally; every other name is a pattern numbered by the frame counter.
    const bool wildcardMovies = settings.movieOutput && containsWildcard(settings.outputPath);
    std::string message;
    if (!wildcardMovies && !validateOutputPattern(settings.outputPath, &message)) {
        platform::reportError("%s", message.c_str());
        return RunStop{exit_codes::kUsage, false};
    }
    if (!settings.movieOutput) {
        run.sink = std::make_unique<DpxSink>(run.inputs);
        return std::nullopt;
    }
    if (moviesWouldShareOneName(run.inputs)) {
        platform::reportError(
            "every clip would be written to the one movie %s, each replacing the last: put %%d in the name "
            "(numbered by frame) or use a wildcard input with * in the name",
            settings.outputPath.c_str());
        return RunStop{exit_codes::kUsage, false};
    }
    run.sink = std::make_unique<MovieSink>(run.inputs, settings.outputFormat);
    return std::nullopt;
}
