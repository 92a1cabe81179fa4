#include "app/output_choice.h"

#include <cstdio>
#include <memory>

#include "app/dpx_sink.h"
#include "app/exit_codes.h"
#include "files/output_pattern.h"

StepOutcome chooseOutput(BatchRun& run) {
    const ConversionSettings& settings = run.inputs.settings;
    if (settings.outputPath.empty()) {
        std::printf("no output given: name the .avi, .mov or .dpx file to write\n");
        return RunStop{exit_codes::kUsage, false};
    }
    if (settings.movieOutput) {
        std::printf("%s: movie output (.avi, .mov) is not available in this build; write a .dpx sequence\n",
                    settings.outputPath.c_str());
        return RunStop{exit_codes::kMovieNameRefused, false};
    }
    std::string message;
    if (!validateOutputPattern(settings.outputPath, &message)) {
        std::printf("%s\n", message.c_str());
        return RunStop{exit_codes::kUsage, false};
    }
    run.sink = std::make_unique<DpxSink>(run.inputs);
    return std::nullopt;
}
