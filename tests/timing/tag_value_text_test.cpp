#include "timing/tag_value_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string escape(const std::string& text) {
    return escapeText(bytesOf(text));
}

MovieTag tag(std::int32_t type, std::vector<std::uint8_t> value) {
    return {makeTagCode("TEST"), type, std::move(value)};
}

}  // namespace

TEST(TagValueText, NumbersReadAsNumbers) {
    EXPECT_EQ("24", formatTagValue(tag('L', {0x18, 0, 0, 0})));
    EXPECT_EQ("-1,2", formatTagValue(tag('L', {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0})));
    EXPECT_EQ("0x0000001f", formatTagValue(tag('H', {0x1F, 0, 0, 0})));
    EXPECT_EQ("0x00017101", formatTagValue(tag('H', {0x01, 0x71, 0x01, 0x00})));
    EXPECT_EQ("0xffffffff", formatTagValue(tag('H', {0xFF, 0xFF, 0xFF, 0xFF})));
    // 0.7f is 0x3F333333; 0.5f is 0x3F000000; -0.004f is 0xBB83126F.
    EXPECT_EQ("0.7", formatTagValue(tag('f', {0x33, 0x33, 0x33, 0x3F})));
    EXPECT_EQ("0.5,-0.004", formatTagValue(tag('f', {0, 0, 0, 0x3F, 0x6F, 0x12, 0x83, 0xBB})));
    EXPECT_EQ("0", formatTagValue(tag('f', {0, 0, 0, 0})));
    EXPECT_EQ("nan", formatTagValue(tag('f', {0, 0, 0xC0, 0x7F})));
    EXPECT_EQ("0,255", formatTagValue(tag('b', {0, 255})));
}

// A size that is not a whole number of values, or a type we do not know,
// shows every byte rather than a part of them.
TEST(TagValueText, OddSizesAndUnknownTypesShowTheirBytes) {
    EXPECT_EQ("0x010203", formatTagValue(tag('L', {1, 2, 3})));
    EXPECT_EQ("0x0102030405", formatTagValue(tag('f', {1, 2, 3, 4, 5})));
    EXPECT_EQ("0xabcd", formatTagValue(tag('?', {0xAB, 0xCD})));
    EXPECT_EQ("", formatTagValue(tag('L', {})));
}

TEST(TagValueText, TextKeepsUtf8AndEscapesEverythingElse) {
    EXPECT_EQ("Q. Ombry", formatTagValue(tag('c', bytesOf("Q. Ombry"))));
    EXPECT_EQ("%s%n%%", escape("%s%n%%"));
    EXPECT_EQ("a\\x00b\\x0a\\x0d\\x09\\x1b\\x7f", escape(std::string("a\0b\n\r\t\x1b\x7f", 8)));
    EXPECT_EQ("back\\\\slash", escape("back\\slash"));
    // Two-, three- and four-byte characters stay as they are.
    EXPECT_EQ("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xA5", escape("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xA5"));
    // Not UTF-8: a lone continuation byte, a cut sequence, overlong forms,
    // surrogates, beyond U+10FFFF, and bytes that never occur.
    EXPECT_EQ("\\x80", escape("\x80"));
    EXPECT_EQ("\\xe2\\x82", escape("\xE2\x82"));
    EXPECT_EQ("\\xc0\\x80", escape("\xC0\x80"));
    EXPECT_EQ("\\xe0\\x80\\xaf", escape("\xE0\x80\xAF"));
    EXPECT_EQ("\\xed\\xa0\\x80", escape("\xED\xA0\x80"));
    EXPECT_EQ("\\xf4\\x90\\x80\\x80", escape("\xF4\x90\x80\x80"));
    EXPECT_EQ("\\xfe\\xff", escape("\xFE\xFF"));
    // C1 control characters are control characters too.
    EXPECT_EQ("\\xc2\\x85", escape("\xC2\x85"));
    EXPECT_EQ("\xC2\xA0", escape("\xC2\xA0"));
}

TEST(TagValueText, NamesEscapeTheirEqualsSign) {
    EXPECT_EQ("HPNT", formatTagName(makeTagCode("HPNT")));
    EXPECT_EQ("A\\x3dB\\x00", formatTagName(0x00423D41u));  // "A=B" and a zero byte
    EXPECT_EQ("Key\\x3dValue", escapeName(bytesOf("Key=Value")));
}

TEST(TagValueText, ReadsSingleNumbersForTheTimeCodeRate) {
    double number = 0;
    EXPECT_TRUE(readTagNumber(tag('L', {24, 0, 0, 0}), &number));
    EXPECT_EQ(24.0, number);
    EXPECT_TRUE(readTagNumber(tag('f', {0x33, 0x33, 0x33, 0x3F}), &number));
    EXPECT_EQ(static_cast<double>(0.7f), number);
    EXPECT_FALSE(readTagNumber(tag('c', bytesOf("24fp")), &number));
    EXPECT_FALSE(readTagNumber(tag('L', {24, 0, 0, 0, 1, 0, 0, 0}), &number));
}
