#include "app/outputs/dpx_sink.h"

#include <utility>

#include "app/report/clip_messages.h"
#include "app/report/exit_codes.h"
#include "app/run/clip_paths.h"
#include "app/run/clip_settings.h"
#include "app/run/pass_state.h"
#include "app/run/run_checks.h"
#include "files/output_pattern.h"

namespace {

const RunStop kWriteFailed{exit_codes::kOutputIncomplete, true};

}  // namespace

DpxSink::DpxSink(const RunInputs& inputs, Console& console)
    : inputs_(inputs), console_(console), clipNamePattern_(inputs.settings.outputPath) {}

DpxSink::~DpxSink() {
    console_.setPending(nullptr);
}

StepOutcome DpxSink::startClip(const PassState& pass, const ClipEntry& entry) {
    const std::string& output = inputs_.settings.outputPath;
    clipNamePattern_ = pass.wildcardMode == WildcardMode::InputAndOutput
                           ? wildcardOutputName(output, entry.baseName)
                           : output;
    return std::nullopt;
}

StepOutcome DpxSink::prepareClip(const ClipState& clip) {
    sparePicture_.release();
    const std::size_t samples = static_cast<std::size_t>(clip.outputWidth) * clip.outputHeight * 3;
    if (!sparePicture_.allocate(samples)) {
        console_.report(clip.resampling() ? "out of memory 3\n" : "out of memory 2\n");
        reportNoMemoryFor(console_, "picture", clip.outputWidth, clip.outputHeight, samples * 2);
        return kClipUnusable;
    }
    return std::nullopt;
}

StepOutcome DpxSink::clipPositioned(const PassState&, const ClipState&, const ClipSettings& clipSettings) {
    filesOfClip_ = 0;
    timeCodes_ = planDpxTimeCodes(inputs_.tags, clipSettings.rateNumerator, clipSettings.rateDenominator);
    if (!timeCodes_.warning.empty() && timeCodes_.warning != timeCodeWarning_)
        console_.warn("%s: %s", clipNamePattern_.c_str(), timeCodes_.warning.c_str());
    timeCodeWarning_ = timeCodes_.warning;
    return std::nullopt;
}

bool DpxSink::showResult() {
    const DpxWriteResult result = writer_.collect();
    if (!result.written) {
        writeFailed_ = true;
        console_.error("%s", result.failure.c_str());
        return true;
    }
    console_.frameMark(result.frameCounter);
    return false;
}

StepOutcome DpxSink::settle() {
    console_.showPending();
    if (writeFailed_) return kWriteFailed;
    return std::nullopt;
}

StepOutcome DpxSink::frame(const PassState& pass, FramePicture& picture) {
    if (const StepOutcome outcome = settle()) return outcome;

    const std::int64_t frameNumber = inputs_.nameNumber(pass.frameCounter);
    const std::string name = formatFrameName(clipNamePattern_, frameNumber);
    if (outputIsAnInput(inputs_, name)) {
        console_.error("%s is one of the input clips' files: not writing over it", name.c_str());
        return RunStop{exit_codes::kUsage, true};
    }
    DpxWriteRequest request{clipNamePattern_, frameNumber,    picture.buffer->data(),
                            picture.width,    picture.height, pass.frameCounter,
                            std::nullopt};
    if (timeCodes_.start) request.timing = dpxFrameTiming(timeCodes_, filesOfClip_);
    ++filesOfClip_;
    writer_.submit(std::move(request));
    console_.setPending(this);
    // The next frame goes into the other picture while this one is written.
    std::swap(*picture.buffer, sparePicture_);
    return std::nullopt;
}

StepOutcome DpxSink::endRun(int) {
    const StepOutcome lastWrite = settle();
    writer_.stop();
    return lastWrite;
}
