#include "timing/start_time_code.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr std::int64_t kSecondsPerDay = 24 * 60 * 60;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads `count` digits at `position`; -1 when any of them is not a digit.
int readDigits(std::string_view text, std::size_t position, std::size_t count) {
    if (position + count > text.size()) return -1;
    int value = 0;
    for (std::size_t i = position; i < position + count; ++i) {
        if (!isDigit(text[i])) return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Labels skipped at the start of a minute: 2 at 30 frames a second, 4 at 60.
int droppedLabelsPerMinute(int countingBase) {
    return countingBase / 15;
}

std::string rateText(std::int64_t numerator, std::int64_t denominator) {
    return denominator == 1 ? std::to_string(numerator)
                            : std::to_string(numerator) + "/" + std::to_string(denominator);
}

// Drop-frame counting exists where it was made for: 30000/1001 frames a
// second and whole multiples of it.
bool isDropFrameRate(std::int64_t numerator, std::int64_t denominator) {
    return (numerator * 1001) % (30000 * denominator) == 0;
}

std::string fieldRefusal(const char* field, int value, int limit) {
    return "the " + std::string(field) + " " + std::to_string(value) + " are out of range (0 to " +
           std::to_string(limit - 1) + ")";
}

StartTimeCodeParse refuse(std::string reason) {
    return {std::nullopt, std::move(reason)};
}

}  // namespace

StartTimeCodeParse parseStartTimeCode(std::string_view text, std::int64_t rateNumerator,
                                      std::int64_t rateDenominator, std::optional<double> timeCodeRate) {
    constexpr std::int64_t kLargestRateTerm = std::numeric_limits<std::int32_t>::max();
    if (rateNumerator <= 0 || rateDenominator <= 0 || rateNumerator > kLargestRateTerm ||
        rateDenominator > kLargestRateTerm)
        return refuse("there is no usable frame rate");
    const std::int64_t base = (rateNumerator + rateDenominator / 2) / rateDenominator;
    if (base < 1) return refuse("a time code cannot count a rate below one frame a second");
    const std::string pictureRate = rateText(rateNumerator, rateDenominator);

    if (timeCodeRate) {
        const double rate = *timeCodeRate;
        if (!std::isfinite(rate) || rate <= 0.0 || rate > 1.0e6)
            return refuse("the time code rate is not a positive number of frames a second");
        const long long asked = std::llround(rate);
        if (asked != base)
            return refuse("the time code rate counts " + std::to_string(asked) +
                          " frames a second but the frame rate " + pictureRate + " counts " +
                          std::to_string(base));
    }

    const bool frameDigitsOk = text.size() == 11 || text.size() == 12;
    if (!frameDigitsOk || text[2] != ':' || text[5] != ':' || (text[8] != ':' && text[8] != ';'))
        return refuse("it is not of the form hh:mm:ss:ff (or hh:mm:ss;ff for drop-frame)");
    StartTimeCode timeCode;
    timeCode.hours = readDigits(text, 0, 2);
    timeCode.minutes = readDigits(text, 3, 2);
    timeCode.seconds = readDigits(text, 6, 2);
    timeCode.frames = readDigits(text, 9, text.size() - 9);
    if (timeCode.hours < 0 || timeCode.minutes < 0 || timeCode.seconds < 0 || timeCode.frames < 0)
        return refuse("it is not of the form hh:mm:ss:ff (or hh:mm:ss;ff for drop-frame)");
    timeCode.dropFrame = text[8] == ';';
    timeCode.countingBase = static_cast<int>(base);

    if (timeCode.hours >= 24) return refuse(fieldRefusal("hours", timeCode.hours, 24));
    if (timeCode.minutes >= 60) return refuse(fieldRefusal("minutes", timeCode.minutes, 60));
    if (timeCode.seconds >= 60) return refuse(fieldRefusal("seconds", timeCode.seconds, 60));
    if (timeCode.frames >= base)
        return refuse("the frames " + std::to_string(timeCode.frames) + " are beyond the " +
                      std::to_string(base) + " frames a second the time code counts at " + pictureRate);
    if (timeCode.dropFrame) {
        if (!isDropFrameRate(rateNumerator, rateDenominator))
            return refuse(
                "drop-frame time code exists only at 30000/1001 frames a second and its "
                "multiples, and the frame rate is " +
                pictureRate);
        if (timeCode.seconds == 0 && timeCode.minutes % 10 != 0 &&
            timeCode.frames < droppedLabelsPerMinute(timeCode.countingBase))
            return refuse("drop-frame counting skips the first " +
                          std::to_string(droppedLabelsPerMinute(timeCode.countingBase)) +
                          " labels of this minute");
    }
    return {timeCode, {}};
}

std::int64_t countFramesSinceMidnight(const StartTimeCode& timeCode) {
    const std::int64_t minutes = std::int64_t{timeCode.hours} * 60 + timeCode.minutes;
    std::int64_t labels = (minutes * 60 + timeCode.seconds) * timeCode.countingBase + timeCode.frames;
    if (timeCode.dropFrame)
        labels -= droppedLabelsPerMinute(timeCode.countingBase) * (minutes - minutes / 10);
    return labels;
}

StartTimeCode advanceTimeCode(const StartTimeCode& start, std::int64_t frameCount) {
    const std::int64_t base = start.countingBase;
    StartTimeCode result = start;
    if (base < 1) return result;
    const std::int64_t dropped = start.dropFrame ? droppedLabelsPerMinute(start.countingBase) : 0;
    const std::int64_t labelsPerMinute = base * 60 - dropped;
    const std::int64_t labelsPerTenMinutes = base * 600 - dropped * 9;
    const std::int64_t labelsPerDay = labelsPerTenMinutes * (kSecondsPerDay / 600);
    std::int64_t frame = (countFramesSinceMidnight(start) + frameCount % labelsPerDay) % labelsPerDay;
    if (frame < 0) frame += labelsPerDay;
    if (dropped > 0) {
        // Put the skipped labels back, so the count reads as plain hh:mm:ss:ff.
        const std::int64_t tens = frame / labelsPerTenMinutes;
        const std::int64_t withinTen = frame % labelsPerTenMinutes;
        frame += dropped * 9 * tens;
        if (withinTen >= dropped) frame += dropped * ((withinTen - dropped) / labelsPerMinute);
    }
    result.frames = static_cast<int>(frame % base);
    const std::int64_t totalSeconds = frame / base;
    result.seconds = static_cast<int>(totalSeconds % 60);
    result.minutes = static_cast<int>(totalSeconds / 60 % 60);
    result.hours = static_cast<int>(totalSeconds / 3600);
    return result;
}

std::string formatTimeCode(const StartTimeCode& timeCode) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d%c%02d", timeCode.hours, timeCode.minutes,
                  timeCode.seconds, timeCode.dropFrame ? ';' : ':', timeCode.frames);
    return text;
}
