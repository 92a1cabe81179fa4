#include "app/run/run_checks.h"

#include <algorithm>

#include "app/cli/path_kind.h"
#include "app/run/clip_paths.h"
#include "platform/directory.h"
#include "raw/clip_reader.h"

namespace {

// False when the file does not exist.
bool rememberFile(RunInputs& inputs, const std::string& path) {
    const auto identity = platform::fileIdentity(path);
    if (!identity) return false;
    if (std::find(inputs.inputFiles.begin(), inputs.inputFiles.end(), *identity) == inputs.inputFiles.end())
        inputs.inputFiles.push_back(*identity);
    return true;
}

}  // namespace

void rememberClipFiles(RunInputs& inputs, const std::string& basePath) {
    // Index -1 is the .RAW file; continuations stop at the first one missing.
    for (int index = -1; index < RawClipReader::kMaxContinuationFiles; ++index)
        if (!rememberFile(inputs, clipFilePath(basePath, index)) && index >= 0) break;
}

void rememberInputFile(RunInputs& inputs, const std::string& path) {
    rememberFile(inputs, path);
}

void rememberInputClips(RunInputs& inputs) {
    const auto rememberEntry = [&inputs](const ClipEntry& entry) {
        if (entry.archive)
            rememberFile(inputs, entry.filePath);
        else
            rememberClipFiles(inputs, entry.openPath);
    };
    const auto rememberArgument = [&rememberEntry](const std::string& argument) {
        const bool archive = namesArchive(argument);
        if (argument.empty() || (classifyPath(argument) != PathKind::Raw && !archive)) return;
        const std::string rawPath = archive ? argument : rebuildClipPath(argument);
        if (rawPath[0] == '-') return;
        if (!containsWildcard(rawPath)) {
            rememberEntry(clipEntryOf(rawPath, archive));
            return;
        }
        const std::string directory = platform::directoryPart(rawPath);
        for (const platform::DirectoryEntry& entry : platform::listMatchingFiles(rawPath))
            rememberEntry(clipEntryOf(directory + entry.name, archive));
    };
    rememberArgument(inputs.settings.blackCalibrationPath);
    for (const std::string& argument : inputs.clipArguments) rememberArgument(argument);
}

bool outputIsAnInput(const RunInputs& inputs, const std::string& outputName) {
    const auto identity = platform::fileIdentity(outputName);
    return identity && std::find(inputs.inputFiles.begin(), inputs.inputFiles.end(), *identity) !=
                           inputs.inputFiles.end();
}
