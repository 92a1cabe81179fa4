#include "files/output_pattern.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "files/path_name.h"

namespace {

struct ParsedPattern {
    std::string before;  // literal text before the conversion ("%%" already made '%')
    std::string after;   // literal text after it, or all of it when there is none
    bool hasConversion = false;
    bool zeroPadded = false;
    int width = 0;
};

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

Status refuse(const std::string& pattern, const std::string& reason) {
    return Status::failure(ErrorCode::kBadInput, "bad output name " + quoted(pattern) + ": " + reason);
}

const char* const kGrammar = "only %d, %Nd or %0Nd (N up to 10) and %% may be used";

Status parsePattern(const std::string& pattern, ParsedPattern* parsed) {
    if (pattern.empty()) return refuse(pattern, "it is empty");
    if (pattern.find('\0') != std::string::npos) return refuse(pattern, "it holds a zero byte");
    std::size_t index = 0;
    while (index < pattern.size()) {
        std::string& literal = parsed->hasConversion ? parsed->after : parsed->before;
        if (pattern[index] != '%') {
            literal += pattern[index++];
            continue;
        }
        const std::size_t start = index++;
        if (index < pattern.size() && pattern[index] == '%') {
            literal += '%';
            ++index;
            continue;
        }
        bool zeroPadded = false;
        if (index < pattern.size() && pattern[index] == '0') {
            zeroPadded = true;
            ++index;
        }
        int width = 0;
        int widthDigits = 0;
        if (index < pattern.size() && pattern[index] >= '1' && pattern[index] <= '9') {
            while (index < pattern.size() && pattern[index] >= '0' && pattern[index] <= '9') {
                if (++widthDigits > 2) return refuse(pattern, "the frame number is wider than 10");
                width = width * 10 + (pattern[index++] - '0');
            }
        }
        if (index >= pattern.size())
            return refuse(pattern, "it ends inside a conversion; write %% for a percent sign");
        if (pattern[index] != 'd') {
            const std::string conversion = pattern.substr(start, index + 1 - start);
            return refuse(pattern, "the conversion " + quoted(conversion) + " is not allowed; " + kGrammar);
        }
        ++index;
        if (width > kMaxFrameNumberWidth) return refuse(pattern, "the frame number is wider than 10");
        if (parsed->hasConversion)
            return refuse(pattern, "it holds more than one conversion; " + std::string(kGrammar));
        parsed->hasConversion = true;
        parsed->zeroPadded = zeroPadded;
        parsed->width = width;
    }
    return {};
}

std::string formatNumber(const ParsedPattern& parsed, std::int64_t frameNumber) {
    std::array<char, 32> digits{};
    const auto number = static_cast<long long>(frameNumber);
    if (parsed.zeroPadded)
        std::snprintf(digits.data(), digits.size(), "%0*lld", parsed.width, number);
    else
        std::snprintf(digits.data(), digits.size(), "%*lld", parsed.width, number);
    return digits.data();
}

}  // namespace

Status validateOutputPattern(const std::string& pattern) {
    ParsedPattern parsed;
    if (Status parsedStatus = parsePattern(pattern, &parsed); !parsedStatus.ok()) return parsedStatus;
    const std::size_t shortestNumber = parsed.hasConversion ? std::max(parsed.width, 1) : 0;
    if (parsed.before.size() + shortestNumber + parsed.after.size() >= kPathCapacity)
        return refuse(pattern.substr(0, 64) + "...",
                      "the file name is longer than " + std::to_string(kPathCapacity - 1) + " bytes");
    return {};
}

std::string formatFrameName(const std::string& pattern, std::int64_t frameNumber) {
    ParsedPattern parsed;
    if (!parsePattern(pattern, &parsed).ok()) return {};
    std::string name = parsed.before;
    if (parsed.hasConversion) name += formatNumber(parsed, frameNumber);
    name += parsed.after;
    if (name.size() >= kPathCapacity) return {};
    return name;
}
