#include "app/cli/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(ReadInteger, ReadsLikeAtolAndClampsInsteadOfOverflowing) {
    EXPECT_EQ(-42, readInteger("  -42abc"));
    EXPECT_EQ(7, readInteger("+7"));
    EXPECT_EQ(0, readInteger("abc"));
    EXPECT_EQ(0, readInteger(""));
    EXPECT_EQ(0, readInteger("- 5"));
    EXPECT_EQ(12, readInteger("\t\n12"));
    EXPECT_EQ(INT32_MAX, readInteger("2147483647"));
    EXPECT_EQ(INT32_MIN, readInteger("-2147483648"));
    EXPECT_EQ(INT32_MAX, readInteger("99999999999999999999999999"));
    EXPECT_EQ(INT32_MIN, readInteger("-99999999999999999999999999"));
}

TEST(ReadDecimal, NeedsADigitAndReportsWhatItTook) {
    std::int32_t value = 5;
    EXPECT_EQ(0, readDecimal("-", &value));
    EXPECT_EQ(0, readDecimal(",3", &value));
    EXPECT_EQ(5, value);
    EXPECT_EQ(4, readDecimal(" -17,", &value));
    EXPECT_EQ(-17, value);
}

TEST(ReadHexadecimal, ReadsLikePercentXAndSaturates) {
    EXPECT_EQ(0x1Fu, readHexadecimal("1F"));
    EXPECT_EQ(0x1Fu, readHexadecimal("1fg"));
    EXPECT_EQ(0x10u, readHexadecimal("0x10"));
    EXPECT_EQ(0u, readHexadecimal(""));
    EXPECT_EQ(0u, readHexadecimal("zz"));
    EXPECT_EQ(0xFFFFFFFFu, readHexadecimal("ffffffff"));
    EXPECT_EQ(0xFFFFFFFFu, readHexadecimal("123456789abcdef"));
    EXPECT_EQ(0xFFFFFFFFu, readHexadecimal("-1"));
}

TEST(ReadFloat, KeepsTheValueWhenNothingCanBeRead) {
    float value = 113.0f;
    EXPECT_EQ(0, readFloat("abc", &value));
    EXPECT_EQ(0, readFloat("", &value));
    EXPECT_EQ(0, readFloat("-", &value));
    EXPECT_EQ(113.0f, value);
    EXPECT_EQ(3, readFloat("2.2x", &value));
    EXPECT_EQ(2.2f, value);
    EXPECT_EQ(3, readFloat(" -4", &value));
    EXPECT_EQ(-4.0f, value);
}
