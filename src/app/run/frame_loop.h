#pragma once

#include "app/run/batch_run.h"

// The frames of the open clip, from the reader's position to the clip's end
// or the out point: read, unpack, crop, the picture the output takes, the
// output, then the -s skips. The calibration pass sums the frames into the
// black frame instead. Ends with the first step that ends the run.
StepOutcome runFrameLoop(BatchRun& run);
