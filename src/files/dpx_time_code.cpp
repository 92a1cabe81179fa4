#include "files/dpx_time_code.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kTimeCodeLength = 11;  // "00:00:00:00"
constexpr int kFieldWidth = 2;

bool isBlank(char character) {
    return character == ' ' || character == '\t' || character == '\n' || character == '\v' ||
           character == '\f' || character == '\r';
}

// One field read the way a two-character decimal conversion reads it.
bool readField(const char*& cursor, std::int32_t* value) {
    while (isBlank(*cursor)) ++cursor;
    int used = 0;
    bool negative = false;
    if (*cursor == '+' || *cursor == '-') {
        negative = *cursor == '-';
        ++cursor;
        ++used;
    }
    int digits = 0;
    std::int32_t number = 0;
    while (used < kFieldWidth && *cursor >= '0' && *cursor <= '9') {
        number = number * 10 + (*cursor - '0');
        ++cursor;
        ++used;
        ++digits;
    }
    if (digits == 0) return false;
    *value = negative ? -number : number;
    return true;
}

std::uint32_t packField(std::int32_t value) {
    const std::int32_t clamped = std::clamp(value, 0, 99);
    return static_cast<std::uint32_t>((clamped / 10) << 4 | (clamped % 10));
}

}  // namespace

DPXTimeCode parseTimeCode(const char* text) {
    DPXTimeCode timeCode;
    if (text == nullptr || std::strlen(text) < kTimeCodeLength) return timeCode;
    std::int32_t* const fields[] = {&timeCode.hours, &timeCode.minutes, &timeCode.seconds, &timeCode.frames};
    const char* cursor = text;
    for (std::size_t index = 0; index < 4; ++index) {
        if (index > 0) {
            if (*cursor != ':') break;
            ++cursor;
        }
        if (!readField(cursor, fields[index])) break;
    }
    return timeCode;
}

std::uint32_t packTimeCode(const DPXTimeCode& timeCode) {
    constexpr std::uint32_t kDropFrameFlag = 0x40;
    constexpr std::int32_t kLargestDropFrameLabel = 39;
    const std::uint32_t frames =
        timeCode.dropFrame ? packField(std::min(timeCode.frames, kLargestDropFrameLabel)) | kDropFrameFlag
                           : packField(timeCode.frames);
    return packField(timeCode.hours) << 24 | packField(timeCode.minutes) << 16 |
           packField(timeCode.seconds) << 8 | frames;
}

DPXTimeCode unpackTimeCode(std::uint32_t packed) {
    const auto field = [packed](int shift) {
        return static_cast<std::int32_t>((packed >> (shift + 4) & 0xF) * 10 + (packed >> shift & 0xF));
    };
    return DPXTimeCode{field(24), field(16), field(8), field(0)};
}
