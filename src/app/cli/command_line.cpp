#include "app/cli/command_line.h"

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

CommandLine readCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    line.arguments = readArguments(argc, argv);
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
    return line;
}

std::vector<std::string> clipArgumentsOf(const ArgumentList& arguments) {
    return argumentsOfKind(arguments, ArgumentKind::Clip);
}

std::vector<std::string> outputArgumentsOf(const ArgumentList& arguments) {
    return argumentsOfKind(arguments, ArgumentKind::Output);
}
