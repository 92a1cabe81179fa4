#pragma once

#include <cstdint>

#include "platform/status.h"
#include "raw/black_frame.h"

// The summary of a finished calibration, in raw 14-bit sample units.
struct BlackCalibrationSummary {
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::int32_t average = 0;
};

// Ends the calibration pass: turns the sums into averages over framesRead
// frames (truncated) and keeps average - offset in every pixel.
//
// A pass that read no frame, or a black frame that does not fit the frame
// size, leaves nothing to average: the black frame is emptied (so no
// conversion uses it) and the failure says why.
Result<BlackCalibrationSummary> finishBlackCalibration(BlackFrame& black, int frameWidth, int frameHeight,
                                                       std::int64_t framesRead, std::int32_t offset);
