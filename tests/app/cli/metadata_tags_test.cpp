#include "app/cli/metadata_tags.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/report/console.h"

namespace {

struct Added {
    MetadataTagList tags;
    std::string printed;  // standard output: the echo lines
    std::string warned;   // standard error: what was cut or left out
};

Added add(const std::vector<std::string>& arguments) {
    Added added;
    Console console(false);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (const auto& argument : arguments) {
        if (argument[0] == '+')
            addTagArgument(argument.c_str(), added.tags, console);
        else
            addFreeformArgument(argument.c_str(), added.tags, console);
    }
    added.warned = testing::internal::GetCapturedStderr();
    added.printed = testing::internal::GetCapturedStdout();
    return added;
}

std::vector<std::uint8_t> usedBytes(const MetadataTagList& tags) {
    return {tags.bytes.begin(), tags.bytes.begin() + tags.used};
}

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

// The record a string value makes: tag, 24-bit little-endian size, 'c', the
// characters, zeros up to a multiple of 4.
std::vector<std::uint8_t> stringRecord(const std::string& tag, const std::string& value) {
    std::vector<std::uint8_t> record = bytesOf(tag);
    record.push_back(static_cast<std::uint8_t>(value.size() & 0xFF));
    record.push_back(static_cast<std::uint8_t>(value.size() >> 8));
    record.push_back(0);
    record.push_back('c');
    for (char c : value) record.push_back(static_cast<std::uint8_t>(c));
    while (record.size() % 4 != 0) record.push_back(0);
    return record;
}

std::vector<std::uint8_t> floatValueBytes(std::initializer_list<float> values) {
    std::vector<std::uint8_t> bytes;
    for (float value : values) {
        std::uint32_t word = 0;
        std::memcpy(&word, &value, 4);
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    }
    return bytes;
}

std::vector<std::uint8_t> concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(MetadataTag, IntegerAndHexadecimalValues) {
    const Added timb = add({"+TIMB=24"});
    EXPECT_EQ(
        (std::vector<std::uint8_t>{0x54, 0x49, 0x4D, 0x42, 0x04, 0x00, 0x00, 0x4C, 0x18, 0x00, 0x00, 0x00}),
        usedBytes(timb.tags));
    EXPECT_EQ("add TIMB = 24 (int)\n", timb.printed);

    const Added zero = add({"+ABCD=0"});
    EXPECT_EQ((std::vector<std::uint8_t>{'A', 'B', 'C', 'D', 4, 0, 0, 'L', 0, 0, 0, 0}),
              usedBytes(zero.tags));
    EXPECT_EQ("add ABCD = 0 (int)\n", zero.printed);

    // -5 is 0xFFFFFFFB; "1-2" reads as atoi does, up to the minus sign.
    const Added negative = add({"+ABCD=-5", "+ABCD=1-2"});
    EXPECT_EQ((std::vector<std::uint8_t>{'A', 'B', 'C', 'D', 4, 0, 0, 'L', 0xFB, 0xFF, 0xFF, 0xFF,
                                         'A', 'B', 'C', 'D', 4, 0, 0, 'L', 1,    0,    0,    0}),
              usedBytes(negative.tags));
    EXPECT_EQ("add ABCD = -5 (int)\nadd ABCD = 1 (int)\n", negative.printed);

    const Added hex = add({"+ABCD=0x1F"});
    EXPECT_EQ((std::vector<std::uint8_t>{'A', 'B', 'C', 'D', 4, 0, 0, 'H', 0x1F, 0, 0, 0}),
              usedBytes(hex.tags));
    EXPECT_EQ("add ABCD = 0x0000001f (hex)\n", hex.printed);

    // Only a lower-case x makes hexadecimal; 0X with its letter is a string.
    const Added upperX = add({"+ABCD=0X1F", "+ABCD=0x"});
    EXPECT_EQ(concat(stringRecord("ABCD", "0X1F"), {'A', 'B', 'C', 'D', 4, 0, 0, 'H', 0, 0, 0, 0}),
              usedBytes(upperX.tags));
    EXPECT_EQ("add ABCD = 0X1F (string)\nadd ABCD = 0x00000000 (hex)\n", upperX.printed);
}

TEST(MetadataTag, StringValues) {
    const Added timc = add({"+TIMC=01:12:32:15"});
    EXPECT_EQ(20, timc.tags.used);
    EXPECT_EQ((std::vector<std::uint8_t>{'T', 'I', 'M', 'C', 11,  0,   0,   'c', '0', '1',
                                         ':', '1', '2', ':', '3', '2', ':', '1', '5', 0}),
              usedBytes(timc.tags));
    EXPECT_EQ("add TIMC = 01:12:32:15 (string)\n", timc.printed);

    // The parentheses make a string of 25 characters: 8 + 28 bytes.
    const Added colm = add({"+COLM=(1,0,0,0,1,0,0,0,1,0,0,0)"});
    EXPECT_EQ(stringRecord("COLM", "(1,0,0,0,1,0,0,0,1,0,0,0)"), usedBytes(colm.tags));
    EXPECT_EQ(36, colm.tags.used);
    EXPECT_EQ("add COLM = (1,0,0,0,1,0,0,0,1,0,0,0) (string)\n", colm.printed);

    // A value full of printf conversions is printed as text, never used as a format.
    const Added percent = add({"+LOOK=%s%n%x"});
    EXPECT_EQ("add LOOK = %s%n%x (string)\n", percent.printed);
    EXPECT_EQ(stringRecord("LOOK", "%s%n%x"), usedBytes(percent.tags));
}

TEST(MetadataTag, FloatAndFloatArrayValues) {
    const Added hpnt = add({"+HPNT=0.7"});
    // 0.7 as a 32-bit float is 0x3F333333.
    EXPECT_EQ((std::vector<std::uint8_t>{'H', 'P', 'N', 'T', 4, 0, 0, 'f', 0x33, 0x33, 0x33, 0x3F}),
              usedBytes(hpnt.tags));
    EXPECT_EQ("add HPNT = 0.700000\n", hpnt.printed);

    const Added rgbo = add({"+RGBO=0.000,0.002,-0.004"});
    EXPECT_EQ(concat({'R', 'G', 'B', 'O', 12, 0, 0, 'f'}, floatValueBytes({0.0f, 0.002f, -0.004f})),
              usedBytes(rgbo.tags));
    EXPECT_EQ("add RGBO = 0.000000,0.002000,-0.004000\n", rgbo.printed);

    // A comma alone makes an array; the reading stops at the first value it
    // cannot read and what it did not reach stays 0.
    const Added partial = add({"+GAMT=1,,2", "+ABCD=1,2"});
    EXPECT_EQ(concat(concat({'G', 'A', 'M', 'T', 12, 0, 0, 'f'}, floatValueBytes({1.0f, 0.0f, 0.0f})),
                     concat({'A', 'B', 'C', 'D', 8, 0, 0, 'f'}, floatValueBytes({1.0f, 2.0f}))),
              usedBytes(partial.tags));
    EXPECT_EQ("add GAMT = 1.000000,0.000000,0.000000\nadd ABCD = 1.000000,2.000000\n", partial.printed);

    // A dot alone is a float that cannot be read: 0.0. "1.5.5" reads 1.5.
    const Added odd = add({"+EXPS=.", "+EXPS=1.5.5"});
    EXPECT_EQ(concat(concat({'E', 'X', 'P', 'S', 4, 0, 0, 'f'}, floatValueBytes({0.0f})),
                     concat({'E', 'X', 'P', 'S', 4, 0, 0, 'f'}, floatValueBytes({1.5f}))),
              usedBytes(odd.tags));
    EXPECT_EQ("add EXPS = 0.000000\nadd EXPS = 1.500000\n", odd.printed);
}

TEST(MetadataTag, ArraysKeepTheirFirstSixteenValues) {
    std::string values;
    for (int value = 1; value <= 20; ++value) values += (value > 1 ? "," : "") + std::to_string(value);
    const Added added = add({"+COLM=" + values});
    std::vector<std::uint8_t> expected = {'C', 'O', 'L', 'M', 64, 0, 0, 'f'};
    for (int value = 1; value <= 16; ++value)
        expected = concat(expected, floatValueBytes({static_cast<float>(value)}));
    EXPECT_EQ(expected, usedBytes(added.tags));
    std::string echo = "add COLM = ";
    for (int value = 1; value <= 16; ++value)
        echo += (value > 1 ? "," : "") + std::to_string(value) + ".000000";
    EXPECT_EQ(echo + "\n", added.printed);
    EXPECT_EQ("raw2tvx: warning: +COLM=" + values + ": 20 values given, only the first 16 are kept\n",
              added.warned);
}

TEST(MetadataTag, MalformedArgumentsAreIgnoredSilently) {
    const Added added = add({"+ABC=1", "+ABCDE1", "+ABCD=", "+", "+AB=CD=1"});
    EXPECT_EQ(0, added.tags.used);
    EXPECT_EQ("", added.printed);
}

TEST(MetadataFreeform, NameAndValueRecords) {
    const Added director = add({":Director=Q. Ombry"});
    EXPECT_EQ(concat(stringRecord("TAGN", "Director"), stringRecord("TAGV", "Q. Ombry")),
              usedBytes(director.tags));
    EXPECT_EQ(32, director.tags.used);
    EXPECT_EQ("add Director = Q. Ombry (freeform)\n", director.printed);

    // The first '=' from position 2 on ends the name; the value may be empty.
    const Added edges = add({":a=b", ":ab=", ":=a=b"});
    EXPECT_EQ(concat(concat(concat(stringRecord("TAGN", "a"), stringRecord("TAGV", "b")),
                            concat(stringRecord("TAGN", "ab"), stringRecord("TAGV", ""))),
                     concat(stringRecord("TAGN", "=a"), stringRecord("TAGV", "b"))),
              usedBytes(edges.tags));
    EXPECT_EQ("add a = b (freeform)\nadd ab =  (freeform)\nadd =a = b (freeform)\n", edges.printed);

    const Added ignored = add({":=abc", ":a=", ":abcdef", ":"});
    EXPECT_EQ(0, ignored.tags.used);
    EXPECT_EQ("", ignored.printed);
}

TEST(MetadataFreeform, LongNamesAndValuesAreCutTo255Characters) {
    const std::string name(300, 'n');
    const std::string value(256, 'v');
    const Added added = add({":" + name + "=" + value});
    EXPECT_EQ(
        concat(stringRecord("TAGN", std::string(255, 'n')), stringRecord("TAGV", std::string(255, 'v'))),
        usedBytes(added.tags));
    EXPECT_EQ("add " + std::string(255, 'n') + " = " + std::string(255, 'v') + " (freeform)\n",
              added.printed);
    EXPECT_EQ(
        "raw2tvx: warning: freeform name of 300 characters cut to 255\n"
        "raw2tvx: warning: freeform value of 256 characters cut to 255\n",
        added.warned);
}

TEST(MetadataList, ARecordThatDoesNotFitIsNotAdded) {
    // 16 strings of 1024 characters take 16 * 1032 = 16512 bytes; one of 120
    // characters takes the last 128, so the list is exactly full.
    std::vector<std::string> arguments(16, "+LOOK=" + std::string(1024, 'x'));
    arguments.push_back("+LOOK=" + std::string(120, 'y'));
    Added full = add(arguments);
    ASSERT_EQ(16640, full.tags.used);
    Console console(false);

    testing::internal::CaptureStderr();
    addTagArgument("+TIMB=24", full.tags, console);
    addFreeformArgument(":a=b", full.tags, console);
    const std::string warned = testing::internal::GetCapturedStderr();
    EXPECT_EQ(16640, full.tags.used);
    EXPECT_EQ(
        "raw2tvx: warning: +TIMB=24: not added: the metadata list of 16640 bytes is full\n"
        "raw2tvx: warning: :a=b: not added: the metadata list of 16640 bytes is full\n",
        warned);

    // With 24 bytes left the 16-byte name record would fit but not both: neither
    // is added. A later record that fits still goes in.
    std::vector<std::string> almost(16, "+LOOK=" + std::string(1024, 'x'));
    almost.push_back("+LOOK=" + std::string(96, 'y'));
    Added nearlyFull = add(almost);
    ASSERT_EQ(16616, nearlyFull.tags.used);
    const std::string tooLong = "+LOOK=" + std::string(17, 'z');
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    addFreeformArgument(":abcde=fghij", nearlyFull.tags, console);
    addTagArgument(tooLong.c_str(), nearlyFull.tags, console);
    addTagArgument("+TIMB=24", nearlyFull.tags, console);
    const std::string nearlyWarned = testing::internal::GetCapturedStderr();
    const std::string nearlyPrinted = testing::internal::GetCapturedStdout();
    EXPECT_EQ(16616 + 12, nearlyFull.tags.used);
    EXPECT_EQ("add TIMB = 24 (int)\n", nearlyPrinted);
    EXPECT_EQ(
        "raw2tvx: warning: :abcde=fghij: not added: the metadata list of 16640 bytes is full\n"
        "raw2tvx: warning: +LOOK=" +
            std::string(17, 'z') + ": not added: the metadata list of 16640 bytes is full\n",
        nearlyWarned);
}
