#include "app/dpx_output.h"

#include <cstdio>
#include <utility>

#include "app/exit_codes.h"
#include "app/run_checks.h"
#include "files/output_pattern.h"

StepOutcome finishDpxWrite(BatchRun& run) {
    if (!run.dpxWriter.pending()) return std::nullopt;
    const DpxWriteResult result = run.dpxWriter.collect();
    if (!result.written) {
        std::printf("\n%s\n", result.failure.c_str());
        return RunStop{exit_codes::kOutputIncomplete, true};
    }
    if (run.settings.verbose)
        std::printf("export frame %llu\n", static_cast<unsigned long long>(result.frameCounter));
    else
        std::printf(".");
    std::fflush(stdout);
    return std::nullopt;
}

StepOutcome exportDpxFrame(BatchRun& run) {
    // "null" is decided on the output argument as typed, not on a clip's name.
    if (!run.exporter.ExportsFrames()) return std::nullopt;

    // The output picture not being written: resampling overlaps the write too.
    const std::uint16_t* picture = run.buffers.rgb.data();
    const bool resampling = !run.buffers.output.empty();
    const bool resampled = resampling && run.resampler.resample(picture, run.buffers.output.data());
    if (const StepOutcome outcome = finishDpxWrite(run)) return outcome;
    if (resampling) {
        if (!resampled) {
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
    run.dpxWriter.submit(DpxWriteRequest{run.clipNamePattern, frameNumber, picture, run.outputWidth,
                                         run.outputHeight, run.frameCounter});
    // The next frame goes into the other picture while this one is written.
    if (resampling)
        std::swap(run.buffers.output, run.buffers.spareOutput);
    else
        std::swap(run.buffers.rgb, run.buffers.spareRgb);
    return std::nullopt;
}
