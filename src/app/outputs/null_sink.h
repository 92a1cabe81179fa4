#pragma once

#include "app/outputs/output_sink.h"

// The output "null.dpx": every frame is read and demosaiced as for a DPX
// sequence, and nothing is written or printed for it.
class NullSink : public OutputSink {
public:
    OutputFormat picture() const override { return OutputFormat::Rgb444; }
    StepOutcome startClip(const PassState&, const ClipEntry&) override { return std::nullopt; }
    StepOutcome prepareClip(const ClipState&) override { return std::nullopt; }
    StepOutcome clipPositioned(const PassState&, const ClipState&, const ClipSettings&) override {
        return std::nullopt;
    }
    StepOutcome frame(const PassState&, FramePicture&) override { return std::nullopt; }
    StepOutcome endEntry(const PassState&, const ClipEntry&) override { return std::nullopt; }
    StepOutcome endArgument() override { return std::nullopt; }
    StepOutcome endRun(int) override { return std::nullopt; }
};
