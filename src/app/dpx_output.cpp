#include "app/dpx_output.h"

#include <cstdio>

#include "app/exit_codes.h"
#include "app/run_checks.h"
#include "files/output_pattern.h"

StepOutcome exportDpxFrame(BatchRun& run) {
    // "null" is decided on the output argument as typed, not on a clip's name.
    if (!run.exporter.ExportsFrames()) return std::nullopt;

    const std::uint16_t* picture = run.buffers.rgb.data();
    if (!run.buffers.output.empty()) {
        if (!run.resampler.resample(picture, run.buffers.output.data())) {
            std::printf("could not resample the %dx%d picture to %dx%d\n", run.crop.cropWidth,
                        run.crop.cropHeight, run.outputWidth, run.outputHeight);
            return RunStop{exit_codes::kClipUnusable, true};
        }
        picture = run.buffers.output.data();
    }

    const std::int64_t frameNumber =
        static_cast<std::int64_t>(run.settings.inPoint) + static_cast<std::int64_t>(run.frameCounter);
    const std::string name = formatFrameName(run.clipNamePattern, frameNumber);
    if (outputIsAnInput(run, name)) {
        std::printf("%s is one of the input clips' files: not writing over it\n", name.c_str());
        return RunStop{exit_codes::kUsage, true};
    }
    std::string failure;
    if (!WriteDPXFrame(run.clipNamePattern, frameNumber, picture, run.outputWidth, run.outputHeight,
                       static_cast<std::size_t>(run.outputWidth) * 6, &failure)) {
        std::printf("\n%s\n", failure.c_str());
        return RunStop{exit_codes::kOutputIncomplete, true};
    }
    if (run.settings.verbose)
        std::printf("export frame %llu\n", static_cast<unsigned long long>(run.frameCounter));
    else
        std::printf(".");
    std::fflush(stdout);
    return std::nullopt;
}
