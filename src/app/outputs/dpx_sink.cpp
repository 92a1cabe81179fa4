#include "app/outputs/dpx_sink.h"

#include <cstdio>
#include <utility>

#include "app/report/clip_messages.h"
#include "app/run/clip_paths.h"
#include "app/report/exit_codes.h"
#include "app/run/pass_state.h"
#include "app/run/run_checks.h"
#include "files/dpx_sequence_exporter.h"
#include "files/output_pattern.h"
#include "platform/diagnostics.h"

DpxSink::DpxSink(const RunInputs& inputs)
    : inputs_(inputs),
      // "null" is decided on the output argument as typed, not on a clip's name.
      exportsFrames_(DPXSequenceExporter(inputs.settings.outputPath).ExportsFrames()),
      clipNamePattern_(inputs.settings.outputPath) {}

StepOutcome DpxSink::startClip(const PassState& pass, const std::string&, const std::string& baseName) {
    const std::string& output = inputs_.settings.outputPath;
    clipNamePattern_ = pass.wildcardMode == 2 ? wildcardOutputName(output, baseName) : output;
    // The clip's report lines come next and end any line of marks.
    marksOnLine_ = false;
    return std::nullopt;
}

StepOutcome DpxSink::prepareClip(const ClipState& clip) {
    sparePicture_.release();
    if (!exportsFrames_) return std::nullopt;
    const std::size_t samples = static_cast<std::size_t>(clip.outputWidth) * clip.outputHeight * 3;
    if (!sparePicture_.allocate(samples)) {
        std::printf(clip.resampling() ? "out of memory 3\n" : "out of memory 2\n");
        reportNoMemoryFor("picture", clip.outputWidth, clip.outputHeight, samples * 2);
        return RunStop{exit_codes::kClipUnusable, true};
    }
    return std::nullopt;
}

StepOutcome DpxSink::clipPositioned(const PassState&, const ClipState&) {
    filesOfClip_ = 0;
    if (!exportsFrames_) return std::nullopt;
    const ConversionSettings& settings = inputs_.settings;
    timeCodes_ = planDpxTimeCodes(inputs_.tags, settings.rateNumerator, settings.rateDenominator);
    if (!timeCodes_.warning.empty() && timeCodes_.warning != timeCodeWarning_)
        platform::warn("%s: %s", clipNamePattern_.c_str(), timeCodes_.warning.c_str());
    timeCodeWarning_ = timeCodes_.warning;
    return std::nullopt;
}

StepOutcome DpxSink::settle() {
    if (!writer_.pending()) return std::nullopt;
    const DpxWriteResult result = writer_.collect();
    if (!result.written) {
        if (marksOnLine_) platform::breakOpenLine();
        platform::reportError("%s", result.failure.c_str());
        return RunStop{exit_codes::kOutputIncomplete, true};
    }
    if (inputs_.settings.verbose)
        std::printf("export frame %llu\n", static_cast<unsigned long long>(result.frameCounter));
    else
        std::printf(".");
    marksOnLine_ = !inputs_.settings.verbose;
    std::fflush(stdout);
    return std::nullopt;
}

StepOutcome DpxSink::frame(const PassState& pass, FramePicture& picture) {
    if (!exportsFrames_) return std::nullopt;
    if (const StepOutcome outcome = settle()) return outcome;

    const std::int64_t frameNumber =
        static_cast<std::int64_t>(inputs_.settings.inPoint) + static_cast<std::int64_t>(pass.frameCounter);
    const std::string name = formatFrameName(clipNamePattern_, frameNumber);
    if (outputIsAnInput(inputs_, name)) {
        if (marksOnLine_) platform::breakOpenLine();
        platform::reportError("%s is one of the input clips' files: not writing over it", name.c_str());
        return RunStop{exit_codes::kUsage, true};
    }
    DpxWriteRequest request{clipNamePattern_, frameNumber,    picture.buffer->data(),
                            picture.width,    picture.height, pass.frameCounter,
                            std::nullopt};
    if (timeCodes_.start) request.timing = dpxFrameTiming(timeCodes_, filesOfClip_);
    ++filesOfClip_;
    writer_.submit(std::move(request));
    // The next frame goes into the other picture while this one is written.
    std::swap(*picture.buffer, sparePicture_);
    return std::nullopt;
}

StepOutcome DpxSink::endRun(int) {
    const StepOutcome lastWrite = settle();
    writer_.stop();
    return lastWrite;
}
