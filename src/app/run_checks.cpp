#include "app/run_checks.h"

#include <algorithm>
#include <cstdio>

#include "app/clip_paths.h"
#include "app/exit_codes.h"
#include "app/path_kind.h"
#include "files/output_pattern.h"
#include "platform/directory.h"

StepOutcome checkOutputArgument(const BatchRun& run) {
    const ConversionSettings& settings = run.settings;
    if (settings.outputPath.empty()) {
        std::printf("no output given: name the .avi, .mov or .dpx file to write\n");
        return RunStop{exit_codes::kUsage, false};
    }
    if (settings.movieOutput) {
        std::printf("%s: movie output (.avi, .mov) is not available in this build; write a .dpx sequence\n",
                    settings.outputPath.c_str());
        return RunStop{exit_codes::kMovieNameRefused, false};
    }
    std::string message;
    if (!validateOutputPattern(settings.outputPath, &message)) {
        std::printf("%s\n", message.c_str());
        return RunStop{exit_codes::kUsage, false};
    }
    return std::nullopt;
}

void rememberClipFiles(BatchRun& run, const std::string& basePath) {
    // Index -1 is the .RAW file; continuations stop at the first one missing.
    for (int index = -1; index < RawClipReader::kMaxContinuationFiles; ++index) {
        const auto identity = platform::fileIdentity(clipFilePath(basePath, index));
        if (!identity) {
            if (index >= 0) break;
            continue;
        }
        if (std::find(run.inputFiles.begin(), run.inputFiles.end(), *identity) == run.inputFiles.end())
            run.inputFiles.push_back(*identity);
    }
}

void rememberInputClips(BatchRun& run) {
    const auto rememberArgument = [&run](const std::string& argument) {
        if (argument.empty() || classifyPath(argument) != PathKind::Raw) return;
        const std::string rawPath = rebuildClipPath(argument);
        if (rawPath[0] == '-') return;
        if (!containsWildcard(rawPath)) {
            rememberClipFiles(run, clipBasePath(rawPath));
            return;
        }
        const std::string directory = platform::directoryPart(rawPath);
        for (const platform::DirectoryEntry& entry : platform::listMatchingFiles(rawPath))
            rememberClipFiles(run, directory + listedBaseName(entry.name));
    };
    rememberArgument(run.settings.blackCalibrationPath);
    for (int index = 1; index < run.argc; ++index) rememberArgument(run.argv[index]);
}

bool outputIsAnInput(const BatchRun& run, const std::string& outputName) {
    const auto identity = platform::fileIdentity(outputName);
    return identity &&
           std::find(run.inputFiles.begin(), run.inputFiles.end(), *identity) != run.inputFiles.end();
}
