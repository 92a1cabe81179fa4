#pragma once

#include "app/run/batch_run.h"
#include "app/run/clip_plan.h"

// Chooses the run's output from the output argument, before any clip is
// read: there must be one, and a DPX output name must be a pattern the
// exporter can number safely. Sets run.sink, or prints why not and says how
// the run ends.
StepOutcome chooseOutput(BatchRun& run);

// A DPX pattern without a frame number names one file for every frame: a
// run that would write more than one frame under one name is refused before
// anything is written, saying how to number them.
StepOutcome refuseOneNameForManyFrames(BatchRun& run, const ClipPlan& plan);

// --clip-index beyond the run's clips is refused before anything is written.
StepOutcome refuseUnplannedClipIndex(BatchRun& run);

// --no-clobber: a run that would replace a file (of the clips it converts)
// is refused before anything is written, naming the file.
StepOutcome refuseClobbering(BatchRun& run);
