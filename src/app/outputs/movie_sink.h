#pragma once

#include <memory>
#include <string>

#include "app/outputs/output_sink.h"
#include "app/report/console.h"
#include "app/run/run_inputs.h"
#include "encode/encode_graph.h"

struct WorkerPool;

// The movie output: one AVI or MOV file per converted clip, made through the
// encoding graph. The graph is configured by the clip's first frame; a clip
// that delivers no frame makes no file. The run's graph object lives until
// the sink goes, after the run's last line.
class MovieSink : public OutputSink {
public:
    // calibrationPath: the run's black calibration clip, as chosen.
    MovieSink(const RunInputs& inputs, const std::string& calibrationPath, SinkPicture picture,
              Console& console);

    SinkPicture picture() const override { return picture_; }
    StepOutcome startClip(const PassState& pass, const std::string& basePath,
                          const std::string& baseName) override;
    StepOutcome prepareClip(const ClipState& clip) override;
    StepOutcome clipPositioned(const PassState& pass, const ClipState& clip,
                               const ClipSettings& clipSettings) override;
    StepOutcome frame(const PassState& pass, FramePicture& picture) override;
    StepOutcome endEntry(const PassState& pass, const std::string& nextBasePath) override;
    StepOutcome endArgument() override;
    StepOutcome endRun(int exitCode) override;

private:
    // Completes the movie being written, if any, and says how a failure ends the run.
    StepOutcome finishMovie();
    // The message and exit code of an encoding failure with result code.
    StepOutcome encodingFailure(std::int32_t result) const;
    void sayComponentMessages();

    const RunInputs& inputs_;
    const std::string& calibrationPath_;
    SinkPicture picture_;
    Console& console_;
    // The clip's rate and curve, told the encoder with its first frame.
    std::int32_t rateNumerator_ = 0;
    std::int32_t rateDenominator_ = 1;
    std::uint32_t curveCode_ = 0;
    CEncodeGraph graph_;
    bool encoderStartPending_ = true;
    std::string movieName_;  // the movie being written
};
