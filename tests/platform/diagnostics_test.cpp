#include "platform/diagnostics.h"

#include <gtest/gtest.h>

#include <string>

// Our own lines go to standard error with the program's name in front; text
// from the user is printed as it is, '%' signs and all.
TEST(Diagnostics, ErrorsAndWarningsGoToStandardErrorWithTheProgramName) {
    const std::string userText = "shot_%05d%s.dpx";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    platform::reportError("%s: cannot write", userText.c_str());
    platform::warn("%s: ignored (%d)", userText.c_str(), 7);
    EXPECT_EQ("raw2tvx: shot_%05d%s.dpx: cannot write\nraw2tvx: warning: shot_%05d%s.dpx: ignored (7)\n",
              testing::internal::GetCapturedStderr());
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
}

// Long lines are not cut.
TEST(Diagnostics, LongTextIsPrintedWhole) {
    const std::string path(5000, 'a');
    testing::internal::CaptureStderr();
    platform::reportError("%s", path.c_str());
    EXPECT_EQ("raw2tvx: " + path + "\n", testing::internal::GetCapturedStderr());
}
