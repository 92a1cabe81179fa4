#pragma once

#include <memory>
#include <string>

#include "app/output_sink.h"
#include "app/run_inputs.h"
#include "encode/movie_writer.h"

struct WorkerPool;

// The movie output: one AVI or MOV file per converted clip, made by the movie
// writer. The movie is set up by the clip's first frame; a clip that delivers
// no frame makes no file. The run's writer lives until the sink goes, after
// the run's last line.
class MovieSink : public OutputSink {
public:
    MovieSink(const RunInputs& inputs, OutputFormat picture);

    OutputFormat picture() const override { return picture_; }
    StepOutcome startClip(const PassState& pass, const std::string& basePath,
                          const std::string& baseName) override;
    StepOutcome prepareClip(const ClipState& clip) override;
    StepOutcome clipPositioned(const PassState& pass, const ClipState& clip) override;
    StepOutcome frame(const PassState& pass, FramePicture& picture) override;
    StepOutcome settle() override { return std::nullopt; }
    StepOutcome endEntry(PassState& pass, const std::string& nextBasePath) override;
    StepOutcome endArgument() override;
    StepOutcome endRun(int exitCode) override;

private:
    // Completes the movie being written, if any, and says how a failure ends the run.
    StepOutcome finishMovie();
    // The message and exit code of an encoding failure.
    StepOutcome encodingFailure(const Status& failure) const;
    void sayComponentMessages();

    const RunInputs& inputs_;
    OutputFormat picture_;
    MovieWriter writer_;
    bool encoderStartPending_ = true;
    std::array<float, 12> colorMatrix_{};  // the clip's colour, for its movie
    std::array<float, 4> whiteBalance_{};
    std::string movieName_;  // the movie being written
};
