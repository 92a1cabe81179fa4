// Every argument comes from the user. Whatever the arguments, parsing them
// and looking at them again for warnings must not crash or read past them,
// and the metadata list never grows past its buffer. The input is split at
// zero bytes into the arguments.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/argument_warnings.h"
#include "app/cli/command_line.h"
#include "app/cli/metadata_tags.h"
#include "app/report/console.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The echo lines are not what is tested here. The warnings on standard
    // error stay: a failed assertion reports there too.
    static std::FILE* silenced = std::freopen("/dev/null", "w", stdout);
    (void)silenced;

    std::vector<std::string> arguments{"raw2tvx"};
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    arguments.push_back(current);
    std::vector<const char*> argv;
    for (const auto& argument : arguments) argv.push_back(argument.c_str());
    argv.push_back(nullptr);

    const CommandLine line = readCommandLine(static_cast<int>(arguments.size()), argv.data());
    Console console(line.settings.verbose);
    MetadataTagList tags;
    addTagArguments(line.arguments, line.argumentsApplied, tags, console);
    warnAboutArguments(line, console);
    (void)argumentNotesOf(line.arguments);
    assert(tags.used >= 0 && tags.used <= MetadataTagList::kCapacity);
    assert(tags.used % 4 == 0);
    return 0;
}
