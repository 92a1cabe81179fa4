#include "files/output_pattern.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void expectAccepted(const std::string& pattern) {
    const Status status = validateOutputPattern(pattern);
    EXPECT_TRUE(status.ok()) << pattern << ": " << status.message();
    EXPECT_TRUE(status.message().empty()) << pattern;
}

// Refused, with a message that quotes the pattern and gives the reason.
void expectRefused(const std::string& pattern, const std::string& reason) {
    const Status status = validateOutputPattern(pattern);
    const std::string& message = status.message();
    EXPECT_FALSE(status.ok()) << pattern;
    EXPECT_EQ(ErrorCode::kBadInput, status.code()) << pattern;
    EXPECT_NE(std::string::npos, message.find("bad output name")) << pattern << ": " << message;
    EXPECT_NE(std::string::npos, message.find(reason)) << pattern << ": " << message;
    EXPECT_EQ("", formatFrameName(pattern, 1)) << pattern;
}

}  // namespace

TEST(OutputPattern, AcceptsLiteralTextPercentPairsAndOneIntegerConversion) {
    expectAccepted("out.dpx");
    expectAccepted("shot_%05d.dpx");
    expectAccepted("/data/take.2/%d.dpx");
    expectAccepted("%d");
    expectAccepted("%0d.dpx");
    expectAccepted("%10d.dpx");
    expectAccepted("%010d.dpx");
    expectAccepted("100%%_%04d%%.dpx");
    expectAccepted("*_%06d.dpx");
    expectAccepted("null.dpx");
}

TEST(OutputPattern, RefusesEveryOtherConversion) {
    expectRefused("shot_%s.dpx", "\"%s\" is not allowed");
    expectRefused("shot_%n.dpx", "\"%n\" is not allowed");
    expectRefused("shot_%x.dpx", "\"%x\" is not allowed");
    expectRefused("shot_%i.dpx", "\"%i\" is not allowed");
    expectRefused("shot_%u.dpx", "\"%u\" is not allowed");
    expectRefused("shot_%ld.dpx", "\"%l\" is not allowed");
    expectRefused("shot_%-5d.dpx", "\"%-\" is not allowed");
    expectRefused("shot_%+d.dpx", "\"%+\" is not allowed");
    expectRefused("shot_% d.dpx", "\"% \" is not allowed");
    expectRefused("shot_%#d.dpx", "\"%#\" is not allowed");
    expectRefused("shot_%5.3d.dpx", "\"%5.\" is not allowed");
    expectRefused("shot_%00d.dpx", "\"%00\" is not allowed");
    expectRefused("shot_%*d.dpx", "\"%*\" is not allowed");
    expectRefused("shot_%1$d.dpx", "\"%1$\" is not allowed");
    expectRefused("%d_%d.dpx", "more than one conversion");
    expectRefused("%05d_%%_%d", "more than one conversion");
    expectRefused("out.dpx%", "ends inside a conversion");
    expectRefused("out%05", "ends inside a conversion");
    expectRefused("%11d.dpx", "wider than 10");
    expectRefused("%011d.dpx", "wider than 10");
    expectRefused("%99999999999999999999d.dpx", "wider than 10");
    expectRefused("", "it is empty");
    expectRefused(std::string("a\0%d", 4), "zero byte");
}

TEST(OutputPattern, FormatsTheFrameNumberWithoutUsingThePatternAsAFormat) {
    EXPECT_EQ("shot_00010.dpx", formatFrameName("shot_%05d.dpx", 10));
    EXPECT_EQ("shot_00012.dpx", formatFrameName("shot_%05d.dpx", 12));
    EXPECT_EQ("shot_123456.dpx", formatFrameName("shot_%05d.dpx", 123456));
    EXPECT_EQ("out.dpx", formatFrameName("out.dpx", 99));
    EXPECT_EQ("100%_7%.dpx", formatFrameName("100%%_%d%%.dpx", 7));
    EXPECT_EQ("  5.dpx", formatFrameName("%3d.dpx", 5));
    EXPECT_EQ("-3.dpx", formatFrameName("%d.dpx", -3));
    EXPECT_EQ("0.dpx", formatFrameName("%0d.dpx", 0));
    EXPECT_EQ("4294967296.dpx", formatFrameName("%d.dpx", 4294967296LL));  // beyond 32 bits, no wrap
    EXPECT_EQ("0000000042.dpx", formatFrameName("%010d.dpx", 42));
}

TEST(OutputPattern, NamesMustStayBelowThePathLimit) {
    const std::string longest(4094, 'a');
    expectAccepted(longest + "%d");
    EXPECT_EQ(4095u, formatFrameName(longest + "%d", 7).size());
    EXPECT_EQ("", formatFrameName(longest + "%d", 12));  // 4096 bytes
    expectAccepted(std::string(4095, 'b'));
    expectRefused(std::string(4096, 'b'), "longer than 4095 bytes");
    expectRefused(std::string(4090, 'c') + "%06d", "longer than 4095 bytes");
}
