#pragma once

#include "app/run/batch_run.h"

// Chooses the run's output from the output argument, before any clip is
// read: there must be one, and a DPX output name must be a pattern the
// exporter can number safely. Sets run.sink, or prints why not and says how
// the run ends.
StepOutcome chooseOutput(BatchRun& run);
