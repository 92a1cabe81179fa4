#include "platform/status_line.h"

#include <gtest/gtest.h>

#include "platform/diagnostics.h"

// The status line is rewritten in place; our other lines first erase it.
TEST(StatusLine, DrawsInPlaceAndOurLinesEraseItFirst) {
    testing::internal::CaptureStderr();
    platform::showStatusLine("clip.RAW  frame 1 of 9");
    EXPECT_TRUE(platform::statusLineShown());
    platform::showStatusLine("clip.RAW  frame 2 of 9");
    platform::warn("%s", "something");
    EXPECT_FALSE(platform::statusLineShown());
    // Nothing drawn: nothing to erase.
    platform::reportError("%s", "failed");
    platform::clearStatusLine();
    EXPECT_EQ(
        "\rclip.RAW  frame 1 of 9\x1b[K\rclip.RAW  frame 2 of 9\x1b[K\r\x1b[K"
        "raw2tvx: warning: something\nraw2tvx: failed\n",
        testing::internal::GetCapturedStderr());
}

TEST(StatusLine, LineOverTheStatusStaysAndTheOpenLineIsErasedNotBroken) {
    testing::internal::CaptureStderr();
    platform::showStatusLine("a.RAW  frame 5 of 5");
    platform::writeLineOverStatus("a.RAW: 5 frames in 1.00 s, 5.0 fps");
    EXPECT_FALSE(platform::statusLineShown());
    platform::showStatusLine("b.RAW  frame 1 of 2");
    platform::breakOpenLine();
    EXPECT_FALSE(platform::statusLineShown());
    EXPECT_EQ(
        "\ra.RAW  frame 5 of 5\x1b[K\ra.RAW: 5 frames in 1.00 s, 5.0 fps\x1b[K\n"
        "\rb.RAW  frame 1 of 2\x1b[K\r\x1b[K",
        testing::internal::GetCapturedStderr());
}

// Tests run with standard error captured or piped, never a terminal.
TEST(StatusLine, StandardErrorThatIsNoTerminalHasNoStatusLine) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(platform::statusTerminal().available);
    testing::internal::GetCapturedStderr();
}
