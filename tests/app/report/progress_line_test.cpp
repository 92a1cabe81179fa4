#include "app/report/progress_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/run/frame_selection.h"

namespace {

constexpr std::uint32_t kNoOutPoint = 4294967295u;

TEST(ProgressLine, FramesToConvertFollowTheInAndOutPointsAndTheSkips) {
    // -i5 -o10 -s1 on 12 frames: 5, 7 and 9.
    EXPECT_EQ(3u, framesToConvert(12, 5, 1, 5, 10, 0));
    // The whole clip, and every third frame of it: 0, 3, 6, 9.
    EXPECT_EQ(12u, framesToConvert(12, 0, 0, 0, kNoOutPoint, 0));
    EXPECT_EQ(4u, framesToConvert(12, 0, 2, 0, kNoOutPoint, 0));
    // -o0 still takes one frame; so does an out point the counter has passed.
    EXPECT_EQ(1u, framesToConvert(12, 3, 0, 3, 0, 0));
    EXPECT_EQ(1u, framesToConvert(12, 0, 0, 0, 7, 9));
    // A counter run on from the clips before: -o7 after five frames leaves two.
    EXPECT_EQ(2u, framesToConvert(5, 0, 0, 0, 7, 5));
    // An in point at or past the end leaves nothing.
    EXPECT_EQ(0u, framesToConvert(12, 12, 0, 12, kNoOutPoint, 0));
    EXPECT_EQ(0u, framesToConvert(0, 0, 0, 0, kNoOutPoint, 0));
    // A negative skip is no skip; a huge one still takes the first frame.
    EXPECT_EQ(12u, framesToConvert(12, 0, -3, 0, kNoOutPoint, 0));
    EXPECT_EQ(1u, framesToConvert(12, 0, 2147483647, 0, kNoOutPoint, 0));
}

TEST(ProgressLine, StatusAndSummaryTexts) {
    // 30 of 120 frames in 2 s: 15 fps, 90 frames left take 6 s.
    const ClipProgress half{"S0001.RAW", 30, 120, 2.0};
    EXPECT_EQ("S0001.RAW  frame 30 of 120  15.0 fps  0:00:06 left", statusText(half, 100));
    // Before a frame is done there is no rate to tell.
    EXPECT_EQ("S0001.RAW  frame 0 of 120", statusText(ClipProgress{"S0001.RAW", 0, 120, 0.1}, 100));
    // 1000 of 100000 frames at 10 fps: 9900 s left is 2 h 45 min.
    EXPECT_EQ("LONG.RAW  frame 1000 of 100000  10.0 fps  2:45:00 left",
              statusText(ClipProgress{"LONG.RAW", 1000, 100000, 100.0}, 100));
    EXPECT_EQ("S0001.RAW: 120 frames in 8.00 s, 15.0 fps",
              summaryText(ClipProgress{"S0001.RAW", 120, 120, 8.0}));
    EXPECT_EQ("S0001.RAW: 1 frame in 0.25 s, 4.0 fps", summaryText(ClipProgress{"S0001.RAW", 1, 1, 0.25}));
    EXPECT_EQ("S0001.RAW: 0 frames in 0.00 s", summaryText(ClipProgress{"S0001.RAW", 0, 0, 0.0}));
}

// The status line never wraps: the name gives way first, then the tail.
TEST(ProgressLine, StatusTextFitsTheTerminal) {
    const ClipProgress progress{"A_VERY_LONG_CLIP_NAME.RAW", 30, 120, 2.0};
    const std::string tail = "  frame 30 of 120  15.0 fps  0:00:06 left";
    EXPECT_EQ("A_VERY_LONG" + tail, statusText(progress, static_cast<int>(11 + tail.size() + 1)));
    EXPECT_EQ(tail.substr(0, 19), statusText(progress, 20));
}

double fakeNow = 0;
double fakeClock() {
    return fakeNow;
}

// Counts the status lines drawn ("\r" with no line feed after the erase).
int drawsIn(const std::string& text) {
    int draws = 0;
    for (std::size_t at = text.find("\x1b[K"); at != std::string::npos; at = text.find("\x1b[K", at + 1))
        if (at + 3 >= text.size() || text[at + 3] != '\n') ++draws;
    return draws;
}

TEST(ProgressLine, RewritesAtMostFourTimesASecond) {
    ProgressLine line(true, true, false, 100, fakeClock);
    fakeNow = 10.0;
    testing::internal::CaptureStderr();
    line.startClip("clip.RAW", 1000);
    // 1000 frames at 1 ms each: the first frame, then every 250 ms.
    for (int frame = 0; frame < 1000; ++frame) {
        fakeNow += 0.001;
        line.frameDone();
    }
    line.endClip();
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(4, drawsIn(written)) << written;
    // The first frame took 1 ms: 1000 fps, 999 frames left take 0.999 s.
    EXPECT_NE(std::string::npos, written.find("\rclip.RAW  frame 1 of 1000  1000.0 fps  0:00:01 left\x1b[K"))
        << written;
    EXPECT_NE(std::string::npos, written.find("\rclip.RAW: 1000 frames in 1.00 s, 1000.0 fps\x1b[K\n"))
        << written;
}

// Marks after the status text on a line 100 columns wide: the line is drawn
// again before they reach its end, though no more often than every 50 ms.
TEST(ProgressLine, MarksSharingTheLineBringTheNextDrawForward) {
    ProgressLine line(true, true, true, 100, fakeClock);
    fakeNow = 0;
    testing::internal::CaptureStderr();
    line.startClip("c.RAW", 400);
    for (int frame = 0; frame < 400; ++frame) {
        fakeNow += 0.002;
        line.frameDone();
    }
    const std::string written = testing::internal::GetCapturedStderr();
    std::vector<int> drawnAt;
    const std::string drawn = "\rc.RAW  frame ";
    for (std::size_t at = written.find(drawn); at != std::string::npos; at = written.find(drawn, at + 1))
        drawnAt.push_back(std::atoi(written.c_str() + at + drawn.size()));
    ASSERT_GT(drawnAt.size(), 2u) << written;
    // "c.RAW  frame n of 400  r fps  0:00:0s left" is 43 or 44 characters: 100 - 2 - 44 = 54 marks
    // fit after it; at 2 ms a frame they come well inside 250 ms, and 50 ms hold 25.
    for (std::size_t i = 1; i < drawnAt.size(); ++i) {
        EXPECT_LE(drawnAt[i] - drawnAt[i - 1], 56) << written;
        EXPECT_GE(drawnAt[i] - drawnAt[i - 1], 25) << written;
    }
}

TEST(ProgressLine, DisabledOrNotLiveDrawsNoStatus) {
    ProgressLine off(false, true, false, 100, fakeClock);
    testing::internal::CaptureStderr();
    off.startClip("clip.RAW", 3);
    for (int frame = 0; frame < 3; ++frame) off.frameDone();
    off.endClip();
    EXPECT_EQ("", testing::internal::GetCapturedStderr());

    ProgressLine summaryOnly(true, false, true, 100, fakeClock);
    fakeNow = 0;
    testing::internal::CaptureStderr();
    summaryOnly.startClip("clip.RAW", 3);
    for (int frame = 0; frame < 3; ++frame) {
        fakeNow += 0.5;
        summaryOnly.frameDone();
    }
    summaryOnly.endClip();
    EXPECT_EQ("\rclip.RAW: 3 frames in 1.50 s, 2.0 fps\x1b[K\n", testing::internal::GetCapturedStderr());

    // No summary without a clip started.
    testing::internal::CaptureStderr();
    summaryOnly.endClip();
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
}

}  // namespace
