#pragma once

#include <array>
#include <memory>
#include <string>

#include "app/outputs/output_sink.h"
#include "app/report/console.h"
#include "app/run/run_inputs.h"
#include "encode/movie_writer.h"

// The movie output: one AVI or MOV file per converted clip, made by the movie
// writer. The movie is set up by the clip's first frame; a clip that delivers
// no frame makes no file. The run's writer lives until the sink goes, after
// the run's last line.
class MovieSink : public OutputSink {
public:
    // calibrationPath: the run's black calibration clip, as chosen.
    // An archive keeps the samples as the clip stores them, with the archive's
    // tags after the user's.
    MovieSink(const RunInputs& inputs, const std::string& calibrationPath, OutputFormat picture,
              Console& console, bool archive = false);

    OutputFormat picture() const override { return picture_; }
    StepOutcome startClip(const PassState& pass, const ClipEntry& entry) override;
    StepOutcome prepareClip(const ClipState& clip) override;
    StepOutcome clipPositioned(const PassState& pass, const ClipState& clip,
                               const ClipSettings& clipSettings) override;
    StepOutcome frame(const PassState& pass, FramePicture& picture) override;
    StepOutcome endEntry(const PassState& pass, const ClipEntry& next) override;
    StepOutcome endArgument() override;
    bool takesStoredSamples() const override { return archive_; }
    StepOutcome endRun(int exitCode) override;

private:
    // Completes the movie being written, if any, and says how a failure ends the run.
    StepOutcome finishMovie();
    // The message and exit code of an encoding failure.
    StepOutcome encodingFailure(const Status& failure) const;
    void sayComponentMessages();

    const RunInputs& inputs_;
    const std::string& calibrationPath_;
    OutputFormat picture_;
    Console& console_;
    bool archive_;
    MetadataTagList clipTags_;  // an archive's: the user's tags and the clip's archive tags
    MovieWriter writer_;
    bool encoderStartPending_ = true;
    // The clip's rate, curve and colour, told the encoder with its first frame.
    std::int32_t rateNumerator_ = 0;
    std::int32_t rateDenominator_ = 1;
    std::uint32_t curveCode_ = 0;
    std::array<float, 12> colorMatrix_{};
    std::array<float, 4> whiteBalance_{};
    std::string movieName_;  // the movie being written
};
