#include "app/outputs/dpx_time_codes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/metadata_tags.h"
#include "app/report/console.h"

namespace {

MetadataTagList tagList(const std::vector<std::string>& arguments) {
    MetadataTagList tags;
    Console console(false);
    testing::internal::CaptureStdout();  // the echo lines
    for (const std::string& argument : arguments) {
        if (argument[0] == '+')
            addTagArgument(argument.c_str(), tags, console);
        else
            addFreeformArgument(argument.c_str(), tags, console);
    }
    testing::internal::GetCapturedStdout();
    return tags;
}

std::string labelOf(const DPXFrameTiming& timing) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d%c%02d", timing.timeCode.hours, timing.timeCode.minutes,
                  timing.timeCode.seconds, timing.timeCode.dropFrame ? ';' : ':', timing.timeCode.frames);
    return text;
}

}  // namespace

TEST(DpxTimeCodes, NoTimeCodeTagMeansNoTimeCodeAndNoWarning) {
    const DpxTimeCodes none = planDpxTimeCodes(tagList({"+HPNT=0.7", ":Director=Q. Ombry"}), 24, 1);
    EXPECT_FALSE(none.start);
    EXPECT_EQ("", none.warning);
    const DPXFrameTiming timing = dpxFrameTiming(none, 5);
    EXPECT_FALSE(timing.timeCode.isSet());
    EXPECT_EQ(0.0f, timing.frameRate);
}

// Each file is one label after the one before, at the clip's counting base.
TEST(DpxTimeCodes, FilesCountOnFromTheStartTimeCode) {
    const DpxTimeCodes at24 = planDpxTimeCodes(tagList({"+TIMC=01:12:32:15", "+TIMB=24"}), 24000, 1001);
    ASSERT_TRUE(at24.start) << at24.warning;
    EXPECT_EQ("", at24.warning);
    EXPECT_EQ(24000.0f / 1001.0f, at24.frameRate);
    EXPECT_EQ("01:12:32:15", labelOf(dpxFrameTiming(at24, 0)));
    EXPECT_EQ("01:12:32:23", labelOf(dpxFrameTiming(at24, 8)));
    EXPECT_EQ("01:12:33:00", labelOf(dpxFrameTiming(at24, 9)));
    EXPECT_EQ("01:13:00:00", labelOf(dpxFrameTiming(at24, 9 + 24 * 27)));
    EXPECT_EQ(24000.0f / 1001.0f, dpxFrameTiming(at24, 3).frameRate);

    // The day wraps after 23:59:59:24 at 25 frames a second.
    const DpxTimeCodes at25 = planDpxTimeCodes(tagList({"+TIMC=23:59:59:24"}), 25, 1);
    EXPECT_EQ("00:00:00:00", labelOf(dpxFrameTiming(at25, 1)));
}

// At 30000/1001 the drop-frame labels skip ;00 and ;01 of every minute but
// each tenth: 00:00:59;29 is followed by 00:01:00;02, 00:09:59;29 by 00:10:00;00.
TEST(DpxTimeCodes, DropFrameLabelsSkipAtMinuteStarts) {
    const DpxTimeCodes drop = planDpxTimeCodes(tagList({"+TIMC=00:00:59;28"}), 30000, 1001);
    ASSERT_TRUE(drop.start) << drop.warning;
    EXPECT_EQ("00:00:59;28", labelOf(dpxFrameTiming(drop, 0)));
    EXPECT_EQ("00:00:59;29", labelOf(dpxFrameTiming(drop, 1)));
    EXPECT_EQ("00:01:00;02", labelOf(dpxFrameTiming(drop, 2)));
    // Minutes 1 to 9 have 1798 labels each, from ;02 of their first second.
    EXPECT_EQ("00:09:59;29", labelOf(dpxFrameTiming(drop, 2 + 1798 * 9 - 1)));
    EXPECT_EQ("00:10:00;00", labelOf(dpxFrameTiming(drop, 2 + 1798 * 9)));
    EXPECT_EQ("00:10:00;01", labelOf(dpxFrameTiming(drop, 2 + 1798 * 9 + 1)));
    EXPECT_TRUE(dpxFrameTiming(drop, 0).timeCode.dropFrame);
}

// A tag that gives no time code leaves the files without one and says why,
// naming the value; the time code field counts only up to 30 frames a second.
TEST(DpxTimeCodes, RefusedTimeCodesSayWhy) {
    struct Case {
        std::vector<std::string> tags;
        std::int32_t numerator, denominator;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {{"+TIMC=25:00:00:00"}, 24, 1, "hours 25"},
        {{"+TIMC=01:00:00:24"}, 24, 1, "frames 24"},
        {{"+TIMC=01:00:00;10"}, 25, 1, "drop-frame"},
        {{"+TIMC=01:00:00:00", "+TIMB=25"}, 24, 1, "counts 25"},
        {{"+TIMC=12"}, 24, 1, "not text"},
        {{"+TIMC=01:00:00:00"}, 60, 1, "at most 30 frames a second and the clip runs at 60"},
        {{"+TIMC=01:00:00:00"}, 60000, 1001, "runs at 60000/1001"},
    };
    for (const Case& test : cases) {
        const DpxTimeCodes refused = planDpxTimeCodes(tagList(test.tags), test.numerator, test.denominator);
        EXPECT_FALSE(refused.start) << test.reason;
        EXPECT_EQ(0u, refused.warning.find("TIMC ")) << refused.warning;
        EXPECT_NE(std::string::npos, refused.warning.find("gives the DPX files no time code"))
            << refused.warning;
        EXPECT_NE(std::string::npos, refused.warning.find(test.reason)) << refused.warning;
        EXPECT_FALSE(dpxFrameTiming(refused, 0).timeCode.isSet());
    }
    // The later of two TIMC tags is the one read.
    const DpxTimeCodes later = planDpxTimeCodes(tagList({"+TIMC=99:00:00:00", "+TIMC=02:00:00:00"}), 24, 1);
    ASSERT_TRUE(later.start) << later.warning;
    EXPECT_EQ("02:00:00:00", labelOf(dpxFrameTiming(later, 0)));
}
