#pragma once

#include <string>

#include "app/outputs/dpx_time_codes.h"
#include "app/outputs/dpx_writer_thread.h"
#include "app/outputs/output_sink.h"
#include "app/report/console.h"
#include "app/run/run_inputs.h"

// The DPX sequence output: every frame becomes one file named from the
// output pattern and numbered in point + frame counter. Files are written on
// a thread of their own while the next frame is read and demosaiced; the
// picture handed over is swapped for a spare one of the same size, so the
// next frame goes into the other. At most one frame is being written at a
// time; its progress mark or failure is the console's pending work, shown
// before anything that follows it. With a TIMC tag every file carries a time
// code (see dpx_time_codes.h).
class DpxSink final : public OutputSink, private Console::Pending {
public:
    DpxSink(const RunInputs& inputs, Console& console);
    ~DpxSink() override;

    OutputFormat picture() const override { return OutputFormat::Rgb444; }
    StepOutcome startClip(const PassState& pass, const ClipEntry& entry) override;
    StepOutcome prepareClip(const ClipState& clip) override;
    StepOutcome clipPositioned(const PassState& pass, const ClipState& clip,
                               const ClipSettings& clipSettings) override;
    StepOutcome frame(const PassState& pass, FramePicture& picture) override;
    StepOutcome settle() override;
    StepOutcome endEntry(const PassState&, const ClipEntry&) override { return std::nullopt; }
    StepOutcome endArgument() override { return std::nullopt; }
    StepOutcome endRun(int exitCode) override;

private:
    // Collects the frame being written and shows its mark or its failure.
    bool showResult() override;

    const RunInputs& inputs_;
    Console& console_;
    std::string clipNamePattern_;  // the names of the clip being converted
    SampleBuffer sparePicture_;    // the picture being written, or the next one to be
    DpxTimeCodes timeCodes_;       // of the clip being converted
    std::uint64_t filesOfClip_ = 0;
    std::string timeCodeWarning_;  // the last one given, so that a run of clips says it once
    bool writeFailed_ = false;     // a file could not be written: the run ends
    // Last, so that it is joined before the picture it may be writing goes.
    DpxWriterThread writer_;
};
