#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The time code of a movie's first frame, hh:mm:ss:ff, counted at a whole
// number of frames a second (the counting base: 24 for 24000/1001, 30 for
// 30000/1001). Drop-frame counting skips the labels ;00 and ;01 (;00 to ;03
// at twice the rate) at the start of every minute except each tenth.
struct StartTimeCode {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
    bool dropFrame = false;
    int countingBase = 0;
};

// A parsed start time code, or the reason the text gives none.
struct StartTimeCodeParse {
    std::optional<StartTimeCode> timeCode;
    std::string refusal;
};

// Reads "hh:mm:ss:ff", or "hh:mm:ss;ff" for drop-frame, for a picture rate of
// rateNumerator / rateDenominator frames a second. Hours, minutes and seconds
// take two digits, frames two or three. The counting base is the rate rounded
// to the nearest whole number; a time code rate given by the user
// (timeCodeRate, integer or not) must round to that same base, since the
// labels advance by one with every picture. Refused: fields out of range,
// frames at or beyond the base, drop-frame at a rate other than 30000/1001 or
// a whole multiple of it, and drop-frame labels that the counting skips.
StartTimeCodeParse parseStartTimeCode(std::string_view text, std::int64_t rateNumerator,
                                      std::int64_t rateDenominator,
                                      std::optional<double> timeCodeRate = std::nullopt);

// Labels counted since 00:00:00:00, without the labels drop-frame skips.
std::int64_t countFramesSinceMidnight(const StartTimeCode& timeCode);

// The label `frameCount` pictures after `start`, at the same base and
// counting; the day wraps after 23:59:59.
StartTimeCode advanceTimeCode(const StartTimeCode& start, std::int64_t frameCount);

// "01:12:32:15", or "00:01:00;02" for drop-frame; frames beyond 99 take three digits.
std::string formatTimeCode(const StartTimeCode& timeCode);
