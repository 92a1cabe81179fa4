#include "app/cli/number_text.h"

#include <cstdlib>

namespace {

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

int readDecimal(const char* text, std::int32_t* value) {
    const char* position = text;
    while (isWhiteSpace(*position)) ++position;
    bool negative = false;
    if (*position == '+' || *position == '-') negative = *position++ == '-';
    if (*position < '0' || *position > '9') return 0;
    // The magnitude stops growing just past what 32 bits can hold, so the
    // accumulator never overflows however many digits follow.
    constexpr std::int64_t kMagnitudeCap = std::int64_t{1} << 32;
    std::int64_t magnitude = 0;
    while (*position >= '0' && *position <= '9') {
        magnitude = magnitude * 10 + (*position++ - '0');
        if (magnitude > kMagnitudeCap) magnitude = kMagnitudeCap;
    }
    std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX) signedValue = INT32_MAX;
    if (signedValue < INT32_MIN) signedValue = INT32_MIN;
    *value = static_cast<std::int32_t>(signedValue);
    return static_cast<int>(position - text);
}

std::int32_t readInteger(const char* text) {
    std::int32_t value = 0;
    readDecimal(text, &value);
    return value;
}

std::uint32_t readHexadecimal(const char* text) {
    while (isWhiteSpace(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text += 2;
    constexpr std::uint64_t kMaximum = 0xFFFFFFFFu;
    std::uint64_t magnitude = 0;
    for (int digit = hexDigitValue(*text); digit >= 0; digit = hexDigitValue(*++text)) {
        magnitude = magnitude * 16 + static_cast<std::uint64_t>(digit);
        if (magnitude > kMaximum) magnitude = kMaximum + 1;
    }
    if (magnitude > kMaximum) magnitude = kMaximum;
    const auto value = static_cast<std::uint32_t>(magnitude);
    return negative ? 0u - value : value;
}

int readFloat(const char* text, float* value) {
    char* end = nullptr;
    const float read = std::strtof(text, &end);
    if (end == text) return 0;
    *value = read;
    return static_cast<int>(end - text);
}
