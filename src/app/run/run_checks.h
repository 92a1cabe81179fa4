#pragma once

#include <string>

#include "app/run/run_inputs.h"

// Records the identities of a clip's files (its .RAW and continuation files)
// so that no output replaces them.
void rememberClipFiles(RunInputs& inputs, const std::string& basePath);
// The same for one file: an archive being developed.
void rememberInputFile(RunInputs& inputs, const std::string& path);

// Records the files of every clip the run may read, the black calibration
// clip included: those named by the arguments and those their wildcards
// match, so that an output naming a clip converted later is refused as well.
void rememberInputClips(RunInputs& inputs);

// True when the named output file is one of the clips' files.
bool outputIsAnInput(const RunInputs& inputs, const std::string& outputName);
