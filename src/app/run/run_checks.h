#pragma once

#include <string>

#include "app/run/run_inputs.h"

// Collects the clip arguments of the command line, left to right: every
// argument that names a .RAW or .R00 file, or a wildcard of them.
void collectClipArguments(int argc, const char* const* argv, RunInputs& inputs);

// Records the identities of a clip's files (its .RAW and continuation files)
// so that no output replaces them.
void rememberClipFiles(RunInputs& inputs, const std::string& basePath);

// Records the files of every clip the run may read, the black calibration
// clip included: those named by the arguments and those their wildcards
// match, so that an output naming a clip converted later is refused as well.
void rememberInputClips(RunInputs& inputs);

// True when the named output file is one of the clips' files.
bool outputIsAnInput(const RunInputs& inputs, const std::string& outputName);
