#include "app/output_choice.h"

#include <memory>

#include "app/dpx_sink.h"
#include "app/exit_codes.h"
#include "files/output_pattern.h"
#include "platform/diagnostics.h"

StepOutcome chooseOutput(BatchRun& run) {
    const ConversionSettings& settings = run.inputs.settings;
    if (settings.outputPath.empty()) {
        platform::reportError("no output given: name the .avi, .mov or .dpx file to write");
        return RunStop{exit_codes::kUsage, false};
    }
    if (settings.movieOutput) {
        platform::reportError(
            "%s: movie output (.avi, .mov) is not available in this build; write a .dpx sequence",
            settings.outputPath.c_str());
        return RunStop{exit_codes::kMovieNameRefused, false};
    }
    std::string message;
    if (!validateOutputPattern(settings.outputPath, &message)) {
        platform::reportError("%s", message.c_str());
        return RunStop{exit_codes::kUsage, false};
    }
    run.sink = std::make_unique<DpxSink>(run.inputs);
    return std::nullopt;
}
