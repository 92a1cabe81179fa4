#include "raw/dark_clip.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

using testing_support::runMkclip;
using testing_support::TempDir;
using testing_support::writeFileBytes;

namespace {

void makeClip(const std::string& path, const std::vector<std::string>& options) {
    std::vector<std::string> arguments = options;
    arguments.push_back(path);
    const auto result = runMkclip(arguments);
    ASSERT_EQ(0, result.exitCode) << result.err;
}

// A bright chart and a lens-cap clip, 320 x 240 x 14 / 8 = 134400 bytes a frame.
void makeBright(const std::string& path) {
    makeClip(path, {"--width", "320", "--height", "240", "--frames", "10", "--scene", "chart"});
}
void makeDark(const std::string& path) {
    makeClip(path, {"--width", "320", "--height", "240", "--frames", "10", "--scene", "lenscap"});
}

// listed: the chosen clip's name as the directory listing gives it.
DarkClipSearch search(const std::string& pattern, std::string& listed) {
    DarkClipSearch result = findDarkClip(pattern);
    listed = result.listedName;
    return result;
}

}  // namespace

TEST(DarkClip, MeasuresTheFourteenBitGroupsOfTheSample) {
    // 0xFC 0xFF then zeros: s0 = 16383, s1..s7 = 0.
    std::array<unsigned char, 14> group{0xFC, 0xFF};
    DarkSampleStats stats = measurePackedSamples(group.data(), group.size());
    EXPECT_EQ(8, stats.samples);
    EXPECT_EQ(0, stats.minimum);
    EXPECT_EQ(16383 / 8, stats.mean);
    // 0x03 0x00: s1 = 12288, the others 0; 13 bytes hold no whole group.
    group = {0x03, 0x00};
    stats = measurePackedSamples(group.data(), group.size());
    EXPECT_EQ(12288 / 8, stats.mean);
    EXPECT_EQ(0, measurePackedSamples(group.data(), 13).samples);
    // At most 74898 groups are taken, however many the buffer holds.
    std::vector<unsigned char> many(75000 * 14, 0xFF);
    EXPECT_EQ(74898 * 8, measurePackedSamples(many.data(), many.size()).samples);
    EXPECT_EQ(16383, measurePackedSamples(many.data(), many.size()).minimum);
}

TEST(DarkClip, ChoosesTheLensCapClipWhateverTheListingOrder) {
    for (const bool darkFirst : {true, false}) {
        TempDir dir;
        const std::string darkName = darkFirst ? "a_cap.RAW" : "b_cap.RAW";
        makeBright(dir.file(darkFirst ? "b_chart.RAW" : "a_chart.RAW"));
        makeDark(dir.file(darkName));
        std::string printed;
        const DarkClipSearch result = search(dir.path() + "/*.RAW", printed);
        EXPECT_EQ(DarkClipOutcome::Chosen, result.outcome);
        EXPECT_EQ(dir.file(darkName), result.path);
        EXPECT_EQ(darkName, printed);
    }
}

TEST(DarkClip, BuildsTheCandidateFromTheMatchNameAndResolvesItsCase) {
    // The pattern matches the .R00 continuation; the candidate is its .RAW
    // file, found under its lower-case name. The listed name is given.
    TempDir dir;
    makeDark(dir.file("cap.raw"));
    writeFileBytes(dir.file("cap.r00"), "x");
    std::string printed;
    const DarkClipSearch result = search(dir.path() + "/*.R00", printed);
    EXPECT_EQ(DarkClipOutcome::Chosen, result.outcome);
    EXPECT_EQ(dir.file("cap.raw"), result.path);
    EXPECT_EQ("cap.r00", printed);
}

TEST(DarkClip, KeepsThePatternWhenNothingQualifiesAndReportsNoMatch) {
    TempDir dir;
    makeBright(dir.file("chart.RAW"));
    writeFileBytes(dir.file("junk.RAW"), std::string(1000, '\0'));  // no trailer
    makeClip(dir.file("v2.RAW"),
             {"--width", "320", "--height", "240", "--frames", "2", "--scene", "lenscap", "--version", "2"});
    std::string printed;
    DarkClipSearch result = search(dir.path() + "/*.RAW", printed);
    EXPECT_EQ(DarkClipOutcome::NoneQualifies, result.outcome);
    EXPECT_EQ(dir.path() + "/*.RAW", result.path);
    EXPECT_EQ("", printed);

    result = search(dir.path() + "/*.DPX", printed);
    EXPECT_EQ(DarkClipOutcome::NoMatch, result.outcome);
    EXPECT_EQ("", printed);
}

TEST(DarkClip, JudgesAShortClipOnTheSamplesItHoldsWithoutItsTrailer) {
    // One 16 x 4 frame: 112 bytes, 8 groups, then the trailer. Samples within
    // 12 of black 2000 qualify; the zeros in the trailer would not.
    TempDir dir;
    makeClip(dir.file("small.RAW"),
             {"--width", "16", "--height", "4", "--frames", "1", "--scene", "lenscap", "--black", "2000"});
    std::string printed;
    const DarkClipSearch result = search(dir.path() + "/sm*.raw", printed);
    EXPECT_EQ(DarkClipOutcome::Chosen, result.outcome);
    EXPECT_EQ("small.RAW", printed);

    // The rule looks at the spread, not the level: a flat clip at 3000 has a
    // spread of 0 and qualifies; the ramp (minimum 0, mean near 4347) does not.
    TempDir flat;
    makeClip(flat.file("flat.RAW"),
             {"--width", "16", "--height", "4", "--frames", "1", "--scene", "flat", "--level", "3000"});
    EXPECT_EQ(DarkClipOutcome::Chosen, search(flat.path() + "/*.RAW", printed).outcome);
    TempDir ramp;
    makeClip(ramp.file("ramp.RAW"), {"--width", "64", "--height", "64", "--frames", "1", "--scene", "ramp"});
    EXPECT_EQ(DarkClipOutcome::NoneQualifies, search(ramp.path() + "/*.RAW", printed).outcome);
}
