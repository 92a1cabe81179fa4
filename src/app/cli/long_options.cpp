#include "app/cli/long_options.h"

#include <array>
#include <charconv>

namespace {

constexpr long long kMostThreads = 4096;

const std::array<LongOptionSpec, 4> kLongOptions = {{
    {"threads", LongOptionValue::Count, "N", "N worker threads (default: one a CPU the process may use)",
     [](RunOptions& options, long long number) {
         options.threads = static_cast<int>(number > kMostThreads ? kMostThreads : number);
     }},
    {"keep-going", LongOptionValue::None, nullptr, "go on past a clip that cannot be read; exit with the worst code",
     [](RunOptions& options, long long) { options.keepGoing = true; }},
    {"archive", LongOptionValue::None, nullptr,
     "a camera archive: the clip's samples as stored, lossless, to develop later",
     [](RunOptions& options, long long) { options.archive = true; }},
    {"verify", LongOptionValue::None, nullptr,
     "check archives (ARCHIVE.mov [CLIP.RAW]): every frame against its checksum, and the clip",
     [](RunOptions& options, long long) { options.verify = true; }},
}};

std::string_view nameOf(std::string_view afterDashes) {
    return afterDashes.substr(0, afterDashes.find('='));
}

}  // namespace

std::span<const LongOptionSpec> longOptionTable() {
    return kLongOptions;
}

const LongOptionSpec* findLongOption(std::string_view afterDashes) {
    const std::string_view name = nameOf(afterDashes);
    for (const LongOptionSpec& option : kLongOptions)
        if (name == option.name) return &option;
    return nullptr;
}

bool applyLongOption(const LongOptionSpec& option, std::string_view argument, RunOptions& options,
                     std::string* failure) {
    const std::size_t equals = argument.find('=');
    const std::string text(argument);
    if (option.value == LongOptionValue::None) {
        if (equals != std::string_view::npos) {
            *failure = text + ": --" + option.name + " takes no value";
            return false;
        }
        option.apply(options, 0);
        return true;
    }
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view{} : argument.substr(equals + 1);
    long long number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (value.empty() || error != std::errc{} || end != value.data() + value.size() || number < 1) {
        *failure = text + ": give --" + option.name + "=" + option.valueName + " with " + option.valueName +
                   " a whole number of 1 or more";
        return false;
    }
    option.apply(options, number);
    return true;
}
