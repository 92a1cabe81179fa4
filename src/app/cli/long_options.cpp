#include "app/cli/long_options.h"

#include <array>
#include <charconv>

namespace {

constexpr long long kMostThreads = 4096;
// Frame and clip numbers stay well inside 64 bits whatever is added to them.
constexpr long long kLargestNumber = 1'000'000'000'000LL;

// The vector forms --simd names, narrowest first, as platform::kSimdForms orders them.
constexpr const char* kSimdChoices[] = {"scalar", "sse4", "avx2", "avx512", nullptr};

const std::array<LongOptionSpec, 10> kLongOptions = {{
    {"threads", LongOptionValue::Count, "N", "N threads at work (default: one a CPU the process may use)",
     [](RunOptions& options, long long number) {
         options.threads = static_cast<int>(number > kMostThreads ? kMostThreads : number);
     }},
    {"keep-going", LongOptionValue::None, nullptr,
     "go on past a clip that cannot be read; exit with the worst code",
     [](RunOptions& options, long long) { options.keepGoing = true; }},
    {"archive", LongOptionValue::None, nullptr,
     "a camera archive: the clip's samples as stored, lossless, to develop later",
     [](RunOptions& options, long long) { options.archive = true; }},
    {"verify", LongOptionValue::None, nullptr,
     "check archives (ARCHIVE.mov [CLIP.RAW]): every frame against its checksum, and the clip",
     [](RunOptions& options, long long) { options.verify = true; }},
    {"plan", LongOptionValue::None, nullptr,
     "say what the run would do, as JSON on standard output; convert nothing",
     [](RunOptions& options, long long) { options.plan = true; }},
    {"clip-index", LongOptionValue::Number, "K",
     "convert the K-th clip (from 0) of the run only, named and numbered as in the whole run",
     [](RunOptions& options, long long number) { options.clipIndex = static_cast<std::uint64_t>(number); }},
    {"first-number", LongOptionValue::Number, "N",
     "the number of the run's first frame (default: the in point)",
     [](RunOptions& options, long long number) { options.firstNumber = number; }},
    {"skip-existing", LongOptionValue::None, nullptr, "pass over a clip whose outputs are all there",
     [](RunOptions& options, long long) { options.skipExisting = true; }},
    {"no-clobber", LongOptionValue::None, nullptr, "refuse a run that would replace a file, before writing",
     [](RunOptions& options, long long) { options.noClobber = true; }},
    {"simd", LongOptionValue::Choice, "FORM",
     "vector kernels no wider than FORM: scalar, sse4, avx2 or avx512 (default: the widest the CPU runs)",
     [](RunOptions& options, long long index) { options.widestSimd = static_cast<int>(index); },
     kSimdChoices},
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
    if (option.value == LongOptionValue::Choice) {
        std::string words;
        for (long long index = 0; option.choices[index] != nullptr; ++index) {
            if (value == option.choices[index]) {
                option.apply(options, index);
                return true;
            }
            words += std::string(words.empty() ? "" : ", ") + option.choices[index];
        }
        *failure = text + ": give --" + option.name + "=" + option.valueName + " with " + option.valueName +
                   " one of " + words;
        return false;
    }
    long long number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    const long long least = option.value == LongOptionValue::Count ? 1 : 0;
    if (value.empty() || error != std::errc{} || end != value.data() + value.size() || number < least ||
        number > kLargestNumber) {
        *failure = text + ": give --" + option.name + "=" + option.valueName + " with " + option.valueName +
                   " a whole number of " + std::to_string(least) + " or more";
        return false;
    }
    option.apply(options, number);
    return true;
}
