#include "app/run/run_checks.h"

#include <algorithm>

#include "app/cli/path_kind.h"
#include "app/run/clip_paths.h"
#include "platform/directory.h"
#include "raw/clip_reader.h"

void rememberClipFiles(RunInputs& inputs, const std::string& basePath) {
    // Index -1 is the .RAW file; continuations stop at the first one missing.
    for (int index = -1; index < RawClipReader::kMaxContinuationFiles; ++index) {
        const auto identity = platform::fileIdentity(clipFilePath(basePath, index));
        if (!identity) {
            if (index >= 0) break;
            continue;
        }
        if (std::find(inputs.inputFiles.begin(), inputs.inputFiles.end(), *identity) ==
            inputs.inputFiles.end())
            inputs.inputFiles.push_back(*identity);
    }
}

void rememberInputClips(RunInputs& inputs) {
    const auto rememberArgument = [&inputs](const std::string& argument) {
        if (argument.empty() || classifyPath(argument) != PathKind::Raw) return;
        const std::string rawPath = rebuildClipPath(argument);
        if (rawPath[0] == '-') return;
        if (!containsWildcard(rawPath)) {
            rememberClipFiles(inputs, clipBasePath(rawPath));
            return;
        }
        const std::string directory = platform::directoryPart(rawPath);
        for (const platform::DirectoryEntry& entry : platform::listMatchingFiles(rawPath))
            rememberClipFiles(inputs, directory + listedBaseName(entry.name));
    };
    rememberArgument(inputs.settings.blackCalibrationPath);
    for (const std::string& argument : inputs.clipArguments) rememberArgument(argument);
}

bool outputIsAnInput(const RunInputs& inputs, const std::string& outputName) {
    const auto identity = platform::fileIdentity(outputName);
    return identity && std::find(inputs.inputFiles.begin(), inputs.inputFiles.end(), *identity) !=
                           inputs.inputFiles.end();
}
