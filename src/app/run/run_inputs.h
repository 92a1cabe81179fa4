#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/cli/argument_notes.h"
#include "app/cli/conversion_settings.h"
#include "app/cli/run_options.h"
#include "encode/metadata_tag_list.h"
#include "platform/path.h"

// What a run starts from and keeps: the parsed switches and tags, the clip
// arguments in the order given, and the files of every clip it may read.
struct RunInputs {
    RunInputs(const ConversionSettings& runSettings, const RunOptions& runOptions,
              const MetadataTagList& runTags)
        : settings(runSettings), options(runOptions), tags(runTags) {}

    const ConversionSettings& settings;
    const RunOptions& options;
    const MetadataTagList& tags;
    // Arguments that name clips (or clip wildcards), left to right; the
    // -bc switch is not among them.
    std::vector<std::string> clipArguments;
    // The files of every clip read or to be read: no output may replace one.
    std::vector<platform::FileIdentity> inputFiles;
    // The arguments as typed, for warnings made while clips are converted.
    ArgumentNotes notes;

    // The number an output's name gives the frame the run's counter stands
    // at: the in point + the counter for DPX files, the counter for movies,
    // or --first-number + the counter.
    std::int64_t nameNumber(std::uint64_t counter) const {
        const std::int64_t base = options.firstNumber    ? *options.firstNumber
                                  : settings.movieOutput ? 0
                                                         : static_cast<std::int64_t>(settings.inPoint);
        return base + static_cast<std::int64_t>(counter);
    }
};
