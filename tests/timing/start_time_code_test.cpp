#include "timing/start_time_code.h"

#include <gtest/gtest.h>

namespace {

StartTimeCode parsed(const char* text, int numerator, int denominator,
                     std::optional<double> timeCodeRate = std::nullopt) {
    const StartTimeCodeParse parse = parseStartTimeCode(text, numerator, denominator, timeCodeRate);
    EXPECT_TRUE(parse.timeCode.has_value()) << text << ": " << parse.refusal;
    EXPECT_EQ("", parse.refusal);
    return parse.timeCode.value_or(StartTimeCode{});
}

std::string refusal(const char* text, int numerator, int denominator,
                    std::optional<double> timeCodeRate = std::nullopt) {
    const StartTimeCodeParse parse = parseStartTimeCode(text, numerator, denominator, timeCodeRate);
    EXPECT_FALSE(parse.timeCode.has_value()) << text;
    EXPECT_NE("", parse.refusal) << text;
    return parse.refusal;
}

bool says(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(StartTimeCode, ReadsFieldsAndCountsAtTheRoundedRate) {
    const StartTimeCode plain = parsed("01:12:32:15", 24000, 1001);
    EXPECT_EQ(1, plain.hours);
    EXPECT_EQ(12, plain.minutes);
    EXPECT_EQ(32, plain.seconds);
    EXPECT_EQ(15, plain.frames);
    EXPECT_FALSE(plain.dropFrame);
    EXPECT_EQ(24, plain.countingBase);
    EXPECT_EQ(30, parsed("00:00:00:00", 30000, 1001).countingBase);
    EXPECT_EQ(25, parsed("23:59:59:24", 25, 1).countingBase);
    EXPECT_EQ(119, parsed("00:00:00:119", 120, 1).frames);  // three frame digits above 99
    const StartTimeCode drop = parsed("01:12:32;15", 30000, 1001);
    EXPECT_TRUE(drop.dropFrame);
    EXPECT_TRUE(parsed("00:00:00;00", 60000, 1001).dropFrame);
}

TEST(StartTimeCode, TakesAUserRateThatCountsAsTheMovieDoes) {
    EXPECT_EQ(24, parsed("01:00:00:00", 24000, 1001, 24.0).countingBase);
    EXPECT_EQ(24, parsed("01:00:00:00", 24000, 1001, 23.976).countingBase);
    EXPECT_EQ(30, parsed("01:00:00;02", 30000, 1001, 29.97).countingBase);
    EXPECT_TRUE(says(refusal("01:00:00:00", 24, 1, 25.0), "counts 25"));
    EXPECT_TRUE(says(refusal("01:00:00:00", 24, 1, 0.0), "not a positive number"));
    EXPECT_TRUE(says(refusal("01:00:00:00", 24, 1, -24.0), "not a positive number"));
}

TEST(StartTimeCode, RefusesWhatNoTimeCodeCanSay) {
    EXPECT_TRUE(says(refusal("24:00:00:00", 24, 1), "hours 24"));
    EXPECT_TRUE(says(refusal("00:60:00:00", 24, 1), "minutes 60"));
    EXPECT_TRUE(says(refusal("00:00:60:00", 24, 1), "seconds 60"));
    EXPECT_TRUE(says(refusal("00:00:00:24", 24000, 1001), "frames 24"));
    EXPECT_TRUE(says(refusal("00:00:00:25", 25, 1), "frames 25"));
    for (const char* malformed : {"", "1:12:32:15", "01:12:32:5", "01-12-32-15", "01:12:32:15 ",
                                  "01;12;32;15", "0a:12:32:15", "01:12:32:1234", "+1:12:32:15"})
        EXPECT_TRUE(says(refusal(malformed, 24, 1), "hh:mm:ss:ff")) << malformed;
    EXPECT_TRUE(says(refusal("00:00:00:00", 0, 1), "no usable frame rate"));
    EXPECT_TRUE(says(refusal("00:00:00:00", 24, 0), "no usable frame rate"));
    EXPECT_TRUE(says(refusal("00:00:00:00", 1, 3), "below one frame"));
}

// Drop-frame counting was made for 30000/1001 and its multiples only.
TEST(StartTimeCode, RefusesDropFrameWhereItDoesNotExist) {
    EXPECT_TRUE(says(refusal("01:00:00;00", 24000, 1001), "30000/1001"));
    EXPECT_TRUE(says(refusal("01:00:00;00", 30, 1), "frame rate is 30"));
    EXPECT_TRUE(says(refusal("01:00:00;00", 29969, 1000), "29969/1000"));
    EXPECT_TRUE(says(refusal("01:00:00;00", 25, 1), "25"));
    // ;00 and ;01 of minute 1 are skipped; minute 10 keeps them.
    EXPECT_TRUE(says(refusal("00:01:00;00", 30000, 1001), "skips the first 2"));
    EXPECT_TRUE(says(refusal("00:01:00;01", 30000, 1001), "skips"));
    parsed("00:01:00;02", 30000, 1001);
    parsed("00:10:00;00", 30000, 1001);
    EXPECT_TRUE(says(refusal("00:01:00;03", 60000, 1001), "skips the first 4"));
    parsed("00:01:00;04", 60000, 1001);
}

// Counts worked by hand: an hour at 30 fps drop-frame is 108000 - 6 x 18 = 107892 labels.
TEST(StartTimeCode, CountsLabelsSinceMidnight) {
    EXPECT_EQ(0, countFramesSinceMidnight(parsed("00:00:00:00", 24, 1)));
    EXPECT_EQ((3600 + 12 * 60 + 32) * 24 + 15, countFramesSinceMidnight(parsed("01:12:32:15", 24, 1)));
    EXPECT_EQ(107892, countFramesSinceMidnight(parsed("01:00:00;00", 30000, 1001)));
    EXPECT_EQ(1800, countFramesSinceMidnight(parsed("00:01:00;02", 30000, 1001)));
    EXPECT_EQ(17982, countFramesSinceMidnight(parsed("00:10:00;00", 30000, 1001)));
}

TEST(StartTimeCode, AdvancesByFramesAcrossMinutesAndMidnight) {
    const auto after = [](const char* text, int numerator, int denominator, std::int64_t frames) {
        return formatTimeCode(advanceTimeCode(parsed(text, numerator, denominator), frames));
    };
    EXPECT_EQ("01:12:32:16", after("01:12:32:15", 24, 1, 1));
    EXPECT_EQ("01:12:33:00", after("01:12:32:23", 24, 1, 1));
    EXPECT_EQ("00:00:00:00", after("23:59:59:23", 24, 1, 1));
    EXPECT_EQ("00:00:59;29", after("00:00:59;28", 30000, 1001, 1));
    EXPECT_EQ("00:01:00;02", after("00:00:59;29", 30000, 1001, 1));
    EXPECT_EQ("00:10:00;00", after("00:09:59;29", 30000, 1001, 1));
    EXPECT_EQ("00:10:00;01", after("00:09:59;29", 30000, 1001, 2));
    EXPECT_EQ("01:00:00;00", after("00:00:00;00", 30000, 1001, 107892));
    EXPECT_EQ("00:01:00;04", after("00:00:59;59", 60000, 1001, 1));
    EXPECT_EQ("00:00:00;00", after("23:59:59;29", 30000, 1001, 1));
    EXPECT_EQ("23:59:59:23", after("00:00:00:00", 24, 1, -1));
}

TEST(StartTimeCode, WritesTwoDigitFieldsAndTheDropFrameMark) {
    EXPECT_EQ("01:02:03:04", formatTimeCode(parsed("01:02:03:04", 24, 1)));
    EXPECT_EQ("01:02:03;04", formatTimeCode(parsed("01:02:03;04", 30000, 1001)));
    EXPECT_EQ("00:00:00:119", formatTimeCode(parsed("00:00:00:119", 120, 1)));
}
