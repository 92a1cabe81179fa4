#pragma once

#include "app/batch_run.h"

// Checks made before any clip is read: there is an output to write, a DPX
// output name is a pattern the exporter can number safely, and movie output
// is available. A failure prints its message.
StepOutcome checkOutputArgument(const BatchRun& run);

// Records the identities of a clip's files (its .RAW and continuation files)
// so that no output replaces them.
void rememberClipFiles(BatchRun& run, const std::string& basePath);

// Records the files of every clip the run may read, the black calibration
// clip included: those named by the arguments and those their wildcards
// match, so that an output naming a clip converted later is refused as well.
void rememberInputClips(BatchRun& run);

// True when the named output file is one of the clips' files.
bool outputIsAnInput(const BatchRun& run, const std::string& outputName);
