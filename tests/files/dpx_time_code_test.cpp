#include "files/dpx_time_code.h"

#include <gtest/gtest.h>

namespace {

void expectTimeCode(const char* text, int hours, int minutes, int seconds, int frames) {
    const DPXTimeCode timeCode = parseTimeCode(text);
    EXPECT_EQ(hours, timeCode.hours) << text;
    EXPECT_EQ(minutes, timeCode.minutes) << text;
    EXPECT_EQ(seconds, timeCode.seconds) << text;
    EXPECT_EQ(frames, timeCode.frames) << text;
}

}  // namespace

TEST(DpxTimeCode, ReadsFourTwoDigitFieldsFromElevenCharactersOrMore) {
    expectTimeCode("01:00:20:14", 1, 0, 20, 14);
    expectTimeCode("23:59:59:29 and more", 23, 59, 59, 29);
    expectTimeCode(" 1: 2: 3: 4", 1, 2, 3, 4);
    expectTimeCode("123:45:00:00", 12, 0, 0, 0);  // the third digit is not ':'
    expectTimeCode("01:00:xx:14", 1, 0, 0, 0);
    expectTimeCode("01-00-20-14", 1, 0, 0, 0);
    expectTimeCode("-1:+2:03:04", -1, 2, 3, 4);
    expectTimeCode("01:00:20:1", 0, 0, 0, 0);  // ten characters: ignored
    expectTimeCode("", 0, 0, 0, 0);
    expectTimeCode(nullptr, 0, 0, 0, 0);
    EXPECT_FALSE(parseTimeCode("00:00:00:00").isSet());
    EXPECT_TRUE(parseTimeCode("00:00:00:01").isSet());
}

TEST(DpxTimeCode, PacksDecimalDigitsIntoNibbles) {
    EXPECT_EQ(0x01002014u, packTimeCode(parseTimeCode("01:00:20:14")));
    EXPECT_EQ(0x23595929u, packTimeCode(parseTimeCode("23:59:59:29")));
    EXPECT_EQ(0x99000000u, packTimeCode({150, 0, 0, 0}));
    EXPECT_EQ(0x00000000u, packTimeCode({-1, 0, 0, 0}));
}

// Drop-frame counting is flagged in bit 6 of the frames byte, where time-code
// readers look for it; the frames tens digit keeps bits 4 and 5.
TEST(DpxTimeCode, DropFrameSetsBitSixOfTheFramesByte) {
    EXPECT_EQ(0x00010042u, packTimeCode({0, 1, 0, 2, true}));
    EXPECT_EQ(0x10595969u, packTimeCode({10, 59, 59, 29, true}));
    EXPECT_EQ(0x00000040u, packTimeCode({0, 0, 0, 0, true}));
    EXPECT_EQ(0x00000079u, packTimeCode({0, 0, 0, 45, true}));  // beyond 39: 39, the flag intact
    EXPECT_TRUE((DPXTimeCode{0, 0, 0, 0, true}).isSet());
}
