#include "app/cli/command_line.h"

#include <string_view>

namespace {

void applyOutput(const ParsedArgument& argument, ConversionSettings& settings) {
    settings.outputPath = argument.text;
    // A .dpx argument leaves a movie chosen before it a movie.
    if (argument.pathKind == PathKind::Avi || argument.pathKind == PathKind::Mov) settings.movieOutput = true;
}

std::string longOptionNames() {
    std::string names;
    for (const LongOptionSpec& option : longOptionTable()) {
        names += names.empty() ? "--" : ", --";
        names += option.name;
        if (option.valueName != nullptr) names += std::string("=") + option.valueName;
    }
    return names;
}

bool applyLong(const ParsedArgument& argument, RunOptions& options, std::string* failure) {
    if (argument.longOption == nullptr) {
        *failure = argument.text + ": unknown option; the options are " + longOptionNames();
        return false;
    }
    return applyLongOption(*argument.longOption, argument.text, options, failure);
}

std::vector<std::string> argumentsOfKind(const ArgumentList& arguments, ArgumentKind kind) {
    std::vector<std::string> texts;
    for (const ParsedArgument& argument : arguments)
        if (argument.index > 0 && argument.kind == kind) texts.push_back(argument.text);
    return texts;
}

}  // namespace

// A run without a clip among its arguments develops a camera archive: the
// first movie argument is its input when another output follows, and the
// outputs are the others.
void markArchiveInput(ArgumentList& arguments) {
    // Verifying takes the first movie, whatever else is given.
    for (ParsedArgument& argument : arguments)
        if (argument.index > 0 && argument.kind == ArgumentKind::LongOption &&
            argument.longOption != nullptr && std::string_view(argument.longOption->name) == "verify") {
            for (ParsedArgument& movie : arguments)
                if (movie.index > 0 && movie.kind == ArgumentKind::Output &&
                    movie.pathKind != PathKind::Dpx) {
                    movie.kind = ArgumentKind::Archive;
                    return;
                }
            return;
        }
    int outputs = 0;
    ParsedArgument* firstMovie = nullptr;
    for (ParsedArgument& argument : arguments) {
        if (argument.index == 0) continue;
        if (argument.kind == ArgumentKind::Clip) return;
        if (argument.kind != ArgumentKind::Output) continue;
        ++outputs;
        if (firstMovie == nullptr && argument.pathKind != PathKind::Dpx) firstMovie = &argument;
    }
    // A movie alone is the output of a run that names no clip.
    if (firstMovie != nullptr && outputs > 1) firstMovie->kind = ArgumentKind::Archive;
}

// An archive keeps every frame of the clip as stored: the frame selection
// and the picture kind are for developing it.
void settleArchiveSettings(ConversionSettings& settings) {
    const ConversionSettings defaults;
    settings.inPoint = defaults.inPoint;
    settings.outPoint = defaults.outPoint;
    settings.skipFrames = defaults.skipFrames;
    settings.outputFormat = OutputFormat::Raw;
}

CommandLine readCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    line.arguments = readArguments(argc, argv);
    markArchiveInput(line.arguments);
    for (const ParsedArgument& argument : line.arguments) {
        if (argument.kind == ArgumentKind::Switch) {
            if (!argument.option->apply(argument, line.settings, &line.failure)) break;
        } else if (argument.kind == ArgumentKind::LongOption) {
            if (!applyLong(argument, line.options, &line.failure)) break;
        } else if (argument.kind == ArgumentKind::Output) {
            applyOutput(argument, line.settings);
        }
        ++line.argumentsApplied;
    }
    if (line.options.archive) settleArchiveSettings(line.settings);
    return line;
}

std::vector<std::string> clipArgumentsOf(const ArgumentList& arguments) {
    std::vector<std::string> clips = argumentsOfKind(arguments, ArgumentKind::Clip);
    for (std::string& archive : argumentsOfKind(arguments, ArgumentKind::Archive)) clips.push_back(archive);
    return clips;
}

std::vector<std::string> archiveArgumentsOf(const ArgumentList& arguments) {
    return argumentsOfKind(arguments, ArgumentKind::Archive);
}

std::vector<std::string> outputArgumentsOf(const ArgumentList& arguments) {
    return argumentsOfKind(arguments, ArgumentKind::Output);
}
